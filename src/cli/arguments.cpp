#include "arguments.h"

#include "settingsdownload.h"

#include <optional>

using Klv::SettingsDownload;

namespace {

std::optional<CliCommand> commandNamed(const QString &name)
{
    if (name == u"show")
        return CliCommand::Show;
    if (name == u"check")
        return CliCommand::Check;
    if (name == u"download")
        return CliCommand::Download;
    if (name == u"print")
        return CliCommand::Print;
    if (name == u"import")
        return CliCommand::Import;
    if (name == u"diff")
        return CliCommand::Diff;
    return std::nullopt;
}

bool isOption(const QString &argument)
{
    return argument.size() > 1 && argument.startsWith(u'-');
}

// Reads the options and the file of one command from arguments[1] on.
class CommandReader
{
public:
    CommandReader(const QStringList &arguments, CliArguments &result)
        : m_arguments(arguments), m_result(result)
    {
    }

    void read()
    {
        const QString &name = m_arguments.first();
        bool optionsEnded = false;
        for (m_index = 1; m_index < m_arguments.size() && m_result.error.isEmpty(); ++m_index) {
            const QString &argument = m_arguments[m_index];
            if (!optionsEnded && argument == u"--")
                optionsEnded = true;
            else if (!optionsEnded && isOption(argument))
                readOption(argument);
            else if (m_result.file.isEmpty())
                m_result.file = argument;
            else if (m_result.command == CliCommand::Diff && m_result.secondFile.isEmpty())
                m_result.secondFile = argument;
            else
                m_result.error = QStringLiteral("unexpected argument '%1'").arg(argument);
        }
        if (!m_result.error.isEmpty())
            return;
        if (m_result.command == CliCommand::Diff && m_result.secondFile.isEmpty())
            m_result.error = QStringLiteral("diff needs two settings files");
        else if (m_result.command == CliCommand::Import && m_result.file.isEmpty())
            m_result.error = QStringLiteral("import needs a text FILE");
        else if (m_result.file.isEmpty())
            m_result.error = QStringLiteral("%1 needs a settings FILE").arg(name);
        else if (m_result.command == CliCommand::Print && m_result.output.isEmpty())
            m_result.error = QStringLiteral("print needs -o OUT.pdf");
        else if (m_result.command == CliCommand::Import && m_result.output.isEmpty())
            m_result.error = QStringLiteral("import needs -o OUT.zzr");
        else if (m_result.bom && !m_result.csv)
            m_result.error = QStringLiteral("--bom goes with --csv");
        else if (m_result.port != 0 && !m_result.device.isEmpty())
            m_result.error = QStringLiteral("give --port or --device, not both");
    }

private:
    void readOption(const QString &argument)
    {
        // "--name=value" or "--name value"; "-o" takes its value in the next argument only.
        const qsizetype equals = argument.startsWith(u"--") ? argument.indexOf(u'=') : -1;
        const QString name = equals < 0 ? argument : argument.left(equals);
        std::optional<QString> inlineValue;
        if (equals >= 0)
            inlineValue = argument.mid(equals + 1);

        const CliCommand command = m_result.command;
        const bool showOrDiff = command == CliCommand::Show || command == CliCommand::Diff;
        if (showOrDiff && name == u"--csv" && !inlineValue) {
            m_result.csv = true;
        } else if (command == CliCommand::Show && name == u"--bom" && !inlineValue) {
            m_result.bom = true;
        } else if ((command == CliCommand::Print || command == CliCommand::Import) &&
                   (name == u"-o" || name == u"--output")) {
            if (const auto value = valueOf(name, inlineValue))
                m_result.output = *value;
        } else if (command == CliCommand::Download && name == u"--device") {
            if (const auto value = valueOf(name, inlineValue))
                m_result.device = *value;
        } else if (command == CliCommand::Download && name == u"--port") {
            if (const auto value = valueOf(name, inlineValue))
                readPort(*value);
        } else {
            m_result.error =
                QStringLiteral("unknown option '%1' for %2").arg(argument, m_arguments.first());
        }
    }

    std::optional<QString> valueOf(const QString &name, const std::optional<QString> &inlineValue)
    {
        if (inlineValue && !inlineValue->isEmpty())
            return inlineValue;
        if (!inlineValue && m_index + 1 < m_arguments.size())
            return m_arguments[++m_index];
        m_result.error = QStringLiteral("%1 needs a value").arg(name);
        return std::nullopt;
    }

    void readPort(const QString &value)
    {
        bool isNumber = false;
        const int port = value.toInt(&isNumber);
        if (isNumber && port >= SettingsDownload::FirstPort && port <= SettingsDownload::LastPort)
            m_result.port = port;
        else
            m_result.error = QStringLiteral("--port takes a port number from %1 to %2, not '%3'")
                                 .arg(SettingsDownload::FirstPort)
                                 .arg(SettingsDownload::LastPort)
                                 .arg(value);
    }

    const QStringList &m_arguments;
    CliArguments &m_result;
    qsizetype m_index = 1;
};

} // namespace

CliArguments parseCliArguments(const QStringList &arguments)
{
    CliArguments result;
    // --help and --version stand for themselves wherever they are, as in most tools.
    for (const QString &argument : arguments) {
        if (argument == u"--")
            break;
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
    const std::optional<CliCommand> command = commandNamed(first);
    if (!command) {
        result.error = isOption(first) ? QStringLiteral("unknown option '%1'").arg(first)
                                       : QStringLiteral("unknown command '%1'").arg(first);
        return result;
    }
    result.command = *command;
    CommandReader(arguments, result).read();
    return result;
}

QString cliUsage()
{
    return QStringLiteral(
        "usage: klv90-cli COMMAND FILE [options]\n"
        "Works with KLV-90 settings files (.zzr) without a window.\n"
        "\n"
        "Commands:\n"
        "  show FILE [--csv]       print the program as the parameter list's lines; with --csv,\n"
        "                          one CSV row per step with the grid's column texts\n"
        "  check FILE              exit 0 for a settings file the tool can load, else 1 and why\n"
        "  download FILE [--port N | --device PATH]\n"
        "                          send the program to the controller; without --port or\n"
        "                          --device, ports 1 to 30 are searched as the window does\n"
        "  print FILE -o OUT.pdf   write the parameter list to a PDF file as the window prints it\n"
        "  import TEXT -o OUT.zzr  write the steps of TEXT (show --csv, a spreadsheet's CSV or\n"
        "                          copied cells; - for stdin) to a settings file, each added as\n"
        "                          命令追加 adds it; the first refused line writes nothing\n"
        "  diff A B [--csv]        list the steps only in A, only in B, and the columns that\n"
        "                          differ in the steps of the same key; with --csv, as rows\n"
        "\n"
        "Options:\n"
        "  --port N                download through port number N (1 to 30) only\n"
        "  --device PATH           download through this serial device only (/dev/ttyUSB0, COM3)\n"
        "  -o, --output OUT        the PDF file that print writes, the settings file of import\n"
        "  --csv                   show: CSV (RFC 4180) instead of the parameter list;\n"
        "                          diff: one CSV row per difference\n"
        "  --bom                   show --csv: a UTF-8 byte-order mark first, for Excel\n"
        "  -h, --help              show this text\n"
        "  --version               show the version\n"
        "\n"
        "Exit status: 0 done; 1 a bad file or bad arguments; download only: 2 no controller\n"
        "found, 3 no reply or the port could not be used, 4 the controller refused a step,\n"
        "130 interrupted (Ctrl-C): nothing more was sent and the controller keeps its program.\n"
        "diff, as diff(1) does: 0 the same programs, 1 they differ, 2 a bad file or arguments.\n");
}
