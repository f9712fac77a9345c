#include "singleinstance.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// A second start of the tool ends at once, silently, with status 0.
class TestSingleInstance : public QObject
{
    Q_OBJECT
private slots:
    void secondStartEndsSilently()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        qputenv("TMPDIR", temp.path().toLocal8Bit());

        SingleInstance first;
        QVERIFY(first.tryAcquire());

        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(KLV90_EXECUTABLE));
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.readAllStandardOutput(), QByteArray());
    }

    void lockOfACrashedToolIsTakenOver()
    {
        QTemporaryDir temp;
        qputenv("TMPDIR", temp.path().toLocal8Bit());

        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(KLV90_EXECUTABLE));
        QVERIFY(tool.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(SingleInstance::lockPath()), 20000);
        tool.kill();
        QVERIFY(tool.waitForFinished());

        SingleInstance next;
        QVERIFY(next.tryAcquire());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
