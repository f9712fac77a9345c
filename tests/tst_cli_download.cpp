// klv90-cli download, the real program, against the controller simulator on pseudo-terminals:
// the exchange byte for byte, the exit status of each way it can fail, and its progress on a
// terminal and off one.
#include "clirunner.h"
#include "controllersim.h"
#include "protocol.h"
#include "qtseriallink.h"
#include "settingsfile.h"
#include "settingsfiletesting.h"
#include "steptablemodel.h"
#include "teststrings.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Klv;

namespace {

const QString Hello = QStringLiteral("48 45 4C 4C 4F");
const QString End = QStringLiteral("45 4E 44");
constexpr int Patience = 20000; // ms; every wait of the download is far shorter
constexpr uint Nobody = 65534;  // the other user, outside the group dialout

const Step StartupStep{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
const Step SecondStep{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1};

// count steps with falling keyData: loading them has to sort them.
QList<Step> fallingSteps(int count)
{
    QList<Step> steps;
    for (int i = count - 1; i >= 0; --i)
        steps << Step{qint16(i),     255, qint16(i % 16), qint16(1 + i), qint16(255 - i), 3, 1, 127,
                      qint16(i / 2), 9,   qint16(i % 2)};
    return steps;
}

StepTable loaded(const QList<Step> &steps)
{
    StepTableModel model;
    model.load(steps);
    return model.table();
}

QString plural(int count)
{
    return QString::number(count) + (count == 1 ? " step" : " steps");
}

// The log's records, each line one whole JSON object of its thirteen members, in their order.
QList<QJsonObject> records(const QByteArray &lines)
{
    const QList<QByteArray> members{"time",   "device",  "port",  "adapter", "file",
                                    "sha256", "steps",   "taken", "resends", "outcome",
                                    "reason", "seconds", "tool"};
    QList<QJsonObject> parsed;
    for (const QByteArray &line : lines.trimmed().split('\n')) {
        qsizetype at = 0;
        for (const QByteArray &member : members)
            at = at < 0 ? at : line.indexOf('"' + member + "\":", at);
        const QJsonObject record = QJsonDocument::fromJson(line).object();
        if (at < 0 || record.size() != members.size())
            qWarning("not a record: %s", line.constData());
        else
            parsed << record;
    }
    return parsed;
}

} // namespace

class TestCliDownload : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString programFile(const QList<Step> &steps)
    {
        const QString file = m_dir.filePath(QStringLiteral("program.zzr"));
        if (!writeAll(file, fileOf(steps)))
            qFatal("cannot write %s", qPrintable(file));
        return file;
    }

    // The device belongs to root and the group (dialout unless given), with the mode; nobody
    // else may write to it.
    void denyToOthers(const QString &device, const char *groupName = "dialout", uint mode = 0660)
    {
        const group *owners = getgrnam(groupName);
        QVERIFY(owners);
        QVERIFY(chown(qPrintable(device), 0, owners->gr_gid) == 0);
        QVERIFY(chmod(qPrintable(device), mode) == 0);
        // The program file lies in the test's folder: the other user must read it.
        QVERIFY(chmod(qPrintable(m_dir.path()), 0755) == 0);
    }

    // Everything the tool sent has arrived once the simulator saw the line close.
    static bool lineClosed(ControllerSim &sim)
    {
        return QTest::qWaitFor(
            [&] { return sim.hasLine("-- closed") || sim.hasLine("-- vanished"); }, Patience);
    }

private slots:
    void initTestCase()
    {
        if (!pseudoTerminalsAvailable())
            QSKIP("no pseudo-terminals here: is devpts mounted on /dev/pts?");
        QVERIFY(m_dir.isValid());
    }

    // The frames of the sorted program, then "END"; progress one line per step off a terminal.
    void exchange_data()
    {
        QTest::addColumn<QList<Step>>("stored");
        QTest::addColumn<QStringList>("frames"); // empty: those of the sorted program
        QTest::newRow("step left by start-up")
            << QList<Step>{StartupStep} << QStringList{"00 FF 00 01 7F 00 01 7F 00 01 00 00 00"};
        QTest::newRow("two steps stored out of order")
            << QList<Step>{SecondStep, StartupStep}
            << QStringList{"00 FF 00 01 7F 00 01 7F 00 01 00 00 00",
                           "01 FD 41 0A FF 05 01 7F 00 03 01 D1 00"};
        QTest::newRow("empty program") << QList<Step>{} << QStringList{};
        QTest::newRow("128 steps stored backwards") << fallingSteps(128) << QStringList{};
    }
    void exchange()
    {
        QFETCH(QList<Step>, stored);
        QFETCH(QStringList, frames);
        const StepTable table = loaded(stored);
        if (frames.isEmpty()) {
            for (const Step &step : table.steps())
                frames << hexBytes(stepFrame(step));
        }
        const QString saved = m_dir.filePath(QStringLiteral("received.zzr"));
        QFile::remove(saved);
        ControllerSim sim({"--save", saved});

        const CliRun run = runCli({"download", programFile(stored), "--device", sim.path()});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(lineClosed(sim));
        QCOMPARE(sim.received(), QStringList{Hello} + frames + QStringList{End});
        QStringList replies{"WELCOME"};
        for (int i = 0; i < frames.size(); ++i)
            replies << "OK";
        QCOMPARE(sim.replies(), replies);
        QTRY_VERIFY_WITH_TIMEOUT(sim.hasLine("saved " + saved), Patience);
        QCOMPARE(readAll(saved), settingsFileBytes(table));

        QStringList progress{"greeting the controller on " + sim.path(),
                             "controller found on " + sim.path(),
                             "sending " + plural(int(frames.size()))};
        for (int i = 1; i <= frames.size(); ++i)
            progress << QStringLiteral("step %1 of %2 taken").arg(i).arg(frames.size());
        progress << "done: " + plural(int(frames.size())) + " downloaded";
        QCOMPARE(run.errText(), progress.join(u'\n') + u'\n');
        QCOMPARE(run.out, QByteArray());
    }

    // How the download ends when it does not complete, the status each end gives, and what the
    // controller got: never "END" after a partial program.
    void failures_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("stepCount");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("framesSent");
        QTest::addColumn<QString>("message"); // the last line on stderr; <device> is the device
        const QString notFound = QStringLiteral("klv90-cli: no controller answered on <device>");
        const QString noReply =
            QStringLiteral("klv90-cli: no reply from the controller after %1 of 3 steps, or the "
                           "line failed; it keeps its old program");
        QTest::newRow("no answer") << QStringList{"--silent"} << 2 << 2 << 0 << notFound;
        QTest::newRow("welcome in small letters")
            << QStringList{"--small-welcome"} << 2 << 2 << 0 << notFound;
        QTest::newRow("welcome a second late")
            << QStringList{"--late", "1500"} << 2 << 2 << 0 << notFound;
        QTest::newRow("falls silent after a step")
            << QStringList{"--silent-after", "1"} << 3 << 3 << 2 << noReply.arg(1);
        // The line may hang up before the step's "OK" is read: then no step counts as taken.
        QTest::newRow("device gone after a step")
            << QStringList{"--vanish-after", "1"} << 3 << 3 << 1 << noReply.arg("<0 or 1>");
        QTest::newRow("ten refusals")
            << QStringList{"--ng", "10"} << 2 << 4 << 10
            << "klv90-cli: the controller refused step 1 of 2 10 times; it keeps its old program";
        QTest::newRow("nine refusals, then taken")
            << QStringList{"--ng", "9"} << 2 << 0 << 11 << "done: 2 steps downloaded";
    }
    void failures()
    {
        QFETCH(QStringList, options);
        QFETCH(int, stepCount);
        QFETCH(int, exitCode);
        QFETCH(int, framesSent);
        QFETCH(QString, message);
        ControllerSim sim(options);
        const CliRun run =
            runCli({"download", programFile(fallingSteps(stepCount)), "--device", sim.path()});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(lineClosed(sim));
        const QStringList received = sim.received();
        QCOMPARE(received.first(), Hello);
        const bool completed = exitCode == 0;
        QCOMPARE(received.last() == End, completed);
        QCOMPARE(received.size() - 1 - int(completed), framesSent);
        const QStringList lines = run.errText().split(u'\n');
        QCOMPARE(lines.last(), QString());
        QString last = lines.value(lines.size() - 2);
        if (message.contains(QStringLiteral("<0 or 1>")))
            last.replace(QRegularExpression(QStringLiteral("after [01] of")),
                         QStringLiteral("after <0 or 1> of"));
        QCOMPARE(last, QString(message).replace(QStringLiteral("<device>"), sim.path()));
        QCOMPARE(run.out, QByteArray());
    }

    // A port that cannot be opened at all, the one device named or a port number's device: why,
    // and what to do, which for a device the user may not write depends on its group and the
    // user's. <pty> is a pseudo-terminal of the test's.
    void cannotOpen_data()
    {
        QTest::addColumn<QStringList>("where");
        QTest::addColumn<QString>("how"); // what stands in the way of <pty>: held, or the owning
                                          // group and mode for the user nobody
        QTest::addColumn<QString>("message");
        const QString denied = QStringLiteral("klv90-cli: cannot open <pty>: permission denied; ");
        QTest::newRow("no such device")
            << QStringList{"--device", "/nonexistent/klv-port"} << ""
            << "klv90-cli: cannot open /nonexistent/klv-port: no such device\n";
        QTest::newRow("no such port number")
            << QStringList{"--port", "14"} << ""
            << "klv90-cli: cannot open port 14 (/dev/ttyUSB9): no such device\n";
        QTest::newRow("held by another program")
            << QStringList{"--device", "<pty>"} << "held"
            << "klv90-cli: cannot open <pty>: in use by another program; close the program that "
               "holds it, then try again\n";
        const QString join = QStringLiteral(
            "join the dialout group (sudo usermod -aG dialout $USER), then log in again\n");
        QTest::newRow("not for a user outside dialout")
            << QStringList{"--device", "<pty>"} << "dialout 0660" << denied + join;
        QTest::newRow("readable, not writable")
            << QStringList{"--device", "<pty>"} << "dialout 0664" << denied + join;
        QTest::newRow("root's alone")
            << QStringList{"--device", "<pty>"} << "root 0600"
            << denied + "the device belongs to root (group root) with mode 0600\n";
        // nobody's account is in its own group nogroup; this login is in another.
        QTest::newRow("in the group since this login")
            << QStringList{"--device", "<pty>"} << "nogroup 0660 later"
            << denied + "your account is in the group nogroup, but this login began before it "
                        "joined: log out and in again\n";
    }
    void cannotOpen()
    {
        QFETCH(QStringList, where);
        QFETCH(QString, how);
        QFETCH(QString, message);
        if (where.contains("14") && QFile::exists(QStringLiteral("/dev/ttyUSB9")))
            QSKIP("this machine has a /dev/ttyUSB9");
        TestPty pty;
        QtSerialLink holder;
        if (how == u"held")
            QVERIFY(holder.open(pty.path()));
        std::optional<uint> user;
        std::optional<uint> loginGroup;
        if (how != u"held" && !how.isEmpty()) {
            if (geteuid() != 0)
                QSKIP("only root can run klv90-cli as a user outside dialout");
            const QStringList words = how.split(u' ');
            denyToOthers(pty.path(), qPrintable(words[0]), words[1].toUInt(nullptr, 8));
            user = Nobody;
            if (words.size() > 2)
                loginGroup = 1; // daemon
        }
        where.replaceInStrings(QStringLiteral("<pty>"), pty.path());
        const CliRun run = runCli(QStringList{"download", programFile({StartupStep})} + where, {},
                                  60000, user, loginGroup);
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 3);
        QCOMPARE(run.errText(), message.replace(QStringLiteral("<pty>"), pty.path()));
    }

    // A search that finds nothing lists the ports that are there but would not open, and why:
    // the simulator reached as /dev/ttyACM9 (port 24), which the user may not open.
    void searchNamesPortsThatWouldNotOpen()
    {
        const QString device = QStringLiteral("/dev/ttyACM9");
        if (geteuid() != 0)
            QSKIP("only root may put the simulator's link into /dev and run as another user");
        if (QFile::exists(device) || QFileInfo(device).isSymLink())
            QSKIP("this machine has a /dev/ttyACM9");
        ControllerSim sim({"--link", device});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(device).isSymLink(), Patience);
        denyToOthers(sim.path());
        const CliRun run = runCli({"download", programFile({StartupStep})}, {}, 60000, Nobody);
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 2);
        const QString err = run.errText();
        QVERIFY2(err.startsWith("klv90-cli: no controller answered on ports 1 to 30\n"
                                "klv90-cli: these ports exist but could not be opened:\n"),
                 qPrintable(err));
        QVERIFY2(err.contains("\n  port 24 (/dev/ttyACM9): permission denied\n"), qPrintable(err));
        QVERIFY2(err.endsWith("\nklv90-cli: join the dialout group (sudo usermod -aG dialout "
                              "$USER), then log in again\n"),
                 qPrintable(err));
        QCOMPARE(sim.received(), QStringList{});
    }

    // Ctrl-C (or a TERM) while steps are sent ends as the window's Exit does: nothing more goes
    // out, no "END", the port is free again at once, and the status is 130.
    void interrupted_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
    }
    void interrupted()
    {
        QFETCH(int, signalNumber);
        ControllerSim sim({"--frame-late", "200"});
        QProcess cli;
        cli.setProcessEnvironment(consoleEnvironment());
        cli.start(QStringLiteral(KLV90_CLI),
                  {"download", programFile(fallingSteps(20)), "--device", sim.path()});
        QByteArray err;
        QVERIFY(QTest::qWaitFor(
            [&] {
                err += cli.readAllStandardError();
                return err.contains("step 2 of 20 taken\n");
            },
            Patience));
        QVERIFY(::kill(pid_t(cli.processId()), signalNumber) == 0);
        QVERIFY(cli.waitForFinished(Patience));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 130);
        err += cli.readAllStandardError();
        const QRegularExpression interruptedLine(QStringLiteral(
            "\nklv90-cli: interrupted after (\\d+) of 20 steps; no \"END\" was sent, so the "
            "controller keeps its old program\n$"));
        const QRegularExpressionMatch match = interruptedLine.match(QString::fromUtf8(err));
        QVERIFY2(match.hasMatch(), err.constData());
        QVERIFY(match.captured(1).toInt() >= 2);
        QVERIFY(lineClosed(sim));
        QVERIFY(!sim.received().contains(End));

        // The line is free: the next download on it goes through.
        const CliRun again =
            runCli({"download", programFile({StartupStep}), "--device", sim.path()});
        QVERIFY(again.ended);
        QCOMPARE(again.exitCode, 0);
        QTRY_COMPARE_WITH_TIMEOUT(sim.received().last(), End, Patience);
    }

    // --port N tries port N's device and no other: the simulator reached as /dev/ttyACM9.
    void portNumber()
    {
        const QString device = QStringLiteral("/dev/ttyACM9");
        if (geteuid() != 0)
            QSKIP("only root may put the simulator's link into /dev");
        if (QFile::exists(device) || QFileInfo(device).isSymLink())
            QSKIP("this machine has a /dev/ttyACM9");
        ControllerSim sim({"--link", device});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(device).isSymLink(), Patience);
        const CliRun run = runCli({"download", programFile({StartupStep}), "--port", "24"});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.errText().startsWith("greeting the controller on port 24 (/dev/ttyACM9)\n"
                                         "controller found on port 24 (/dev/ttyACM9)\n"));
        QVERIFY(lineClosed(sim));
        QCOMPARE(sim.received().size(), 3);
    }

    // On a terminal the steps taken are one line, redrawn; the lines around it stay.
    void progressBarOnTerminal()
    {
        TestPty terminal;
        ControllerSim sim;
        const CliRun run = runCli(
            {"download", programFile(fallingSteps(3)), "--device", sim.path()}, terminal.path());
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 0);
        const auto bar = [](int filled, int taken) {
            return QStringLiteral("\r[%1%2] %3/3 steps")
                .arg(QString(filled, u'#'), QString(40 - filled, u'.'))
                .arg(taken);
        };
        const QString expected = "greeting the controller on " + sim.path() +
                                 "\ncontroller found on " + sim.path() + "\nsending 3 steps\n" +
                                 bar(0, 0) + bar(13, 1) + bar(26, 2) + bar(40, 3) +
                                 "\ndone: 3 steps downloaded\n";
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(terminal.received()), expected, Patience);
        QCOMPARE(run.err, QByteArray());
    }

    // A log that cannot be opened stops the download before anything is sent.
    void unusableLogStopsFirst()
    {
        ControllerSim sim;
        const CliRun run = runCli({"download", programFile({StartupStep}), "--device", sim.path(),
                                   "--log", m_dir.filePath(QStringLiteral("gone/log.jsonl"))});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.errText(), "klv90-cli: cannot open the log " +
                                    m_dir.filePath(QStringLiteral("gone/log.jsonl")) +
                                    ": No such file or directory\n");
        QCOMPARE(sim.received(), QStringList{});
    }

    // One of three controllers silent or refusing: the other two take the program, and the
    // status is the failing one's.
    void oneOfThreeFails_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("closing");
        QTest::newRow("silent") << QStringList{"--silent"} << 2 << "no controller answered on it";
        QTest::newRow("refusing") << QStringList{"--ng", "10"} << 4
                                  << "the controller refused step 1 of 2 10 times; it keeps its "
                                     "old program";
    }
    void oneOfThreeFails()
    {
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QString, closing);
        ControllerSim first;
        ControllerSim failing(options);
        ControllerSim last;
        const CliRun run =
            runCli({"download", programFile(fallingSteps(2)), "--device", first.path(), "--device",
                    failing.path(), "--device", last.path()});
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, exitCode);
        for (ControllerSim *sim : {&first, &last}) {
            QVERIFY(lineClosed(*sim));
            QVERIFY2(sim->received().size() == 4, qPrintable(run.errText()));
            QCOMPARE(sim->received().last(), End);
        }
        QVERIFY(lineClosed(failing));
        QVERIFY(!failing.received().contains(End));
        QVERIFY2(run.errText().endsWith(first.path() + ": done: 2 steps downloaded\n" +
                                        failing.path() + ": " + closing + "\n" + last.path() +
                                        ": done: 2 steps downloaded\n"),
                 qPrintable(run.errText()));
    }

    // Ctrl-C during three transfers ends all three as it ends one: nothing more is sent, no
    // "END", and each says how far it came.
    void interruptedDuringThreeTransfers()
    {
        QList<std::shared_ptr<ControllerSim>> sims;
        QStringList arguments{"download", programFile(fallingSteps(20))};
        for (int i = 0; i < 3; ++i) {
            sims << std::make_shared<ControllerSim>(QStringList{"--frame-late", "200"});
            arguments << "--device" << sims.last()->path();
        }
        QProcess cli;
        cli.setProcessEnvironment(consoleEnvironment());
        cli.start(QStringLiteral(KLV90_CLI), arguments);
        QByteArray err;
        QVERIFY(QTest::qWaitFor(
            [&] {
                err += cli.readAllStandardError();
                return std::all_of(sims.cbegin(), sims.cend(), [&](const auto &sim) {
                    return err.contains((sim->path() + ": step 1 of 20 taken\n").toUtf8());
                });
            },
            Patience));
        QVERIFY(::kill(pid_t(cli.processId()), SIGINT) == 0);
        QVERIFY(cli.waitForFinished(Patience));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 130);
        err += cli.readAllStandardError();
        for (const auto &sim : std::as_const(sims)) {
            QVERIFY(lineClosed(*sim));
            QVERIFY(!sim->received().contains(End));
            const QRegularExpression interruptedLine(
                QRegularExpression::escape(sim->path()) +
                QStringLiteral(": interrupted after \\d+ of 20 steps; no \"END\" was sent, so "
                               "the controller keeps its old program\n"));
            QVERIFY2(interruptedLine.match(QString::fromUtf8(err)).hasMatch(), err.constData());
        }
    }

    // Two programs, three controllers each, appending to one log at once: every controller gets
    // every byte, every line is whole, one per device; --json writes the same to stdout.
    void twoProgramsShareOneLog()
    {
        const QString log = m_dir.filePath(QStringLiteral("shared.jsonl"));
        QFile::remove(log);
        const QList<Step> stored = fallingSteps(5);
        const QString file = programFile(stored);
        const auto saved = [&](int i) {
            return m_dir.filePath(QStringLiteral("got%1.zzr").arg(i));
        };
        QList<std::shared_ptr<ControllerSim>> sims;
        QList<std::shared_ptr<QProcess>> programs;
        for (const QStringList &json : {QStringList{}, QStringList{"--json"}}) {
            QStringList arguments = QStringList{"download", file, "--log", log} + json;
            for (int i = 0; i < 3; ++i) {
                QFile::remove(saved(int(sims.size())));
                sims << std::make_shared<ControllerSim>(
                    QStringList{"--save", saved(int(sims.size()))});
                arguments << "--device" << sims.last()->path();
            }
            programs << std::make_shared<QProcess>();
            programs.last()->start(QStringLiteral(KLV90_CLI), arguments);
        }
        for (const auto &program : std::as_const(programs)) {
            QVERIFY(program->waitForFinished(Patience));
            QCOMPARE(program->exitCode(), 0);
        }
        const QList<QJsonObject> logged = records(readAll(log));
        QCOMPARE(logged.size(), 6);
        for (const QJsonObject &record : records(programs[1]->readAllStandardOutput()))
            QVERIFY(logged.contains(record));
        QStringList devices;
        for (const QJsonObject &record : logged) {
            devices << record["device"].toString();
            QCOMPARE(record["outcome"].toString(), QStringLiteral("completed"));
            QCOMPARE(record["taken"].toInt(), 5);
            QCOMPARE(record["sha256"].toString(),
                     QCryptographicHash::hash(readAll(file), QCryptographicHash::Sha256).toHex());
            QCOMPARE(record["file"].toString(), QFileInfo(file).absoluteFilePath());
            QVERIFY(record["port"].isNull() && record["reason"].isNull());
            QCOMPARE(QDateTime::fromString(record["time"].toString(), Qt::ISODate).timeSpec(),
                     Qt::UTC);
        }
        for (int i = 0; i < sims.size(); ++i) {
            QVERIFY(devices.contains(sims[i]->path()));
            QTRY_VERIFY_WITH_TIMEOUT(sims[i]->hasLine("saved " + saved(i)), Patience);
            QCOMPARE(readAll(saved(i)), settingsFileBytes(loaded(stored)));
        }
    }

    // Several devices on a terminal: one line each, redrawn in place, the last time with how it
    // ended.
    void linesRedrawnOnTerminal()
    {
        TestPty terminal;
        ControllerSim first;
        ControllerSim second({"--ng", "10"});
        const CliRun run = runCli({"download", programFile(fallingSteps(3)), "--device",
                                   first.path(), "--device", second.path()},
                                  terminal.path());
        QVERIFY(run.ended);
        QCOMPARE(run.exitCode, 4);
        const auto redrawn = [](int up, const QString &line) {
            return QStringLiteral("\x1b[%1A\r\x1b[2K%2\x1b[%1B\r").arg(up).arg(line).toUtf8();
        };
        const QByteArray firstEnd = redrawn(2, first.path() + ": done: 3 steps downloaded");
        const QByteArray secondEnd =
            redrawn(1, second.path() + ": the controller refused step 1 of 3 10 times; it keeps "
                                       "its old program");
        QTRY_VERIFY_WITH_TIMEOUT(terminal.received().contains(firstEnd) &&
                                     terminal.received().contains(secondEnd),
                                 Patience);
    }
};

QTEST_GUILESS_MAIN(TestCliDownload)
#include "tst_cli_download.moc"
