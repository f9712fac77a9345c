// klv90 LOCK SOCKET [LOCK SOCKET...]: what another user of the machine can plant to block the
// tool or to learn what it hands over, run as that user. Its program is named klv90, as the tool
// is. For each pair it makes the folders on the way, takes LOCK as the tool takes its lock (naming
// this live process) and listens on SOCKET for anyone, answering a request as a running window
// would. It prints "planted SOCKET" or "cannot plant SOCKET" for each, then "ready", and every
// request it gets as "received REQUEST". A line "report" on stdin makes it take what is waiting
// first, then print "reported".
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QSocketNotifier>

#include <cstdio>
#include <list>

#include <unistd.h>

namespace {

void say(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Every request that has come in full, answered as the tool's window answers.
void answer(QLocalSocket *client)
{
    while (client->canReadLine()) {
        say(QStringLiteral("received ") + QString::fromUtf8(client->readLine()).trimmed());
        client->write("taken\n");
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::list<QLockFile> locks;
    QList<QLocalServer *> servers;
    QList<QLocalSocket *> clients;
    const auto takeClients = [&](QLocalServer *server) {
        while (QLocalSocket *client = server->nextPendingConnection()) {
            clients << client;
            QObject::connect(client, &QLocalSocket::readyRead, client,
                             [client] { answer(client); });
        }
    };
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString lock = QString::fromLocal8Bit(argv[i]);
        const QString socket = QString::fromLocal8Bit(argv[i + 1]);
        QDir().mkpath(QFileInfo(lock).path());
        QDir().mkpath(QFileInfo(socket).path());
        auto *server = new QLocalServer(&app);
        server->setSocketOptions(QLocalServer::WorldAccessOption);
        if (locks.emplace_back(lock).tryLock(0) && server->listen(socket)) {
            servers << server;
            QObject::connect(server, &QLocalServer::newConnection, server,
                             [&, server] { takeClients(server); });
            say(QStringLiteral("planted ") + socket);
        } else {
            say(QStringLiteral("cannot plant ") + socket);
        }
    }
    // What a client sent before "report" is in the sockets' buffers by then, taken or not.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[64];
        if (!std::fgets(line, sizeof line, stdin))
            return QCoreApplication::exit();
        for (QLocalServer *server : servers) {
            while (server->waitForNewConnection(0))
                takeClients(server);
        }
        for (QLocalSocket *client : clients) {
            client->waitForReadyRead(0);
            answer(client);
        }
        say(QStringLiteral("reported"));
    });
    say(QStringLiteral("ready"));
    return app.exec();
}
