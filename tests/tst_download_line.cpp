// The pieces of the download below the window: frames, reply matching (the fuzzer's corpus), port
// names, and the serial link over real pseudo-terminals and the controller simulator.
#include "controllersim.h"
#include "portinfo.h"
#include "portnames.h"
#include "protocol.h"
#include "qtseriallink.h"
#include "receivetextcheck.h"
#include "settingsdownload.h"
#include "teststrings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Klv;

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
        QCOMPARE(hexBytes(::stepFrame(step)), frame);
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
        QCOMPARE(checkReceiveText(file.readAll()), QString());
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
        QCOMPARE(platformPortName(number), device);
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

    // The link's own wait running out is no failure of the device: the port stays open and
    // takes the next bytes.
    void ownTimeoutLeavesPortOpen()
    {
        TestPty pty;
        QtSerialLink link;
        QVERIFY(link.open(pty.path()));
        QSignalSpy failed(&link, &SerialLink::failed);
        QVERIFY(!link.waitForReadyRead(50));
        QVERIFY(link.isOpen());
        QCOMPARE(failed.count(), 0);
        pty.send("OK");
        QCOMPARE(readUntil(link, "OK"), QByteArray("OK"));
        QCOMPARE(failed.count(), 0);
    }

    // A write returns at once; the bytes leave on the event loop, which bytesWritten() tells.
    void writesLeaveOnTheEventLoop()
    {
        TestPty pty;
        QtSerialLink link;
        QVERIFY(link.open(pty.path()));
        QSignalSpy written(&link, &SerialLink::bytesWritten);
        QVERIFY(link.write("HELLO"));
        QTRY_VERIFY(written.count() > 0);
        QCOMPARE(link.bytesToWrite(), 0);
        QTRY_COMPARE(pty.received(), QByteArray("HELLO"));
    }

    // The simulator judges frames as the controller does.
    void simulatorJudgesFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray sound = ::stepFrame(Step{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1});
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

    // --frame-late holds back the reply to a frame, not the greeting. A greeting held back as
    // long as a frame would come only after a quarter of an hour here.
    void simulatorAnswersFramesLate()
    {
        const QByteArray frame = ::stepFrame(Step{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1});
        ControllerSim slow({"--frame-late", "1000000"});
        QtSerialLink slowLink;
        QVERIFY(slowLink.open(slow.path()));
        QVERIFY(slowLink.write("HELLO"));
        QCOMPARE(readUntil(slowLink, "WELCOME"), QByteArray("WELCOME"));
        QVERIFY(slowLink.write(frame));
        QVERIFY(!slowLink.waitForReadyRead(200));

        ControllerSim sim({"--frame-late", "300"});
        QtSerialLink link;
        QVERIFY(link.open(sim.path()));
        QVERIFY(link.write("HELLO"));
        QCOMPARE(readUntil(link, "WELCOME"), QByteArray("WELCOME"));
        QElapsedTimer sent;
        sent.start();
        QVERIFY(link.write(frame));
        QCOMPARE(readUntil(link, "OK"), QByteArray("OK"));
        QCOMPARE_GE(sent.elapsed(), 300);
    }

    // startOnPorts(first, last) greets the ports of that range and no other; the window's 1 to 30
    // go on past a silent port to the controller. Port 3 does not open.
    void searchRange_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QList<int>>("greeted");
        QTest::addColumn<SettingsDownload::Outcome>("outcome");
        using Outcome = SettingsDownload::Outcome;
        QTest::newRow("1 to 30") << 1 << 30 << QList<int>{2, 4} << Outcome::Completed;
        QTest::newRow("the silent port only") << 2 << 2 << QList<int>{2} << Outcome::NotFound;
        QTest::newRow("the controller's only") << 4 << 4 << QList<int>{4} << Outcome::Completed;
        QTest::newRow("a port that does not open") << 3 << 3 << QList<int>{} << Outcome::NotFound;
        QTest::newRow("past the controller") << 5 << 30 << QList<int>{30} << Outcome::NotFound;
        QTest::newRow("beyond 1 to 30: kept to them")
            << -5 << 99 << QList<int>{2, 4} << Outcome::Completed;
    }
    void searchRange()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QList<int>, greeted);
        QFETCH(SettingsDownload::Outcome, outcome);
        TestPty silent2;
        TestPty silent30;
        ControllerSim sim;
        const StepTable table({Step{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0}});
        QtSerialLink link;
        SettingsDownload download(
            link, portsAt({{2, silent2.path()}, {4, sim.path()}, {30, silent30.path()}}), table);
        QList<int> greetings;
        connect(&download, &SettingsDownload::portGreeted, this,
                [&](const PortInfo &port) { greetings << port.number; });
        QSignalSpy finished(&download, &SettingsDownload::finished);
        download.startOnPorts(first, last);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QCOMPARE(finished.first().first().value<SettingsDownload::Outcome>(), outcome);
        QCOMPARE(greetings, greeted);
        QCOMPARE(silent2.received(), greeted.contains(2) ? QByteArray("HELLO") : QByteArray());
        QCOMPARE(silent30.received(), greeted.contains(30) ? QByteArray("HELLO") : QByteArray());
    }

    // The search tries port numbers 1 to 30, then the listed ports no number names, in the
    // order listed; a numbered port that is listed has what the system says of it. A link under
    // the by-id folder is the device it leads to.
    void portsToSearch()
    {
        TestPty onBoard;
        TestPty adapter;
        QTemporaryDir byId;
        const QString link = byId.filePath(QStringLiteral("usb-FTDI_FT232R_A12345-if00-port0"));
        QVERIFY(QFile::link(adapter.path(), link));
        QCOMPARE(byIdLinkOf(adapter.path(), byId.path()), link);
        QCOMPARE(byIdLinkOf(onBoard.path(), byId.path()), QString());
        QVERIFY(isSameDevice(link, adapter.path()));
        QVERIFY(!isSameDevice(link, onBoard.path()));

        PortInfo listedOnBoard;
        listedOnBoard.path = onBoard.path();
        listedOnBoard.description = QStringLiteral("16550A");
        PortInfo listedAdapter;
        listedAdapter.path = link;
        listedAdapter.serialNumber = QStringLiteral("A12345");
        const QList<PortInfo> ports = Klv::portsToSearch(portsAt({{3, onBoard.path()}}), [&] {
            return QList{listedOnBoard, listedAdapter};
        });
        QCOMPARE(ports.size(), 31);
        for (int n = 1; n <= 30; ++n)
            QCOMPARE(ports[n - 1].number, n);
        QCOMPARE(ports[2].description, QStringLiteral("16550A"));
        QCOMPARE(ports[30].number, 0);
        QCOMPARE(ports[30].serialNumber, QStringLiteral("A12345"));
    }

    // What Windows' hardware and instance ids say of a USB adapter.
    void usbIds_data()
    {
        QTest::addColumn<QString>("hardwareId");
        QTest::addColumn<QString>("instanceId");
        QTest::addColumn<int>("vendorId"); // -1: unknown
        QTest::addColumn<int>("productId");
        QTest::addColumn<QString>("serial");
        QTest::newRow("USB with a serial number")
            << "USB\\VID_0403&PID_6001&REV_0600"
            << "USB\\VID_0403&PID_6001\\A12345" << 0x0403 << 0x6001 << "A12345";
        QTest::newRow("USB, number made up by Windows")
            << "USB\\VID_1A86&PID_7523&REV_0264"
            << "USB\\VID_1A86&PID_7523\\5&2A3B4C&0&2" << 0x1A86 << 0x7523 << "";
        QTest::newRow("FTDI's driver")
            << "FTDIBUS\\COMPORT&VID_0403&PID_6015"
            << "FTDIBUS\\VID_0403+PID_6015+DN01ABCDA\\0000" << 0x0403 << 0x6015 << "DN01ABCD";
        QTest::newRow("on-board") << "ACPI\\PNP0501"
                                  << "ACPI\\PNP0501\\1" << -1 << -1 << "";
    }
    void usbIds()
    {
        QFETCH(QString, hardwareId);
        QFETCH(QString, instanceId);
        QFETCH(int, vendorId);
        QFETCH(int, productId);
        const UsbIds ids = usbIdsOf(hardwareId, instanceId);
        QCOMPARE(ids.vendorId ? int(*ids.vendorId) : -1, vendorId);
        QCOMPARE(ids.productId ? int(*ids.productId) : -1, productId);
        QTEST(ids.serialNumber, "serial");
    }
};

QTEST_GUILESS_MAIN(TestDownloadLine)
#include "tst_download_line.moc"
