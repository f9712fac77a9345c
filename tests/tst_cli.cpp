// klv90-cli on real settings files: its arguments, show, check and print, each run as the real
// program; the PDF it prints is read back with pdftotext.
#include "arguments.h"
#include "clirunner.h"
#include "downloadplan.h"
#include "downloadreport.h"
#include "parameterlist.h"
#include "ports.h"
#include "settingsfiletesting.h"
#include "steptablemodel.h"
#include "teststrings.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Klv;

Q_DECLARE_METATYPE(Klv::SettingsDownload::UnopenedPort)

namespace {

const Step StartupStep{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
const Step SecondStep{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1};

// count steps, every cell of a line in use somewhere, stored with falling keyData so that
// loading has to sort them.
QList<Step> fallingSteps(int count)
{
    QList<Step> steps;
    for (int i = count - 1; i >= 0; --i) {
        const int bits = (i % 16) | (i % 3) << 4 | (i % 4) << 6;
        steps << Step{qint16(i % 128),
                      qint16(255 - i % 5),
                      qint16(bits),
                      qint16(i + 1),
                      qint16(i * 2),
                      qint16(i),
                      200,
                      255,
                      9,
                      qint16(i % 7 + 1),
                      qint16(i % 3)};
    }
    return steps;
}

// The table the window holds after loading these steps.
StepTable loaded(const QList<Step> &steps)
{
    StepTableModel model;
    model.load(steps);
    return model.table();
}

PortInfo adapterPort()
{
    PortInfo port;
    port.number = 5;
    port.name = QStringLiteral("ttyUSB0");
    port.path = QStringLiteral("/dev/ttyUSB0");
    port.description = QStringLiteral("FT232R USB UART");
    port.manufacturer = QStringLiteral("FTDI");
    port.vendorId = 0x0403;
    port.productId = 0x6001;
    port.serialNumber = QStringLiteral("A12345");
    port.byIdPath = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0");
    return port;
}

SettingsDownload::UnopenedPort unopened(int number, PortOpenError reason,
                                        const DeviceAccess &access = {})
{
    return {numberedPort(number, platformPortName), reason, access};
}

QStringList simplifiedLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(u'\n')) {
        if (!line.simplified().isEmpty())
            lines << line.simplified();
    }
    return lines;
}

QString pdftotext(const QString &pdf, int page)
{
    QProcess process;
    const QString n = QString::number(page);
    process.start(QStringLiteral("pdftotext"), {"-layout", "-f", n, "-l", n, pdf, "-"});
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

int countInFile(const QString &path, const QString &pattern)
{
    return int(QString::fromLatin1(readAll(path)).count(QRegularExpression(pattern)));
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A settings file of these steps, in this order, as the window would save them.
    QString programFile(const QString &name, const QList<Step> &steps)
    {
        const QString file = path(name);
        if (!writeAll(file, fileOf(steps)))
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils, tools/install-deps) reads the PDF output back");
    }

    // Help on stdout (--version: tst_version); every refused command line named on stderr, with
    // status 1.
    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out"); // the start of stdout
        QTest::addColumn<QString>("err"); // all of stderr
        const auto refused = [](const char *name, const QStringList &arguments,
                                const QString &why) {
            QTest::newRow(name) << arguments << 1 << QString()
                                << "klv90-cli: " + why + " (see klv90-cli --help)\n";
        };
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "usage: klv90-cli COMMAND FILE"
                                << QString();
        refused("nothing", {}, "no command given");
        refused("unknown command", {"frob", "x.zzr"}, "unknown command 'frob'");
        refused("unknown option first", {"--frob"}, "unknown option '--frob'");
        refused("unknown option", {"show", "x.zzr", "--frob"}, "unknown option '--frob' for show");
        refused("option of another command", {"download", "x.zzr", "--csv"},
                "unknown option '--csv' for download");
        refused("no file", {"show", "--csv"}, "show needs a settings FILE");
        refused("two files", {"check", "a.zzr", "b.zzr"}, "unexpected argument 'b.zzr'");
        refused("print without -o", {"print", "x.zzr"}, "print needs -o OUT.pdf");
        refused("-o without a value", {"print", "x.zzr", "-o"}, "-o needs a value");
        refused("port 0", {"download", "x.zzr", "--port", "0"},
                "--port takes a port number from 1 to 30, not '0'");
        refused("port 31", {"download", "x.zzr", "--port", "31"},
                "--port takes a port number from 1 to 30, not '31'");
        // Port 30 is taken: the file is what stops this one.
        QTest::newRow("port 30") << QStringList{"download", "no-such.zzr", "--port", "30"} << 1
                                 << QString()
                                 << QStringLiteral("klv90-cli: no-such.zzr: cannot be read\n");
        refused("port not a number", {"download", "--port", "COM3", "x.zzr"},
                "--port takes a port number from 1 to 30, not 'COM3'");
        refused("device without a value", {"download", "x.zzr", "--device="},
                "--device needs a value");
        refused("all and a device", {"download", "x.zzr", "--all", "--device", "/dev/ttyS0"},
                "--all tries every port: give it without --port or --device");
        refused("ports and a file", {"ports", "x.zzr"}, "unexpected argument 'x.zzr'");
    }
    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const CliRun run = runCli(arguments);
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(QString::fromUtf8(run.out).startsWith(out), run.out.constData());
        QCOMPARE(run.errText(), err);
    }

    // ports on this machine: what Qt Serial Port lists, one line each, and the same as JSON.
    void portsOfThisMachine()
    {
        const QList<QSerialPortInfo> listed = QSerialPortInfo::availablePorts();
        const CliRun text = runCli({"ports"});
        QVERIFY(text.ended);
        QCOMPARE(text.exitCode, 0);
        const CliRun json = runCli({"ports", "--json"});
        QCOMPARE(json.exitCode, 0);
        QJsonParseError error;
        const QJsonArray ports = QJsonDocument::fromJson(json.out, &error).array();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(ports.size(), listed.size());
        QCOMPARE(text.out.count('\n'), listed.size());
        for (qsizetype i = 0; i < listed.size(); ++i) {
            const QJsonObject port = ports[i].toObject();
            QCOMPARE(port.keys(), (QStringList{"byId", "description", "manufacturer", "name",
                                               "path", "pid", "port", "serial", "vid"}));
            QCOMPARE(port["path"].toString(), listed[i].systemLocation());
            QVERIFY(text.out.split('\n')[i].contains(listed[i].systemLocation().toUtf8()));
        }
    }

    // What ports says of each port, on a line and as JSON: null where nothing is known.
    void portsWords()
    {
        PortInfo bare;
        bare.name = QStringLiteral("ttyS4");
        bare.path = QStringLiteral("/dev/ttyS4");
        const QList<PortInfo> ports{adapterPort(), bare};
        QCOMPARE(QString::fromUtf8(portsText(ports)),
                 " 5  /dev/ttyUSB0  FT232R USB UART, FTDI, USB 0403:6001, serial A12345, "
                 "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A12345-if00-port0\n"
                 " -  /dev/ttyS4\n");
        QCOMPARE(
            QString::fromUtf8(portsJson(ports)),
            "[\n  {\"port\":5,\"name\":\"ttyUSB0\",\"path\":\"/dev/ttyUSB0\","
            "\"description\":\"FT232R USB UART\",\"manufacturer\":\"FTDI\",\"vid\":\"0403\","
            "\"pid\":\"6001\",\"serial\":\"A12345\",\"byId\":\"/dev/serial/by-id/"
            "usb-FTDI_FT232R_USB_UART_A12345-if00-port0\"},\n"
            "  {\"port\":null,\"name\":\"ttyS4\",\"path\":\"/dev/ttyS4\",\"description\":null,"
            "\"manufacturer\":null,\"vid\":null,\"pid\":null,\"serial\":null,\"byId\":null}\n]\n");
        QCOMPARE(portsJson({}), QByteArray("[]\n"));
    }

    // After a search that found nothing: only the ports that are there and would not open, each
    // remedy once.
    void unopenedPortsReport_data()
    {
        QTest::addColumn<QList<SettingsDownload::UnopenedPort>>("ports");
        QTest::addColumn<QStringList>("report");
        const auto denied = [](int number, const char *group, bool account = false) {
            return unopened(number, PortOpenError::PermissionDenied,
                            {true, "root", group, 0600, account, false});
        };
        const QString header = "klv90-cli: these ports exist but could not be opened:";
        const QString line = "  port %1 (/dev/ttyUSB%2): %3";
        QTest::newRow("absent ports are not named")
            << QList{unopened(1, PortOpenError::NotFound), unopened(2, PortOpenError::NotFound)}
            << QStringList{};
        QTest::newRow("two denied, one held: each remedy once")
            << QList{unopened(1, PortOpenError::NotFound), denied(5, "dialout"),
                     denied(6, "dialout"), unopened(7, PortOpenError::Busy)}
            << QStringList{header,
                           line.arg(5).arg(0).arg("permission denied"),
                           line.arg(6).arg(1).arg("permission denied"),
                           line.arg(7).arg(2).arg("in use by another program"),
                           "klv90-cli: join the dialout group (sudo usermod -aG dialout $USER), "
                           "then log in again",
                           "klv90-cli: close the program that holds it, then try again"};
        QTest::newRow("in dialout since this login; root's")
            << QList{denied(5, "dialout", true), denied(6, "root")}
            << QStringList{header, line.arg(5).arg(0).arg("permission denied"),
                           line.arg(6).arg(1).arg("permission denied"),
                           "klv90-cli: your account is in the group dialout, but this login "
                           "began before it joined: log out and in again",
                           "klv90-cli: the device belongs to root (group root) with mode 0600"};
    }
    void unopenedPortsReport()
    {
        QFETCH(QList<SettingsDownload::UnopenedPort>, ports);
        QTEST(::unopenedPortsReport(ports), "report");
    }

    // The exit status of several devices: the highest of theirs, 130 when interrupted.
    void exitStatusOfDevices_data()
    {
        using Outcome = DownloadBatch::Outcome;
        QTest::addColumn<QList<Outcome>>("outcomes");
        QTest::addColumn<int>("status");
        QTest::newRow("all completed") << QList{Outcome::Completed, Outcome::Completed} << 0;
        QTest::newRow("one silent") << QList{Outcome::Completed, Outcome::NotFound} << 2;
        QTest::newRow("unavailable") << QList{Outcome::Unavailable, Outcome::NotFound} << 3;
        QTest::newRow("refused and no reply") << QList{Outcome::Refused, Outcome::NoReply} << 4;
        QTest::newRow("interrupted") << QList{Outcome::Refused, Outcome::Interrupted} << 130;
        QTest::newRow("no device") << QList<Outcome>{} << 2;
    }
    void exitStatusOfDevices()
    {
        QFETCH(QList<DownloadBatch::Outcome>, outcomes);
        QList<DownloadBatch::Result> devices;
        for (DownloadBatch::Outcome outcome : outcomes) {
            devices << DownloadBatch::Result();
            devices.last().outcome = outcome;
        }
        QTEST(exitStatusOf(devices), "status");
    }

    // The devices a download goes to: an adapter by its serial number, each device once.
    void devicesOfADownload_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("paths"); // <error> then the message when refused
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("by serial number")
            << QStringList{"--device", "serial:A12345"} << QStringList{"/dev/ttyUSB0"}
            << QStringList{"serial:A12345 (/dev/ttyUSB0)"};
        QTest::newRow("a serial number not plugged in")
            << QStringList{"--device", "serial:B999", "--port", "5"}
            << QStringList{"/dev/ttyUSB0", "serial:B999"}
            << QStringList{"port 5 (/dev/ttyUSB0)", "serial:B999"};
        QTest::newRow("one device named three ways")
            << QStringList{"--port",        "5",      "--device", "/dev/ttyUSB0", "--device",
                           "serial:A12345", "--port", "5"}
            << QStringList{"/dev/ttyUSB0"} << QStringList{"port 5 (/dev/ttyUSB0)"};
        QTest::newRow("a serial number two adapters have")
            << QStringList{"--device", "serial:CH340"}
            << QStringList{"<error>", "serial:CH340 names 2 adapters (/dev/ttyUSB1, "
                                      "/dev/ttyUSB2): give their devices instead"}
            << QStringList{};
    }
    void devicesOfADownload()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, paths);
        QFETCH(QStringList, labels);
        QList<PortInfo> listed{adapterPort()};
        for (int n : {1, 2}) {
            PortInfo cheap = numberedPort(5 + n, platformPortName);
            cheap.serialNumber = QStringLiteral("CH340");
            listed << cheap;
        }
        const CliArguments parsed = parseCliArguments(QStringList{"download", "x.zzr"} + arguments);
        QCOMPARE(parsed.error, QString());
        const DownloadPlan plan = planDownload(parsed, platformPortName, [&] { return listed; });
        if (paths.first() == u"<error>") {
            QCOMPARE(plan.error, paths.last());
            return;
        }
        QStringList planned;
        for (const DownloadBatch::Target &target : plan.targets)
            planned << target.ports.first().path;
        QCOMPARE(planned, paths);
        QCOMPARE(plan.labels, labels);
        QCOMPARE(plan.targets.first().ports.first().description.isEmpty(),
                 paths.first() != u"/dev/ttyUSB0");
    }

    // Output that cannot be written ends with a message and status 1; a reader that has closed
    // its pipe ends the program quietly, as other tools end.
    void outputNotWritten()
    {
        const QString file = programFile(QStringLiteral("out.zzr"), fallingSteps(128));
        QProcess full;
        full.setStandardOutputFile(QStringLiteral("/dev/full"));
        full.start(QStringLiteral(KLV90_CLI), {"show", file});
        QVERIFY(full.waitForFinished(60000));
        QCOMPARE(full.exitCode(), 1);
        QCOMPARE(QString::fromUtf8(full.readAllStandardError()),
                 "klv90-cli: cannot write the output: No space left on device\n");

        QProcess closed;
        closed.setChildProcessModifier([] {
            // stdout a pipe whose reader has gone before the first byte.
            int ends[2];
            if (::pipe(ends) != 0 || ::dup2(ends[1], STDOUT_FILENO) < 0)
                _exit(99);
            ::close(ends[0]);
            ::close(ends[1]);
        });
        closed.start(QStringLiteral(KLV90_CLI), {"show", file});
        QVERIFY(closed.waitForFinished(60000));
        QCOMPARE(closed.readAllStandardError(), QByteArray());
        QCOMPARE(closed.exitStatus(), QProcess::CrashExit);
    }

    // check's verdicts, the window's Load rules told apart.
    void check_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "-": no file at all
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // after "<file>: "
        QTest::newRow("one step") << fileOf({StartupStep}) << 0 << "settings file, 1 step";
        QTest::newRow("magic only") << QByteArray("KLV") << 0 << "settings file, 0 steps";
        QTest::newRow("128 steps and a partial record")
            << fileOf(fallingSteps(128), "1234567890") << 0
            << "settings file, 128 steps; 10 trailing bytes ignored";
        QTest::newRow("magic and one byte")
            << QByteArray("KLV\1") << 0 << "settings file, 0 steps; 1 trailing byte ignored";
        QTest::newRow("129 steps") << fileOf(fallingSteps(129)) << 1 << "more than 128 steps";
        QTest::newRow("wrong magic")
            << fileOf({StartupStep}).replace(0, 3, "KLW") << 1 << "not a settings file";
        QTest::newRow("two bytes") << QByteArray("KL") << 1 << "not a settings file";
        QTest::newRow("empty file") << QByteArray() << 1 << "not a settings file";
        QTest::newRow("no such file") << QByteArray("-") << 1 << "cannot be read";
    }
    void check()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const QString file = path(QStringLiteral("check.zzr"));
        QFile::remove(file);
        QVERIFY(bytes == "-" || writeAll(file, bytes));
        const CliRun run = runCli({"check", file});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, exitCode);
        const QString expected = file + QStringLiteral(": ") + message + u'\n';
        QCOMPARE(QString::fromUtf8(run.out), exitCode == 0 ? expected : QString());
        QCOMPARE(run.errText(),
                 exitCode == 0 ? QString() : QStringLiteral("klv90-cli: ") + expected);
    }

    // Every command refuses what check refuses, before it does anything else.
    void refusedFile_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QList<std::pair<const char *, QStringList>> commands{
            {"show", {"show"}},
            {"show --csv", {"show", "--csv"}},
            {"download", {"download", "--device", "/nonexistent/klv-port"}},
            {"print", {"print", "-o", path(QStringLiteral("refused.pdf"))}}};
        for (const auto &[name, command] : commands) {
            QTest::addRow("%s: a directory", name)
                << command << QByteArray("-") << "cannot be read";
            QTest::addRow("%s: 129 steps", name)
                << command << fileOf(fallingSteps(129)) << "more than 128 steps";
            QTest::addRow("%s: wrong magic", name)
                << command << QByteArray("XYZ") << "not a settings file";
        }
    }
    void refusedFile()
    {
        QFETCH(QStringList, command);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QString file = path(QStringLiteral("refused.zzr"));
        if (bytes == "-")
            file = m_dir.path();
        else
            QVERIFY(writeAll(file, bytes));
        const CliRun run = runCli(command << file);
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.errText(), "klv90-cli: " + file + ": " + message + '\n');
        QVERIFY(!QFile::exists(path(QStringLiteral("refused.pdf"))));
    }

    // show: the parameter list as printed, page headers and all, of the sorted program.
    void showList_data()
    {
        QTest::addColumn<int>("steps");
        QTest::newRow("three pages") << 128;
    }
    void showList()
    {
        QFETCH(int, steps);
        const QList<Step> stored = fallingSteps(steps);
        const CliRun run = runCli({"show", programFile(QStringLiteral("list.zzr"), stored)});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());

        const QStringList lines = QString::fromUtf8(run.out).split(u'\n');
        QCOMPARE(lines.last(), QString()); // every line ends in a line feed
        QStringList expected;
        for (const PrintPage &page : parameterListPages(loaded(stored))) {
            for (const PrintLine &line : page) {
                QString text = line.text;
                while (text.endsWith(u' '))
                    text.chop(1);
                expected << text;
            }
        }
        QCOMPARE(lines.mid(0, lines.size() - 1), expected);
        QCOMPARE(lines.size() - 1, steps + 6 * ((steps + 54) / 55));
        for (int page = 1; page <= (steps + 54) / 55; ++page)
            QCOMPARE(lines[(page - 1) * 61 + 2].trimmed(), QStringLiteral("%1 PAGE").arg(page));
    }

    // The lines of two known steps, stored out of order, character for character.
    void showKnownSteps()
    {
        const QString lo = QStringLiteral("LO       "), hi = QStringLiteral("HI       ");
        const QString off2 = QStringLiteral(" -       -       -      ");
        const QString startup = QString(6, u' ') + lo.repeated(7) + QString(28 + 8 + 11, u' ') +
                                "001     050     000      " + off2 + "001   OFF";
        const QString second = QString(6, u' ') + hi + QStringLiteral("MASK     ") +
                               lo.repeated(5) + QStringLiteral("RUN    ") + QString(21 + 8, u' ') +
                               "WAIT       010     100     005      " + off2 + "003   ON";
        const CliRun run =
            runCli({"show", programFile(QStringLiteral("known.zzr"), {SecondStep, StartupStep})});
        QCOMPARE(run.exitCode, 0);
        const QStringList lines = QString::fromUtf8(run.out).split(u'\n');
        QCOMPARE(lines.size(), 6 + 2 + 1);
        QCOMPARE(lines[0], QString());
        QCOMPARE(lines[1], QString(43, u' ') + "ＫＬＶ－９０設定パラメータリスト");
        QCOMPARE(lines[2], QString(170, u' ') + "1 PAGE");
        QCOMPARE(lines[5], u' ' + QString(184, u'-'));
        QCOMPARE(lines[6], startup);
        QCOMPARE(lines[7], second);
    }

    // show of a program without steps prints no list, not even a header, and says why.
    void showEmptyProgram()
    {
        const QString file = programFile(QStringLiteral("empty.zzr"), {});
        const CliRun run = runCli({"show", file});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.errText(), "klv90-cli: " + file + ": no steps\n");
    }

    // show --csv: a header of the grid's column titles, then the grid's texts of each step; a
    // program without steps gets the header, and the note of show.
    void showCsv_data()
    {
        QTest::addColumn<QList<Step>>("stored");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("empty program") << QList<Step>{} << QStringList{};
        QTest::newRow("two steps stored out of order")
            << QList<Step>{SecondStep, StartupStep}
            << QStringList{"LO,LO,LO,LO,LO,LO,LO,,,,,,,1,50,0,-,-,-,1,OFF",
                           "HI,MASK,LO,LO,LO,LO,LO,RUN,,,,,WAIT,10,100,5,-,-,-,3,ON"};
        QTest::newRow("instruction 2 and a bit condition")
            << QList<Step>{Step{64, 127, 0x80 | 0x20 | 0x0E, 255, 0, 9, 7, 128, 3, 0, 7}}
            << QStringList{"LO,LO,LO,LO,LO,LO,HI,,RUN,RUN,RUN,BIT増,,255,0,9,7,50,3,0,ON"};
    }
    void showCsv()
    {
        QFETCH(QList<Step>, stored);
        QFETCH(QStringList, rows);
        const QString file = programFile(QStringLiteral("grid.zzr"), stored);
        const CliRun run = runCli({"show", "--csv", file});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.errText(),
                 stored.isEmpty() ? "klv90-cli: " + file + ": no steps\n" : QString());
        const QString header = QStringLiteral(
            "ワイヤー１,ワイヤー２,ワイヤー３,ワイヤー４,ワイヤー５,ワイヤー６,ワイヤーフラグ,"
            "ポート１,ポート２,ポート３,ポート４,増減条件,終了待ち,命令１調光速度,命令１目的輝度,"
            "命令１ポーズ,命令２調光速度,命令２目的輝度,命令２ポーズ,回数,フラグ");
        QCOMPARE(QString::fromUtf8(run.out), (QStringList{header} + rows).join("\r\n") + "\r\n");
    }

    // print in a console, with no display: A4 landscape, 55 steps a page, the lines of show.
    void printPdf_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("pages");
        QTest::newRow("56") << 56 << 2;
        QTest::newRow("128") << 128 << 3;
    }
    void printPdf()
    {
        QFETCH(int, steps);
        QFETCH(int, pages);
        const QList<Step> stored = fallingSteps(steps);
        const QString pdf = path(QStringLiteral("list.pdf"));
        QVERIFY(writeAll(pdf, "an older file"));
        const CliRun run =
            runCli({"print", programFile(QStringLiteral("print.zzr"), stored), "-o", pdf});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(countInFile(pdf, QStringLiteral("/Type\\s*/Page(?![A-Za-z])")), pages);
        QCOMPARE(countInFile(pdf, QStringLiteral("/MediaBox \\[0 0 842(\\.0*)? 595(\\.0*)?\\]")),
                 pages);
        const QList<PrintPage> expected = parameterListPages(loaded(stored));
        for (int p = 0; p < pages; ++p) {
            QString text;
            for (const PrintLine &line : expected[p])
                text += line.text + u'\n';
            QCOMPARE(simplifiedLines(pdftotext(pdf, p + 1)), simplifiedLines(text));
        }
    }

    // Nothing to print, or nowhere to put it: status 1, and a file already under the name asked
    // for is left as it was.
    void printRefused_data()
    {
        QTest::addColumn<QList<Step>>("stored");
        QTest::addColumn<QString>("pdf");
        QTest::addColumn<QString>("message"); // <file>: the program file, <pdf>: the PDF file
        const QString nothing =
            QStringLiteral("<file>: no steps, nothing to print; <pdf> not written");
        QTest::newRow("empty program")
            << QList<Step>{} << path(QStringLiteral("empty.pdf")) << nothing;
        QTest::newRow("empty program, an older file there")
            << QList<Step>{} << path(QStringLiteral("older.pdf")) << nothing;
        QTest::newRow("no such folder")
            << QList<Step>{StartupStep} << path(QStringLiteral("gone/list.pdf"))
            << "cannot write <pdf>";
    }
    void printRefused()
    {
        QFETCH(QList<Step>, stored);
        QFETCH(QString, pdf);
        QFETCH(QString, message);
        const bool older = pdf.endsWith(QStringLiteral("older.pdf"));
        QVERIFY(!older || writeAll(pdf, "an older file"));
        const QString file = programFile(QStringLiteral("refused.zzr"), stored);
        const CliRun run = runCli({"print", file, "--output", pdf});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errText(),
                 "klv90-cli: " + message.replace("<file>", file).replace("<pdf>", pdf) + '\n');
        QCOMPARE(readAll(pdf), older ? QByteArray("an older file") : QByteArray());
        QCOMPARE(QFile::exists(pdf), older);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
