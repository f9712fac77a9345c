// The settings file on real files: the bytes Save writes, what Load accepts and refuses, and
// that a failing save never harms the file that was there.
#include "settingsfile.h"
#include "settingsfilecheck.h"
#include "teststrings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A step whose eleven fields are all different and tell the slot apart.
Step distinctStep(int slot)
{
    Step step;
    for (int i = 0; i < Step::FieldCount; ++i)
        step.setField(i, qint16((slot * 11 + i * 23) % 256));
    return step;
}

StepTable tableOf(int count)
{
    StepTable table;
    table.clear();
    for (int slot = 0; slot < count; ++slot)
        table[slot] = distinctStep(slot);
    table.StepCount = qint16(count);
    return table;
}

QByteArray record(const Step &step)
{
    QByteArray bytes;
    for (int i = 0; i < Step::FieldCount; ++i)
        bytes.append(char(step.field(i)));
    return bytes;
}

// A file of the given records after the magic, then extra bytes.
QByteArray fileOf(int records, const QByteArray &extra = {})
{
    QByteArray bytes("KLV");
    for (int r = 0; r < records; ++r)
        bytes += record(distinctStep(r));
    return bytes + extra;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// While it lives, no file of this process can grow past the given size, root included: a
// write beyond it fails as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

Q_DECLARE_METATYPE(SettingsFileError)

class TestSettingsFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void savedBytes_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("oldFileSize"); // -1: no file there before
        QTest::newRow("one step, new file") << 1 << -1;
        QTest::newRow("three steps over a longer file") << 3 << 2000;
        QTest::newRow("three steps over a shorter file") << 3 << 5;
        QTest::newRow("128 steps") << 128 << -1;
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
        QVERIFY(WriteSettingsFile(file, table));

        const QByteArray bytes = readAll(file);
        QCOMPARE(bytes.size(), 3 + 11 * steps);
        QCOMPARE(bytes.first(3), QByteArray("\x4B\x4C\x56"));
        for (int slot = 0; slot < steps; ++slot)
            QCOMPARE(bytes.sliced(3 + 11 * slot, 11), record(table[slot]));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"saved.zzr"});
    }

    // The record order written out field by field, against the names of the fields.
    void recordOrder()
    {
        StepTable table = tableOf(0);
        table[0] = {.KeyData = 1,
                    .KeyMask = 2,
                    .ControlBits = 3,
                    .Speed1 = 4,
                    .Level1 = 5,
                    .Pause1 = 6,
                    .Speed2 = 7,
                    .Level2 = 8,
                    .Pause2 = 9,
                    .RepeatCount = 10,
                    .StepFlag = 255};
        table.StepCount = 1;
        QCOMPARE(SettingsFileBytes(table), QByteArray("KLV\1\2\3\4\5\6\7\x8\x9\xA\xFF"));
    }

    void saveThenRead_data()
    {
        QTest::addColumn<int>("steps");
        QTest::newRow("1") << 1;
        QTest::newRow("17") << 17;
        QTest::newRow("128") << 128;
    }
    void saveThenRead()
    {
        QFETCH(int, steps);
        const StepTable table = tableOf(steps);
        QVERIFY(WriteSettingsFile(path(QStringLiteral("round.zzr")), table));
        const SettingsFileContents read = ReadSettingsFile(path(QStringLiteral("round.zzr")));
        QCOMPARE(read.error, SettingsFileError::None);
        QCOMPARE(read.steps.size(), steps);
        for (int slot = 0; slot < steps; ++slot)
            QCOMPARE(read.steps[slot], table[slot]);
    }

    void accepted_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<Step>>("steps");
        const Step odd{.KeyData = 255,
                       .KeyMask = 0,
                       .ControlBits = 255,
                       .Speed1 = 0,
                       .Level1 = 255,
                       .Pause1 = 255,
                       .Speed2 = 0,
                       .Level2 = 200,
                       .Pause2 = 1,
                       .RepeatCount = 0,
                       .StepFlag = 7};
        QList<Step> all128;
        for (int r = 0; r < 128; ++r)
            all128 << distinctStep(r);
        QTest::newRow("magic alone") << QByteArray("KLV") << QList<Step>{};
        QTest::newRow("magic and a partial record") << QByteArray("KLV0123456789") << QList<Step>{};
        QTest::newRow("one record and ten trailing bytes")
            << fileOf(1, "0123456789") << QList<Step>{distinctStep(0)};
        QTest::newRow("values outside the editor's ranges")
            << QByteArray("KLV") + record(odd) << QList<Step>{odd};
        QTest::newRow("128 records") << fileOf(128) << all128;
        QTest::newRow("128 records and ten trailing bytes") << fileOf(128, "0123456789") << all128;
    }
    void accepted()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<Step>, steps);
        QVERIFY(writeAll(path(QStringLiteral("in.zzr")), bytes));
        const SettingsFileContents read = ReadSettingsFile(path(QStringLiteral("in.zzr")));
        QCOMPARE(read.error, SettingsFileError::None);
        QCOMPARE(read.steps, steps);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("K") << QByteArray("K");
        QTest::newRow("KL") << QByteArray("KL");
        QTest::newRow("first byte wrong") << QByteArray("XLV") + record(distinctStep(0));
        QTest::newRow("second byte wrong") << QByteArray("KXV") + record(distinctStep(0));
        QTest::newRow("third byte wrong") << QByteArray("KLX") + record(distinctStep(0));
        QTest::newRow("lower case") << QByteArray("klv");
        QTest::newRow("129 records") << fileOf(129);
        QTest::newRow("130 records") << fileOf(130);
        QTest::newRow("a megabyte of records") << fileOf(1, QByteArray(1 << 20, '\0'));
    }
    void refused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeAll(path(QStringLiteral("in.zzr")), bytes));
        const SettingsFileContents read = ReadSettingsFile(path(QStringLiteral("in.zzr")));
        QCOMPARE(read.error, SettingsFileError::WrongFile);
        QVERIFY(read.steps.isEmpty());
    }

    void unreadable_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("no such file") << path(QStringLiteral("missing.zzr"));
        QTest::newRow("a directory") << m_dir.path();
        // Reading memory the process does not map fails like a bad disk, root included.
        QTest::newRow("read error") << QStringLiteral("/proc/self/mem");
        QTest::newRow("no read permission") << path(QStringLiteral("locked.zzr"));
    }
    void unreadable()
    {
        QFETCH(QString, file);
        if (file.endsWith(QStringLiteral("locked.zzr"))) {
            if (geteuid() == 0)
                QSKIP("root reads any file");
            QVERIFY(writeAll(file, fileOf(1)));
            QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
        }
        QCOMPARE(ReadSettingsFile(file).error, SettingsFileError::Unreadable);
    }

    void loadedStepsAreSorted()
    {
        // KeyData 2 (A), 2 (B), 1 (C) in the file: the exchange sort gives C, B, A.
        Step a = distinctStep(0), b = distinctStep(1), c = distinctStep(2);
        a.KeyData = 2;
        b.KeyData = 2;
        c.KeyData = 1;
        StepTable table = tableOf(0);
        PutStepsInTable(table, {a, b, c});
        QCOMPARE(table.StepCount, 3);
        QCOMPARE(table[0], c);
        QCOMPARE(table[1], b);
        QCOMPARE(table[2], a);
        QCOMPARE(table[3], Step{});
    }

    // A failing save leaves whatever was at the path exactly as it was, and no stray files.
    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("path is a directory") << "directory";
        QTest::newRow("directory not writable") << "readonly";
        QTest::newRow("disk full") << "full";
        QTest::newRow("folder missing") << "missing";
    }
    void failedSaveKeepsOldFile()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        QString target = dir.filePath(QStringLiteral("old.zzr"));
        const QByteArray old = fileOf(2, "tail");
        QVERIFY(writeAll(target, old));
        const StepTable table = tableOf(20);

        if (how == u"directory") {
            target = dir.filePath(QStringLiteral("folder.zzr"));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder.zzr")));
            QVERIFY(writeAll(target + QStringLiteral("/inside"), old));
            QVERIFY(!WriteSettingsFile(target, table));
            QVERIFY(QFileInfo(target).isDir());
            QCOMPARE(readAll(target + QStringLiteral("/inside")), old);
        } else if (how == u"readonly") {
            if (geteuid() == 0)
                QSKIP("root writes into any directory; the disk-full row covers root");
            QVERIFY(
                QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            const bool written = WriteSettingsFile(target, table);
            QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner);
            QVERIFY(!written);
        } else if (how == u"full") {
            const FileSizeLimit limit(old.size());
            QVERIFY(!WriteSettingsFile(target, table));
        } else {
            QVERIFY(!WriteSettingsFile(dir.filePath(QStringLiteral("none/new.zzr")), table));
        }
        QCOMPARE(readAll(dir.filePath(QStringLiteral("old.zzr"))), old);
        const QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QCOMPARE(left.size(), how == u"directory" ? 2 : 1);
    }

    // The fuzzer's seeds and findings, replayed through the real reader on every test run.
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
        QCOMPARE(CheckSettingsFileLoad(bytes), QString());
        const SettingsFileContents fromDisk = ReadSettingsFile(file);
        const SettingsFileContents inMemory = ParseSettingsFile(bytes);
        QCOMPARE(fromDisk.error, inMemory.error);
        QCOMPARE(fromDisk.steps, inMemory.steps);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
