// The controller simulator as the README starts it: mistakes in its options, and the
// walk-through under sudo, where the simulator runs as root and the tool as the user who ran sudo.
#include "controllersim.h"
#include "protocol.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Klv;

namespace {

// The id of "nobody", the unprivileged account; the test adds no user of its own.
constexpr uint Nobody = 65534;
const QString NobodyId = QString::number(Nobody);

} // namespace

class TestSimulator : public QObject
{
    Q_OBJECT
private slots:
    void optionMistakeNamesTheOption_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("named");
        QTest::newRow("unknown") << QStringList{"--silent", "--bogus"} << "--bogus";
        QTest::newRow("number missing") << QStringList{"--late"} << "--late";
        QTest::newRow("not a number") << QStringList{"--baud", "fast"} << "--baud";
    }
    void optionMistakeNamesTheOption()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, named);
        QProcess sim;
        sim.start(QStringLiteral(KLV90_SIM), options);
        QVERIFY(sim.waitForFinished(10000));
        QCOMPARE(sim.exitCode(), 2);
        const QString error = QString::fromLocal8Bit(sim.readAllStandardError());
        QVERIFY2(error.contains(named), qPrintable(error));
        QCOMPARE(sim.readAllStandardOutput(), QByteArray()); // no terminal was opened
    }

    // The link lies in the test's folder instead of /dev. Without sudo's user the terminal
    // stays root's, and a user's tool cannot open it.
    void walkThroughUnderSudo_data()
    {
        QTest::addColumn<bool>("sudo");
        QTest::newRow("started with sudo") << true;
        QTest::newRow("started by root itself") << false;
    }
    void walkThroughUnderSudo()
    {
        QFETCH(bool, sudo);
        if (geteuid() != 0)
            QSKIP("needs root, to run the simulator as root and the tool as another user");
        if (!pseudoTerminalsAvailable())
            QSKIP("no pseudo-terminals here: is devpts mounted on /dev/pts?");
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) |
                                                      QFile::ExeOther)); // the user's way in
        const QString link = dir.filePath(QStringLiteral("ttyUSB0"));
        const QString saved = dir.filePath(QStringLiteral("received.zzr"));
        const QStringList sudoUser{"SUDO_UID=" + NobodyId, "SUDO_GID=" + NobodyId};
        ControllerSim sim({"--link", link, "--save", saved, "--once"},
                          sudo ? sudoUser : QStringList{});
        QCOMPARE(QFileInfo(link).symLinkTarget(), sim.path());
        QCOMPARE(QFileInfo(sim.path()).ownerId(), sudo ? Nobody : 0);

        QProcess tool;
        tool.start(QStringLiteral(LINE_AS_USER), {NobodyId, NobodyId, link});
        QVERIFY(tool.waitForFinished(30000));
        if (!sudo) {
            QCOMPARE(tool.readAllStandardOutput(), "line_as_user: the device does not open\n");
            return;
        }
        QCOMPARE(tool.readAllStandardOutput(), QByteArray());
        QCOMPARE(tool.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(sim.hasLine("saved " + saved), 20000);
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const Step step{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1}; // the one line_as_user sends
        QCOMPARE(file.readAll(), "KLV" + stepFrame(step).left(Step::FieldCount));
        QCOMPARE(QFileInfo(saved).ownerId(), Nobody);
        QCOMPARE(QFileInfo(saved).groupId(), Nobody);
        // After the one download (--once) the simulator has ended and taken its link away.
        QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo(link).isSymLink(), 20000);
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
