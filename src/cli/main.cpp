// klv90-cli: the tool's programs on the command line, for scripts and production lines.
#include "arguments.h"
#include "commands.h"
#include "console.h"
#include "version.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
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
        return arguments.command == CliCommand::Diff ? DiffStatus::Trouble : ExitStatus::Failed;
    }
    switch (arguments.command) {
    case CliCommand::Help:
        Console::writeOut(cliUsage().toUtf8());
        return ExitStatus::Done;
    case CliCommand::Version:
        Console::writeOut(QByteArrayLiteral("klv90-cli " KLV90_VERSION "\n"));
        return ExitStatus::Done;
    case CliCommand::Show:
        return showProgram(arguments);
    case CliCommand::Check:
        return checkProgram(arguments);
    case CliCommand::Download:
        return downloadProgram(arguments);
    case CliCommand::Print:
        return printProgram(arguments);
    case CliCommand::Import:
        return importProgram(arguments.file, arguments.output);
    case CliCommand::Diff:
        return diffPrograms(arguments.file, arguments.secondFile, arguments.csv);
    }
    return ExitStatus::Failed;
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
    if (argc > 1 && std::strcmp(argv[1], "print") == 0) {
#ifndef Q_OS_WIN
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return run(parseCliArguments(QCoreApplication::arguments().mid(1)));
}
