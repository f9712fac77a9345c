#include "arguments.h"

#include "commands.h"
#include "settingsdownload.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <functional>

using Klv::SettingsDownload;

namespace {

// One option: how it is written, what --help says of it, and how its values are taken.
struct OptionEntry
{
    QCommandLineOption option;
    // Takes the values given (none for a switch) into the arguments; returns why they are
    // refused, or nothing.
    std::function<QString(const QStringList &values, CliArguments &)> take;
};

// One command: its name and files, the options it takes, what --help says of it and what runs
// it. A new command is one more entry here and its run function in commands.h.
struct CommandEntry
{
    CliCommand command;
    QString name;
    QString synopsis;    // what follows the name in --help
    QString summary;     // what it does, for --help
    int fileCount = 0;   // the files it takes
    QString filesNeeded; // how the missing files are named: "a settings FILE"
    QStringList options; // the options it takes, by their longest name
    int (*run)(const CliArguments &) = nullptr;
    // The check of its arguments after the options are taken; an empty text accepts them.
    QString (*check)(const CliArguments &) = nullptr;
    bool needsFonts = false;
};

QString valueNeeded(const QString &name)
{
    return QStringLiteral("--%1 needs a value").arg(name);
}

const QList<OptionEntry> &optionTable()
{
    static const QList<OptionEntry> options{
        {QCommandLineOption(QStringLiteral("port"),
                            QStringLiteral("download through port number N (1 to 30); may be "
                                           "given\nagain, and with --device"),
                            QStringLiteral("N")),
         [](const QStringList &values, CliArguments &arguments) {
             for (const QString &value : values) {
                 bool isNumber = false;
                 const int port = value.toInt(&isNumber);
                 if (!isNumber || port < SettingsDownload::FirstPort ||
                     port > SettingsDownload::LastPort)
                     return QStringLiteral("--port takes a port number from %1 to %2, not '%3'")
                         .arg(SettingsDownload::FirstPort)
                         .arg(SettingsDownload::LastPort)
                         .arg(value);
                 arguments.ports << port;
             }
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("device"),
                            QStringLiteral("download through this serial device (/dev/ttyUSB0,\n"
                                           "COM34), or the USB adapter with this serial\nnumber "
                                           "(serial:A12345, as ports says); may be\ngiven again"),
                            QStringLiteral("DEVICE")),
         [](const QStringList &values, CliArguments &arguments) {
             for (const QString &value : values) {
                 if (value.isEmpty())
                     return valueNeeded(QStringLiteral("device"));
                 if (value == u"serial:")
                     return QStringLiteral("--device serial: needs the adapter's serial number");
                 arguments.devices << value;
             }
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("all"),
                            QStringLiteral("download to every controller that answers on\nports 1 "
                                           "to 30 and the other ports the system\nlists, all at "
                                           "once")),
         [](const QStringList &, CliArguments &arguments) {
             arguments.allPorts = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("log"),
                            QStringLiteral("append one JSON line per device and download to\nLOG "
                                           "(JSON Lines); processes may share one log"),
                            QStringLiteral("LOG")),
         [](const QStringList &values, CliArguments &arguments) {
             arguments.log = values.last();
             return arguments.log.isEmpty() ? valueNeeded(QStringLiteral("log")) : QString();
         }},
        {QCommandLineOption(QStringLiteral("json"),
                            QStringLiteral("ports: a JSON array; download: each device's\nrecord "
                                           "on stdout, in place of the closing lines")),
         [](const QStringList &, CliArguments &arguments) {
             arguments.json = true;
             return QString();
         }},
        {QCommandLineOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                            QStringLiteral("the PDF file that print writes, the settings\nfile "
                                           "that import writes"),
                            QStringLiteral("OUT")),
         [](const QStringList &values, CliArguments &arguments) {
             arguments.output = values.last();
             return arguments.output.isEmpty() ? valueNeeded(QStringLiteral("output")) : QString();
         }},
        {QCommandLineOption(QStringLiteral("csv"),
                            QStringLiteral("show: CSV (RFC 4180) instead of the parameter list;\n"
                                           "diff: one CSV row per difference")),
         [](const QStringList &, CliArguments &arguments) {
             arguments.csv = true;
             return QString();
         }},
        {QCommandLineOption(QStringLiteral("bom"),
                            QStringLiteral("show --csv: a UTF-8 byte-order mark first, so that\n"
                                           "Excel opens it with its Japanese intact")),
         [](const QStringList &, CliArguments &arguments) {
             arguments.bom = true;
             return QString();
         }},
        {QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("show this text")),
         nullptr},
        {QCommandLineOption(QStringLiteral("version"), QStringLiteral("show the version")),
         nullptr},
    };
    return options;
}

const OptionEntry *optionNamed(const QString &name)
{
    for (const OptionEntry &entry : optionTable()) {
        if (entry.option.names().contains(name))
            return &entry;
    }
    return nullptr;
}

QString printCheck(const CliArguments &arguments)
{
    return arguments.output.isEmpty() ? QStringLiteral("print needs -o OUT.pdf") : QString();
}

QString showCheck(const CliArguments &arguments)
{
    return arguments.bom && !arguments.csv ? QStringLiteral("--bom goes with --csv") : QString();
}

QString importCheck(const CliArguments &arguments)
{
    return arguments.output.isEmpty() ? QStringLiteral("import needs -o OUT.zzr") : QString();
}

int runImport(const CliArguments &arguments)
{
    return importProgram(arguments.file, arguments.output);
}

int runDiff(const CliArguments &arguments)
{
    return diffPrograms(arguments.files[0], arguments.files[1], arguments.csv);
}

QString downloadCheck(const CliArguments &arguments)
{
    if (arguments.allPorts && !(arguments.ports.isEmpty() && arguments.devices.isEmpty()))
        return QStringLiteral("--all tries every port: give it without --port or --device");
    return {};
}

const QList<CommandEntry> &commandTable()
{
    static const QList<CommandEntry> commands{
        {CliCommand::Show,
         QStringLiteral("show"),
         QStringLiteral("FILE [--csv [--bom]]"),
         QStringLiteral("print the program as the parameter list's lines; with --csv,\none CSV "
                        "row per step with the grid's column texts"),
         1,
         QStringLiteral("a settings FILE"),
         {QStringLiteral("csv"), QStringLiteral("bom")},
         showProgram,
         showCheck},
        {CliCommand::Check,
         QStringLiteral("check"),
         QStringLiteral("FILE"),
         QStringLiteral("exit 0 for a settings file the tool can load, else 1 and why"),
         1,
         QStringLiteral("a settings FILE"),
         {},
         checkProgram},
        {CliCommand::Download,
         QStringLiteral("download"),
         QStringLiteral("FILE [--port N]... [--device DEVICE]... [--all] [--log LOG] [--json]"),
         QStringLiteral("send the program to the controller; without --port, --device or\n--all, "
                        "ports 1 to 30 and then the other ports the system\nlists are searched "
                        "as the window does; to several controllers\nat once with --port and "
                        "--device given again, or with --all"),
         1,
         QStringLiteral("a settings FILE"),
         {QStringLiteral("port"), QStringLiteral("device"), QStringLiteral("all"),
          QStringLiteral("log"), QStringLiteral("json")},
         downloadProgram,
         downloadCheck},
        {CliCommand::Print,
         QStringLiteral("print"),
         QStringLiteral("FILE -o OUT.pdf"),
         QStringLiteral("write the parameter list to a PDF file as the window prints it"),
         1,
         QStringLiteral("a settings FILE"),
         {QStringLiteral("output")},
         printProgram,
         printCheck,
         true},
        {CliCommand::Import,
         QStringLiteral("import"),
         QStringLiteral("TEXT -o OUT.zzr"),
         QStringLiteral("write the steps of TEXT (show --csv, a spreadsheet's CSV or\ncopied "
                        "cells; - for stdin) to a settings file, each added\nas 命令追加 adds it; "
                        "the first refused line writes nothing"),
         1,
         QStringLiteral("a TEXT file"),
         {QStringLiteral("output")},
         runImport,
         importCheck},
        {CliCommand::Diff,
         QStringLiteral("diff"),
         QStringLiteral("A.zzr B.zzr [--csv]"),
         QStringLiteral("list the steps only in A, only in B, and the columns that\ndiffer in "
                        "the steps of the same key; with --csv, as rows"),
         2,
         QStringLiteral("two settings files A.zzr B.zzr"),
         {QStringLiteral("csv")},
         runDiff},
        {CliCommand::Ports,
         QStringLiteral("ports"),
         QStringLiteral("[--json]"),
         QStringLiteral("list every serial port the system has: its port number for\nthe tool, "
                        "its name and what the system says of it"),
         0,
         QString(),
         {QStringLiteral("json")},
         listPorts},
    };
    return commands;
}

const CommandEntry *commandNamed(const QString &name)
{
    for (const CommandEntry &entry : commandTable()) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

bool isOption(const QString &argument)
{
    return argument.size() > 1 && argument.startsWith(u'-');
}

// "--port=5" is the option "port", "-o" the option "o".
QString optionNameOf(const QString &argument)
{
    const QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    return name.section(u'=', 0, 0);
}

// The arguments up to "--", where options end.
QStringList optionArea(const QStringList &arguments)
{
    const qsizetype end = arguments.indexOf(QStringLiteral("--"));
    return end < 0 ? arguments : arguments.mid(0, end);
}

// Why Qt's parser refused the arguments, in this program's words: the argument at fault is
// named as it was written.
QString parserRefusal(const QCommandLineParser &parser, const CommandEntry &command,
                      const QStringList &arguments)
{
    const QStringList options = optionArea(arguments);
    const auto unknownOption = [&](const QString &argument) {
        return QStringLiteral("unknown option '%1' for %2").arg(argument, command.name);
    };
    const QStringList unknown = parser.unknownOptionNames();
    for (const QString &argument : options) {
        if (isOption(argument) && unknown.contains(optionNameOf(argument)))
            return unknownOption(argument);
    }
    // A switch given a value ("--csv=1") is no option of the command either.
    for (const QString &argument : options) {
        const OptionEntry *entry = optionNamed(optionNameOf(argument));
        if (isOption(argument) && argument.contains(u'=') && entry &&
            entry->option.valueName().isEmpty())
            return unknownOption(argument);
    }
    // The only other refusal: an option that takes a value, last, without one.
    if (!options.isEmpty() && isOption(options.last()))
        return QStringLiteral("%1 needs a value").arg(options.last());
    return parser.errorText();
}

} // namespace

CliArguments parseCliArguments(const QStringList &arguments)
{
    CliArguments result;
    // --help and --version stand for themselves wherever they are, as in most tools.
    for (const QString &argument : optionArea(arguments)) {
        if (argument == u"--help" || argument == u"-h")
            return result;
        if (argument == u"--version") {
            result.command = CliCommand::Version;
            return result;
        }
    }
    if (arguments.isEmpty()) {
        result.error = QStringLiteral("no command given");
        return result;
    }
    const QString &first = arguments.first();
    const CommandEntry *command = commandNamed(first);
    if (!command) {
        result.error = isOption(first) ? QStringLiteral("unknown option '%1'").arg(first)
                                       : QStringLiteral("unknown command '%1'").arg(first);
        return result;
    }
    result.command = command->command;

    QCommandLineParser parser;
    // "-o" is the one short option; "-frob" is one unknown option, not four.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QList<const OptionEntry *> taken;
    for (const QString &name : command->options) {
        taken << optionNamed(name);
        parser.addOption(taken.last()->option);
    }
    // The program's name stands first for Qt's parser; the command is that name here.
    if (!parser.parse(arguments)) {
        result.error = parserRefusal(parser, *command, arguments);
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > command->fileCount) {
        result.error = QStringLiteral("unexpected argument '%1'").arg(files[command->fileCount]);
        return result;
    }
    for (const OptionEntry *option : std::as_const(taken)) {
        if (parser.isSet(option->option))
            result.error = option->take(parser.values(option->option), result);
        if (!result.error.isEmpty())
            return result;
    }
    if (files.size() < command->fileCount) {
        result.error = QStringLiteral("%1 needs %2").arg(command->name, command->filesNeeded);
        return result;
    }
    result.files = files;
    result.file = files.value(0);
    if (command->check)
        result.error = command->check(result);
    return result;
}

QString cliUsage()
{
    // Two columns: what is written, and what it does, lined up as in most tools' help.
    constexpr qsizetype Indent = 2;
    constexpr qsizetype TextColumn = 26;
    const auto helpLines = [&](const QString &what, const QString &text) {
        QString lines = QString(Indent, u' ') + what;
        // What does not leave a column before the text stands on a line of its own.
        if (lines.size() + 1 >= TextColumn)
            lines += u'\n' + QString(TextColumn, u' ');
        else
            lines += QString(TextColumn - lines.size(), u' ');
        return lines + text.split(u'\n').join(u'\n' + QString(TextColumn, u' ')) + u'\n';
    };
    QString usage = QStringLiteral("usage: klv90-cli COMMAND FILE [options]\n"
                                   "Works with KLV-90 settings files (.zzr) without a window.\n"
                                   "\n"
                                   "Commands:\n");
    for (const CommandEntry &command : commandTable())
        usage += helpLines(command.name + u' ' + command.synopsis, command.summary);
    usage += QStringLiteral("\nOptions:\n");
    for (const OptionEntry &entry : optionTable()) {
        QStringList names;
        for (const QString &name : entry.option.names())
            names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        QString what = names.join(QStringLiteral(", "));
        if (!entry.option.valueName().isEmpty())
            what += u' ' + entry.option.valueName();
        usage += helpLines(what, entry.option.description());
    }
    return usage +
           QStringLiteral(
               "\n"
               "Exit status: 0 done; 1 a bad file or bad arguments; download only: 2 no "
               "controller\n"
               "found, 3 no reply or the port could not be used, 4 the controller refused a step,\n"
               "130 interrupted (Ctrl-C): nothing more was sent and the controller keeps its "
               "program.\nWith several controllers, 0 when every one took the program, else the "
               "highest\nof their statuses. diff, as diff(1) does: 0 the same programs, 1 they "
               "differ,\n2 a bad file or bad arguments.\n");
}

int runCliCommand(const CliArguments &arguments)
{
    for (const CommandEntry &command : commandTable()) {
        if (command.command == arguments.command)
            return command.run(arguments);
    }
    return ExitStatus::Failed;
}

int cliRefusalStatus(CliCommand command)
{
    return command == CliCommand::Diff ? DiffStatus::Trouble : ExitStatus::Failed;
}

bool cliCommandNeedsFonts(const QString &name)
{
    const CommandEntry *command = commandNamed(name);
    return command && command->needsFonts;
}
