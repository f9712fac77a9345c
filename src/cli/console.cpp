#include "console.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace Console {

namespace {

Output g_output = Output::Written;
int g_outputErrno = 0;
bool g_stderrMovesCursor = false;

} // namespace

void prepare()
{
#ifdef Q_OS_WIN
    // CSV lines end in CR LF already; text mode would turn them into CR CR LF. import takes
    // stdin's bytes as they are too (text mode ends it at a Ctrl-Z).
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
    // Windows 10's console moves the cursor for the escape sequences when asked to.
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    g_stderrMovesCursor = GetConsoleMode(err, &mode) &&
                          SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
    // A write to a pipe whose reader has gone then fails with EPIPE instead of killing the
    // program mid-download: it can close its ports before it ends.
    std::signal(SIGPIPE, SIG_IGN);
    const char *term = std::getenv("TERM");
    g_stderrMovesCursor = stderrIsTerminal() && !(term && std::strcmp(term, "dumb") == 0);
#endif
}

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

bool stderrMovesCursor()
{
    return g_stderrMovesCursor;
}

bool writeOut(const QByteArray &bytes)
{
    if (g_output != Output::Written)
        return false;
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    if (written == size_t(bytes.size()) && std::fflush(stdout) == 0)
        return true;
    g_outputErrno = errno;
    g_output = g_outputErrno == EPIPE ? Output::ReaderGone : Output::Failed;
    return false;
}

Output output()
{
    return g_output;
}

void writeErr(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void printError(const QString &message)
{
    writeErr(QStringLiteral("klv90-cli: ") + message + u'\n');
}

int finish(int status)
{
    switch (g_output) {
    case Output::Written:
        return status;
    case Output::Failed:
        printError(QStringLiteral("cannot write the output: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(g_outputErrno))));
        return status == 0 ? 1 : status;
    case Output::ReaderGone:
        break;
    }
#ifndef Q_OS_WIN
    // Ended by the closed pipe, as cat and the like are: the shell sees SIGPIPE.
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
#endif
    return status == 0 ? 1 : status;
}

} // namespace Console
