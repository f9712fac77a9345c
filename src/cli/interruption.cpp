#include "interruption.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <QMetaObject>
#include <qt_windows.h>
#else
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

Interruption *g_current = nullptr;

} // namespace

#ifdef Q_OS_WIN

// The console runs its handler on a thread of its own: the event loop is told through a queued
// call, and a closing console is kept open until the program has tidied up.
struct Interruption::Platform
{
};

namespace {

HANDLE g_tidied = nullptr;

BOOL WINAPI consoleEvent(DWORD type)
{
    if (!g_current)
        return FALSE;
    QMetaObject::invokeMethod(g_current, &Interruption::requested, Qt::QueuedConnection);
    // Windows ends the process when this returns from these, and gives it about five seconds.
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(g_tidied, 4000);
    return TRUE;
}

} // namespace

Interruption::Interruption(QObject *parent) : QObject(parent), m_platform(new Platform)
{
    g_current = this;
    g_tidied = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(consoleEvent, TRUE);
}

Interruption::~Interruption()
{
    SetConsoleCtrlHandler(consoleEvent, FALSE);
    g_current = nullptr;
    delete m_platform;
}

void Interruption::tidiedUp()
{
    SetEvent(g_tidied);
}

#else

// A signal handler may do next to nothing: it writes a byte into a socket pair, and the event
// loop reads it there.
struct Interruption::Platform
{
    int sockets[2] = {-1, -1};
    QSocketNotifier *notifier = nullptr;
    struct sigaction previousInt = {};
    struct sigaction previousTerm = {};
};

namespace {

int g_signalSocket = -1;

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalSocket, &byte, 1);
}

} // namespace

Interruption::Interruption(QObject *parent) : QObject(parent), m_platform(new Platform)
{
    g_current = this;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, m_platform->sockets) != 0)
        return;
    for (int fd : m_platform->sockets)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    g_signalSocket = m_platform->sockets[0];
    m_platform->notifier = new QSocketNotifier(m_platform->sockets[1], QSocketNotifier::Read, this);
    connect(m_platform->notifier, &QSocketNotifier::activated, this, [this] {
        char byte;
        [[maybe_unused]] const auto read = ::read(m_platform->sockets[1], &byte, 1);
        emit requested();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &m_platform->previousInt);
    sigaction(SIGTERM, &action, &m_platform->previousTerm);
}

Interruption::~Interruption()
{
    if (m_platform->notifier) {
        sigaction(SIGINT, &m_platform->previousInt, nullptr);
        sigaction(SIGTERM, &m_platform->previousTerm, nullptr);
        g_signalSocket = -1;
        for (int fd : m_platform->sockets)
            ::close(fd);
    }
    g_current = nullptr;
    delete m_platform;
}

void Interruption::tidiedUp() {}

#endif
