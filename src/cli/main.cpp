// klv90-cli: the tool's programs on the command line, for scripts and production lines.
#include "arguments.h"
#include "commands.h"
#include "console.h"
#include "version.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

namespace {

// Qt's own notes (no XDG_RUNTIME_DIR under sudo or ssh, for one) would mix with the messages that
// scripts read from stderr; only its errors get through.
void passQtErrorsOnly(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        Console::writeErr(message + u'\n');
}

int run(const CliArguments &arguments)
{
    if (!arguments.error.isEmpty()) {
        Console::printError(arguments.error + QStringLiteral(" (see klv90-cli --help)"));
        return cliRefusalStatus(arguments.command);
    }
    switch (arguments.command) {
    case CliCommand::Help:
        Console::writeOut(cliUsage().toUtf8());
        return ExitStatus::Done;
    case CliCommand::Version:
        Console::writeOut(QByteArrayLiteral("klv90-cli " KLV90_VERSION "\n"));
        return ExitStatus::Done;
    default:
        return runCliCommand(arguments);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    Console::prepare();
    qInstallMessageHandler(passQtErrorsOnly);
    QCoreApplication::setApplicationName(QStringLiteral("klv90-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KLV90_VERSION));

    // Only printing needs fonts, so only printing starts the GUI side of Qt; it never shows a
    // window, and in a console or over ssh there is no display to show one on.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && cliCommandNeedsFonts(QString::fromLocal8Bit(argv[1]))) {
#ifndef Q_OS_WIN
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return Console::finish(run(parseCliArguments(QCoreApplication::arguments().mid(1))));
}
