// The controller simulator as the README starts it: mistakes in its options.
#include <QProcess>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
