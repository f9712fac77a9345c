#include "controllersim.h"

#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

using namespace Klv;

// A bare root made by debootstrap, for one, has no devpts mounted on /dev/pts.
bool pseudoTerminalsAvailable()
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return false;
    bool opens = false;
    if (grantpt(master) == 0 && unlockpt(master) == 0 && ptsname(master)) {
        const int slave = ::open(ptsname(master), O_RDWR | O_NOCTTY);
        opens = slave >= 0;
        if (opens)
            ::close(slave);
    }
    ::close(master);
    return opens;
}

ControllerSim::ControllerSim(const QStringList &options, const QStringList &environment)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString &variable : environment)
        variables.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    m_process.setProcessEnvironment(variables);
    m_process.start(QStringLiteral(KLV90_SIM), options);
    if (!m_process.waitForStarted(10000))
        return;
    while (!m_partial.contains('\n') && m_process.waitForReadyRead(10000))
        m_partial += m_process.readAllStandardOutput();
    const qsizetype end = m_partial.indexOf('\n');
    if (end < 0)
        return;
    m_path = QString::fromLocal8Bit(m_partial.left(end));
    m_partial.remove(0, end + 1);
}

ControllerSim::~ControllerSim()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
}

QStringList ControllerSim::lines()
{
    m_partial += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_partial.indexOf('\n')) >= 0) {
        m_lines << QString::fromLocal8Bit(m_partial.left(end));
        m_partial.remove(0, end + 1);
    }
    return m_lines;
}

QStringList ControllerSim::linesStartingWith(const QString &prefix)
{
    QStringList found;
    for (const QString &line : lines()) {
        if (line.startsWith(prefix))
            found << line.mid(prefix.size());
    }
    return found;
}

QStringList ControllerSim::received()
{
    return linesStartingWith(QStringLiteral("< "));
}

QStringList ControllerSim::replies()
{
    return linesStartingWith(QStringLiteral("> "));
}

TestPty::TestPty()
{
    m_fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0 || grantpt(m_fd) != 0 || unlockpt(m_fd) != 0)
        qFatal("no pseudo-terminal");
    termios settings{};
    tcgetattr(m_fd, &settings);
    cfmakeraw(&settings);
    tcsetattr(m_fd, TCSANOW, &settings);
    m_path = QString::fromLocal8Bit(ptsname(m_fd));
}

TestPty::~TestPty()
{
    vanish();
}

QByteArray TestPty::received()
{
    char buffer[4096];
    ssize_t n;
    while (m_fd >= 0 && (n = ::read(m_fd, buffer, sizeof buffer)) > 0)
        m_received.append(buffer, n);
    return m_received;
}

void TestPty::send(const QByteArray &bytes)
{
    if (::write(m_fd, bytes.constData(), bytes.size()) != bytes.size())
        qWarning("TestPty: short write");
}

bool TestPty::isHungUp() const
{
    pollfd p{m_fd, POLLIN, 0};
    return ::poll(&p, 1, 0) >= 0 && (p.revents & POLLHUP);
}

void TestPty::vanish()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

PortMapping portsAt(const QMap<int, QString> &devices)
{
    return [devices](int portNumber) {
        return devices.value(portNumber,
                             QStringLiteral("/nonexistent/klv-port-%1").arg(portNumber));
    };
}

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
