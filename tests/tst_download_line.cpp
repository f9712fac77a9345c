// The pieces of the download below the window: frames, reply matching (the fuzzer's corpus), port
// names, and the serial link over real pseudo-terminals and the controller simulator.
#include "controllersim.h"
#include "portnames.h"
#include "protocol.h"
#include "qtseriallink.h"
#include "receivetextcheck.h"
#include "teststrings.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

namespace {

// Reads from the link until the text has arrived, or gives up after a generous while.
QByteArray readUntil(QtSerialLink &link, const QByteArray &text)
{
    QByteArray got;
    while (!got.contains(text) && link.waitForReadyRead(10000))
        got += link.readAll();
    return got + link.readAll();
}

} // namespace

class TestDownloadLine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!pseudoTerminalsAvailable())
            QSKIP("no pseudo-terminals here: is devpts mounted on /dev/pts?");
    }
    void stepFrame_data()
    {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QString>("frame");
        QTest::newRow("step left by start-up") << Step{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0}
                                               << "00 FF 00 01 7F 00 01 7F 00 01 00 00 00";
        QTest::newRow("wire 1 HI, wire 2 masked") << Step{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1}
                                                  << "01 FD 41 0A FF 05 01 7F 00 03 01 D1 00";
        QTest::newRow("largest sum") << Step{255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255}
                                     << "FF FF FF FF FF FF FF FF FF FF FF F5 00";
        QTest::newRow("all zero") << Step{} << "00 00 00 00 00 00 00 00 00 00 00 00 00";
    }
    void stepFrame()
    {
        QFETCH(Step, step);
        QFETCH(QString, frame);
        QCOMPARE(hexBytes(StepFrame(step)), frame);
    }

    // The fuzzer's seeds and findings, replayed: the matching agrees with a whole-text search.
    void fuzzCorpus_data()
    {
        QTest::addColumn<QString>("path");
        const QDir corpus(QStringLiteral(KLV_RECEIVETEXT_CORPUS));
        for (const QFileInfo &file : corpus.entryInfoList(QDir::Files))
            QTest::newRow(qPrintable(file.fileName())) << file.filePath();
        QVERIFY(corpus.count() > 0);
    }
    void fuzzCorpus()
    {
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(CheckReceiveText(file.readAll()), QString());
    }

    void portNames_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("device");
        QTest::newRow("1") << 1 << "/dev/ttyS0";
        QTest::newRow("4") << 4 << "/dev/ttyS3";
        QTest::newRow("5") << 5 << "/dev/ttyUSB0";
        QTest::newRow("14") << 14 << "/dev/ttyUSB9";
        QTest::newRow("15") << 15 << "/dev/ttyACM0";
        QTest::newRow("24") << 24 << "/dev/ttyACM9";
        QTest::newRow("25") << 25 << "/dev/ttyS4";
        QTest::newRow("30") << 30 << "/dev/ttyS9";
    }
    void portNames()
    {
        QFETCH(int, number);
        QFETCH(QString, device);
        QCOMPARE(PlatformPortName(number), device);
    }
    // Bytes that reached the line before it was opened are no reply to anything sent after.
    void staleBytesAreDropped()
    {
        TestPty pty;
        pty.send("WELCOME OK");
        QtSerialLink link;
        QVERIFY(link.open(pty.path()));
        pty.send("fresh");
        QCOMPARE(readUntil(link, "fresh"), QByteArray("fresh"));
    }

    // The other end vanishing is one failure: the link closes itself and says so once.
    void vanishedLineFailsOnce_data()
    {
        QTest::addColumn<bool>("waiting");
        QTest::newRow("on the event loop") << false;
        QTest::newRow("in a blocking wait") << true;
    }
    void vanishedLineFailsOnce()
    {
        QFETCH(bool, waiting);
        TestPty pty;
        QtSerialLink link;
        QVERIFY(link.open(pty.path()));
        QSignalSpy failed(&link, &SerialLink::failed);
        pty.vanish();
        if (waiting)
            QVERIFY(!link.waitForReadyRead(10000));
        QTRY_VERIFY(!link.isOpen());
        QTest::qWait(50); // a repeating error would pile up here
        QCOMPARE(failed.count(), 1);
        QVERIFY(!link.write("HELLO"));
        QCOMPARE(failed.count(), 1);
    }

    // The simulator judges frames as the controller does.
    void simulatorJudgesFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray sound = StepFrame(Step{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1});
        QByteArray badSum = sound;
        badSum[11] = char(0xD2);
        QByteArray badEnd = sound;
        badEnd[12] = 1;
        QTest::newRow("sound") << sound << QByteArray("OK");
        QTest::newRow("wrong checksum") << badSum << QByteArray("NG");
        QTest::newRow("no zero byte at the end") << badEnd << QByteArray("NG");
    }
    void simulatorJudgesFrames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, reply);
        ControllerSim sim;
        QtSerialLink link;
        QVERIFY(link.open(sim.path()));
        QVERIFY(link.write("HELLO"));
        QCOMPARE(readUntil(link, "WELCOME"), QByteArray("WELCOME"));
        QVERIFY(link.write(frame));
        QCOMPARE(readUntil(link, reply), reply);
    }
};

QTEST_GUILESS_MAIN(TestDownloadLine)
#include "tst_download_line.moc"
