#include "singleinstance.h"

#include "localuser.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace {

// A request is a path, percent-encoded so that it holds no newline, and a newline; nothing
// longer is read.
constexpr qint64 LongestRequest = 64 * 1024;
const QByteArray Taken = QByteArrayLiteral("taken\n");

// The lock's and the socket's name, the user's id in it: on Windows the pipe names of all users
// share one namespace.
QString nameOf(const char *what)
{
    return QStringLiteral("klv90-%1.%2").arg(LocalUser::id(), QLatin1String(what));
}

} // namespace

SingleInstance::SingleInstance(QObject *parent) : QObject(parent), m_lock(lockPath())
{
    // A lock left by a process that is gone is taken over at once.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryAcquire()
{
    if (m_lock.fileName().isEmpty())
        return true;
    if (!m_lock.tryLock(0))
        return false;
    // The lock is ours, so a socket of that name can only be left by a process that is gone.
    QLocalServer::removeServer(serverName());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this,
                    [this, socket] { readRequest(socket); });
        }
    });
    // Without the socket the tool still runs, and says so; later starts open windows of their
    // own.
    if (!m_server->listen(serverName()))
        m_listenFailure = m_server->errorString();
    return true;
}

void SingleInstance::readRequest(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > LongestRequest)
            socket->abort();
        return;
    }
    const QByteArray line = socket->readLine().trimmed();
    if (line.size() > LongestRequest) {
        socket->abort();
        return;
    }
    const QString path = QString::fromUtf8(QByteArray::fromPercentEncoding(line));
    socket->write(Taken);
    socket->disconnectFromServer();
    // Told once the socket is done with: opening the file may show a message box, whose event
    // loop would delete the socket under this call.
    QMetaObject::invokeMethod(
        this, [this, path] { emit handedOver(path); }, Qt::QueuedConnection);
}

bool SingleInstance::handOver(const QString &path, int timeoutMs)
{
    const QString server = serverName();
    if (server.isEmpty())
        return false;
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The first start may hold the lock a moment before it listens.
    for (;;) {
        socket.connectToServer(server);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    // The path is for this user's window only; whatever else answers learns nothing.
    if (!LocalUser::ownsPeer(socket))
        return false;
    socket.write(path.toUtf8().toPercentEncoding() + '\n');
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    QByteArray reply;
    while (!reply.endsWith('\n') && socket.waitForReadyRead(int(deadline.remainingTime())))
        reply += socket.readAll();
    // The window hangs up once it has answered. This start ends only after that, so nothing of
    // the connection is still under way while the process goes (on Windows the pipe's end is
    // told on a thread of the system's, which an ending process must not race).
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(int(qMax<qint64>(0, deadline.remainingTime())));
    return reply == Taken;
}

QString SingleInstance::lockPath()
{
    const QString folder = LocalUser::privateFolder(QStringLiteral("klv90"));
    return folder.isEmpty() ? QString() : QDir(folder).filePath(nameOf("lock"));
}

QString SingleInstance::serverName()
{
#ifdef Q_OS_WIN
    return nameOf("pipe");
#else
    // A full path: the socket lies beside the lock, where no one else can put one of theirs.
    const QString folder = LocalUser::privateFolder(QStringLiteral("klv90"));
    return folder.isEmpty() ? QString() : QDir(folder).filePath(nameOf("socket"));
#endif
}
