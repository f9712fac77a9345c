// The settings file on real files: the bytes Save writes, what cannot be read, and that a
// failing save never harms what was there. Load's verdicts are tested through the window.
#include "recoverycopy.h"
#include "settingsfile.h"
#include "settingsfilecheck.h"
#include "settingsfiletesting.h"
#include "teststrings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Klv;

Q_DECLARE_METATYPE(SettingsFileError)

class TestSettingsFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    static StepTable tableOf(int count) { return StepTable(stepsFor(count)); }

private slots:
    void savedBytes_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("oldFileSize"); // -1: no file there before
        QTest::newRow("one step, new file") << 1 << -1;
        QTest::newRow("three steps over a longer file") << 3 << 2000;
        QTest::newRow("three steps over a shorter file") << 3 << 5;
        QTest::newRow("128 steps over a longer file") << 128 << 5000;
    }
    void savedBytes()
    {
        QFETCH(int, steps);
        QFETCH(int, oldFileSize);
        const QString file = path(QStringLiteral("saved.zzr"));
        QFile::remove(file);
        if (oldFileSize >= 0)
            QVERIFY(writeAll(file, QByteArray(oldFileSize, 'x')));

        const StepTable table = tableOf(steps);
        QVERIFY(writeSettingsFile(file, table));

        const QByteArray bytes = readAll(file);
        QCOMPARE(bytes.size(), 3 + 11 * steps);
        QCOMPARE(bytes.first(3), QByteArray("\x4B\x4C\x56"));
        for (int slot = 0; slot < steps; ++slot)
            QCOMPARE(bytes.sliced(3 + 11 * slot, 11), record(table.at(slot)));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"saved.zzr"});
    }

    // The record order, against the names of the fields.
    void recordOrder()
    {
        const StepTable table({{.keyData = 1,
                                .keyMask = 2,
                                .controlBits = 3,
                                .speed1 = 4,
                                .level1 = 5,
                                .pause1 = 6,
                                .speed2 = 7,
                                .level2 = 8,
                                .pause2 = 9,
                                .repeatCount = 10,
                                .stepFlag = 255}});
        QCOMPARE(settingsFileBytes(table), QByteArray("KLV\1\2\3\4\5\6\7\x8\x9\xA\xFF"));
    }

    void unreadable_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("no such file") << path(QStringLiteral("missing.zzr"));
        QTest::newRow("a directory") << m_dir.path();
        // Windows has no /proc, and its permissions cannot take reading away from a file's owner.
#ifdef Q_OS_UNIX
        // Reading memory the process does not map fails like a bad disk, root included.
        QTest::newRow("read error") << QStringLiteral("/proc/self/mem");
        QTest::newRow("no read permission") << path(QStringLiteral("locked.zzr"));
#endif
    }
    void unreadable()
    {
        QFETCH(QString, file);
#ifdef Q_OS_UNIX
        if (file.endsWith(QStringLiteral("locked.zzr"))) {
            if (geteuid() == 0)
                QSKIP("root reads any file");
            QVERIFY(writeAll(file, fileOf(stepsFor(1))));
            QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
        }
#endif
        const SettingsFileContents read = readSettingsFile(file);
        QCOMPARE(read.error, SettingsFileError::Unreadable);
        QVERIFY(read.steps.isEmpty());
    }

    // Whatever was at the path stays exactly as it was, and no stray files are left.
    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("path is a directory") << "directory";
        // Windows ignores a folder's read-only mark, and has no limit to fake a full disk with.
#ifdef Q_OS_UNIX
        QTest::newRow("directory not writable") << "readonly";
        QTest::newRow("disk full") << "full";
#endif
        QTest::newRow("folder missing") << "missing";
    }
    void failedSaveKeepsOldFile()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("old.zzr"));
        const QByteArray old = fileOf(stepsFor(2), "tail");
        QVERIFY(writeAll(target, old));
        const StepTable table = tableOf(20);

        if (how == u"directory") {
            const QString folder = dir.filePath(QStringLiteral("folder.zzr"));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.zzr")));
            QVERIFY(writeAll(folder + QStringLiteral("/inside"), old));
            QVERIFY(!writeSettingsFile(folder, table));
            QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"inside"});
            QCOMPARE(readAll(folder + QStringLiteral("/inside")), old);
#ifdef Q_OS_UNIX
        } else if (how == u"readonly") {
            if (geteuid() == 0)
                QSKIP("root writes into any directory; the disk-full row covers root");
            QVERIFY(
                QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            const bool written = writeSettingsFile(target, table);
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
            QVERIFY(!written);
        } else if (how == u"full") {
            const FileSizeLimit limit(old.size());
            QVERIFY(!writeSettingsFile(target, table));
#endif
        } else {
            QVERIFY(!writeSettingsFile(dir.filePath(QStringLiteral("none/new.zzr")), table));
        }
        QCOMPARE(readAll(target), old);
        const QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(left.size(), how == u"directory" ? 2 : 1);
    }

    // The recovery copy follows the last table it was given, in a settings file beside the path
    // of the file the steps came from; discarded, it is gone.
    void recoveryCopy()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("data/klv90")); // made when needed
        RecoveryCopy copy(folder);
        QCOMPARE(copy.findLeftover().state, RecoveredProgram::State::None);
        copy.keep(tableOf(3), QStringLiteral("/programs/a.zzr"));
        copy.keep(tableOf(5), QStringLiteral("/programs/b.zzr"));
        QTRY_VERIFY(QFile::exists(copy.path()));
        copy.waitForWriter();
        QCOMPARE(readAll(copy.path()), fileOf(stepsFor(5)));
        const RecoveredProgram found = copy.findLeftover();
        QCOMPARE(found.state, RecoveredProgram::State::Found);
        QCOMPARE(found.steps, stepsFor(5));
        QCOMPARE(found.origin, QStringLiteral("/programs/b.zzr"));
        QCOMPARE(found.lastChanged, QFileInfo(copy.path()).lastModified());

        copy.keep(tableOf(1), {});
        copy.discard();
        copy.waitForWriter();
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());
    }

    // Changes coming faster than the copy's delay never hold it back: the first is on disk
    // about one delay after it was handed over, whatever follows.
    void recoveryCopyKeepsUp()
    {
        QTemporaryDir dir;
        RecoveryCopy copy(dir.path(), nullptr, 100);
        QElapsedTimer handing;
        handing.start();
        for (int change = 1; !QFile::exists(copy.path()) && handing.elapsed() < 1000; ++change) {
            copy.keep(tableOf(1 + change % 5), {});
            QTest::qWait(20);
        }
        QVERIFY2(QFile::exists(copy.path()), "held back by changes 20 ms apart");
    }

    // A copy that cannot be written is told once, with the system's reason, until one is written
    // again; a failure between the two files never leaves steps beside the origin of others.
    void recoveryCopyFailures()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("data"));
        QVERIFY(writeAll(folder, "a file where the folder should be"));
        RecoveryCopy copy(folder, nullptr, 10);
        QSignalSpy told(&copy, &RecoveryCopy::writeFailed);
        for (int attempt = 0; attempt < 3; ++attempt) {
            copy.keep(tableOf(3), QStringLiteral("/programs/a.zzr"));
            QTest::qWait(30);
            copy.waitForWriter();
        }
        QTRY_COMPARE(told.size(), 1);
        QCOMPARE(told[0][0].toString(), folder);
        QVERIFY(!told[0][1].toString().isEmpty());

        QVERIFY(QFile::remove(folder));
        copy.keep(tableOf(3), QStringLiteral("/programs/a.zzr"));
        QTRY_VERIFY(QFile::exists(copy.path()));
        copy.waitForWriter();
#ifdef Q_OS_UNIX
        // Room for the origin's few bytes, not for 128 steps.
        {
            const FileSizeLimit limit(200);
            const RecoveryCopy::WriteResult written =
                RecoveryCopy::write(folder, tableOf(128), QStringLiteral("/programs/b.zzr"));
            QVERIFY(!written.written);
            QVERIFY(!written.reason.isEmpty());
        }
        const RecoveredProgram left = copy.findLeftover();
        QCOMPARE(left.steps, stepsFor(3));
        QVERIFY(left.origin != QStringLiteral("/programs/b.zzr"));
#endif
        QDir(folder).removeRecursively();
        QVERIFY(writeAll(folder, "in the way again"));
        copy.keep(tableOf(2), {});
        QTRY_COMPARE(told.size(), 2);
    }

    // A copy that cannot be read is set aside once, kept for a look by hand, and never offered.
    // (Every way a settings file is refused takes the same path; the reader's own tests tell them.)
    void damagedRecoveryCopy()
    {
        const QByteArray bytes = QByteArray("XLV") + record(stepFor(1));
        QTemporaryDir dir;
        QVERIFY(writeAll(dir.filePath(QStringLiteral("recovery.zzr")), bytes));
        QVERIFY(writeAll(dir.filePath(QStringLiteral("recovery-origin.txt")), "/programs/a.zzr"));
        RecoveryCopy copy(dir.path());
        QCOMPARE(copy.findLeftover().state, RecoveredProgram::State::Damaged);
        QCOMPARE(copy.findLeftover().state, RecoveredProgram::State::None);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(left.size(), 1);
        QVERIFY(left[0].startsWith(QStringLiteral("recovery-damaged-")));
        QCOMPARE(readAll(dir.filePath(left[0])), bytes);
    }

    // The fuzzer's seeds, replayed through the real reader on every test run.
    void corpus_data()
    {
        QTest::addColumn<QString>("file");
        const QDir corpus(QStringLiteral(KLV_SETTINGSFILE_CORPUS));
        const QStringList names = corpus.entryList(QDir::Files);
        QVERIFY(!names.isEmpty());
        for (const QString &name : names)
            QTest::newRow(qPrintable(name)) << corpus.filePath(name);
    }
    void corpus()
    {
        QFETCH(QString, file);
        const QByteArray bytes = readAll(file);
        QCOMPARE(checkSettingsFileLoad(bytes), QString());
        const SettingsFileContents fromDisk = readSettingsFile(file);
        const SettingsFileContents inMemory = parseSettingsFile(bytes);
        QCOMPARE(fromDisk.error, inMemory.error);
        QCOMPARE(fromDisk.steps, inMemory.steps);
        QCOMPARE(fromDisk.ignoredBytes, inMemory.ignoredBytes);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
