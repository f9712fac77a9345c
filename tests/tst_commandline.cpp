// klv90's own command line: the real program, run from a console that has no display.
#include <QProcess>
#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    // Help and version come without a window, so they need no display.
    void answeredWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out"); // the start of stdout
        const QString usage = QStringLiteral("Usage: " KLV90_EXECUTABLE " [options] [FILE]\n");
        // The commit it was built from may follow; tst_version reads that.
        const QString version = QStringLiteral("klv90 " KLV90_VERSION);
        QTest::newRow("--help") << QStringList{"--help"} << usage;
        QTest::newRow("-h, after a file") << QStringList{"program.zzr", "-h"} << usage;
        QTest::newRow("--version") << QStringList{"--version"} << version;
        QTest::newRow("-v") << QStringList{"-v"} << version;
    }
    void answeredWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        QProcess tool;
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(KLV90_EXECUTABLE), arguments);
        QVERIFY(tool.waitForFinished(20000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
        const QString printed = QString::fromLocal8Bit(tool.readAllStandardOutput());
        QVERIFY2(printed.startsWith(out), qPrintable(printed));
        QVERIFY2(printed.at(out.size()) == u' ' || printed.at(out.size()) == u'\n' ||
                     out.endsWith(u'\n'),
                 qPrintable(printed));
        QCOMPARE(tool.readAllStandardError(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
