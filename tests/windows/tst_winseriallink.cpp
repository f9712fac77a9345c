// The Win32 serial link on COM ports that Wine maps to pseudo-terminals with the controller
// simulator behind them: the same cases as the Qt link's own tests, where Windows can run them.
#include "portinfo.h"
#include "portnames.h"
#include "protocol.h"
#include "testports.h"
#include "teststrings.h"
#include "winseriallink.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <qt_windows.h>

using namespace Klv;

namespace {

constexpr int Patience = 10000; // ms; every answer of the simulator comes far sooner

// Takes what the link reads until the text has arrived or the link has closed.
QByteArray readUntil(SerialLink &link, const QByteArray &text)
{
    QByteArray got;
    // What arrived is what the caller compares, timed out or not.
    static_cast<void>(QTest::qWaitFor(
        [&] {
            got += link.readAll();
            return got.contains(text) || !link.isOpen();
        },
        Patience));
    return got;
}

const Step SoundStep{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1};

} // namespace

class TestWinSerialLink : public QObject
{
    Q_OBJECT
private slots:
    void portNames_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("device");
        QTest::newRow("1") << 1 << "COM1"
                           << "\\\\.\\COM1";
        QTest::newRow("9") << 9 << "COM9"
                           << "\\\\.\\COM9";
        QTest::newRow("10") << 10 << "COM10"
                            << "\\\\.\\COM10";
        QTest::newRow("30") << 30 << "COM30"
                            << "\\\\.\\COM30";
    }
    void portNames()
    {
        QFETCH(int, number);
        QFETCH(QString, name);
        QFETCH(QString, device);
        QCOMPARE(platformPortName(number), name);
        QCOMPARE(WinSerialLink::devicePath(name), device);
        QCOMPARE(WinSerialLink::devicePath(device), device);
    }

    void absentPortDoesNotOpen()
    {
        WinSerialLink link;
        QSignalSpy failed(&link, &SerialLink::failed);
        QVERIFY(!link.open(TestPorts::absent()));
        QVERIFY(!link.isOpen());
        QVERIFY(!link.write("HELLO"));
        QCOMPARE(link.readAll(), QByteArray());
        QCOMPARE(failed.count(), 0);
    }

    void openAndClose()
    {
        WinSerialLink link;
        QVERIFY(link.open(TestPorts::controller()));
        QVERIFY(link.isOpen());
        // An open link is not opened again, on another port either.
        QVERIFY(!link.open(TestPorts::silent()));
        QVERIFY(link.isOpen());
        link.close();
        QVERIFY(!link.isOpen());
        link.close();
        QVERIFY(!link.isOpen());
        QVERIFY(link.open(TestPorts::controller()));
    }

    // beginOpen leaves the open to a thread of its own: the event loop hears how it ended. One
    // closed meanwhile is let go, the port free again.
    void openInTheBackground()
    {
        WinSerialLink link;
        QSignalSpy ended(&link, &SerialLink::openEnded);
        QCOMPARE(link.beginOpen(TestPorts::absent()), SerialLink::OpenStart::Pending);
        QVERIFY(ended.wait(Patience));
        QCOMPARE(ended.takeFirst().first().toBool(), false);
        QCOMPARE(link.openError(), PortOpenError::NotFound);

        QCOMPARE(link.beginOpen(TestPorts::controller()), SerialLink::OpenStart::Pending);
        link.close();
        QCOMPARE(link.beginOpen(TestPorts::controller()), SerialLink::OpenStart::Pending);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, Patience);
        QCOMPARE(ended.first().first().toBool(), true);
        QVERIFY(link.write(Protocol::greeting()));
        QCOMPARE(readUntil(link, "WELCOME"), QByteArray("WELCOME"));
        QCOMPARE(ended.count(), 1);
    }

    // The ports Windows registers, COM34 of the test driver among them, by name, outside
    // port numbers 1 to 30.
    void registeredPorts()
    {
        const QString listed = TestPorts::listed();
        const QList<PortInfo> ports = platformSerialPorts();
        const auto it = std::find_if(ports.cbegin(), ports.cend(),
                                     [&](const PortInfo &port) { return port.name == listed; });
        QVERIFY(it != ports.cend());
        QCOMPARE(it->number, 0);
        QCOMPARE(it->path, "\\\\.\\" + listed);
    }

    // The simulator takes what the link sends byte for byte: it answers the greeting, and judges
    // each frame by its checksum and its closing zero byte.
    void bytesBothWays_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray sound = stepFrame(SoundStep);
        QByteArray badSum = sound;
        badSum[11] = char(0xD2);
        QByteArray badEnd = sound;
        badEnd[12] = 1;
        QTest::newRow("sound") << sound << QByteArray("OK");
        QTest::newRow("wrong checksum") << badSum << QByteArray("NG");
        QTest::newRow("no zero byte at the end") << badEnd << QByteArray("NG");
    }
    void bytesBothWays()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, reply);
        WinSerialLink link;
        QSignalSpy written(&link, &SerialLink::bytesWritten);
        QVERIFY(link.open(TestPorts::controller()));
        QVERIFY(link.write(Protocol::greeting()));
        QCOMPARE(link.bytesToWrite(), qint64(0));
        QCOMPARE(readUntil(link, "WELCOME"), QByteArray("WELCOME"));
        QVERIFY(link.write(frame));
        QCOMPARE(readUntil(link, reply), reply);
        QTRY_COMPARE(written.count(), 2);
    }

    // Bytes that reached the line before it was opened are no reply to anything sent after.
    void staleBytesAreDropped()
    {
        const std::wstring device =
            WinSerialLink::devicePath(TestPorts::controller()).toStdWString();
        HANDLE raw = CreateFileW(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        QVERIFY(raw != INVALID_HANDLE_VALUE);
        DWORD written = 0;
        QVERIFY(WriteFile(raw, "HELLO", 5, &written, nullptr));
        // The greeting's answer waits, unread, in the line's input.
        const auto waiting = [raw] {
            DWORD errors = 0;
            COMSTAT status{};
            return ClearCommError(raw, &errors, &status) ? status.cbInQue : 0;
        };
        QTRY_COMPARE_WITH_TIMEOUT(waiting(), DWORD(7), Patience);
        CloseHandle(raw);

        WinSerialLink link;
        QVERIFY(link.open(TestPorts::controller()));
        QVERIFY(link.write(Protocol::greeting() + stepFrame(SoundStep)));
        QCOMPARE(readUntil(link, "OK"), QByteArray("WELCOMEOK"));
    }

    // The other end vanishing is one failure: the link closes itself and says so once.
    void vanishedLineFailsOnce()
    {
        WinSerialLink link;
        QVERIFY(link.open(TestPorts::vanishing()));
        QSignalSpy failed(&link, &SerialLink::failed);
        // The simulator answers the greeting and ends.
        QVERIFY(link.write(Protocol::greeting()));
        QTRY_VERIFY_WITH_TIMEOUT(!link.isOpen(), Patience);
        QTest::qWait(50); // a repeating failure would pile up here
        QCOMPARE(failed.count(), 1);
        QVERIFY(!link.write(Protocol::greeting()));
        QCOMPARE(failed.count(), 1);
        QVERIFY(!link.open(TestPorts::vanishing()));
    }

    // A port that opens and never answers gives nothing, and no failure.
    void silentPortStaysOpen()
    {
        WinSerialLink link;
        QSignalSpy arrived(&link, &SerialLink::readyRead);
        QSignalSpy failed(&link, &SerialLink::failed);
        QVERIFY(link.open(TestPorts::silent()));
        QVERIFY(link.write(Protocol::greeting()));
        QTest::qWait(200);
        QVERIFY(link.isOpen());
        QCOMPARE(arrived.count(), 0);
        QCOMPARE(failed.count(), 0);
    }

    // Nothing looks at an open line: once a write has ended, the event loop sleeps until
    // something happens on it.
    void quietLineLetsTheLoopSleep()
    {
        WinSerialLink link;
        QSignalSpy written(&link, &SerialLink::bytesWritten);
        QVERIFY(link.open(TestPorts::silent()));
        QVERIFY(link.write(Protocol::greeting()));
        QTRY_COMPARE(written.count(), 1);
        int wakeUps = 0;
        QObject counter;
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake, &counter,
                [&] { ++wakeUps; });
        QEventLoop loop;
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec();
        // Polling every few milliseconds would wake it a hundred times and more.
        QVERIFY2(wakeUps < 20, qPrintable(QString::number(wakeUps)));
    }

    // Writes queue behind the one under way and leave in order; their bytes count as still to
    // write until then, and bytesWritten() tells of each write the device has taken.
    void queuedWritesLeaveInOrder()
    {
        WinSerialLink link;
        QList<qint64> leftWhenWritten;
        connect(&link, &SerialLink::bytesWritten, &link,
                [&] { leftWhenWritten << link.bytesToWrite(); });
        QVERIFY(link.open(TestPorts::controller()));
        // Noise first, more than a pseudo-terminal holds at once; the simulator skips it.
        QVERIFY(link.write(QByteArray(64 * 1024, 'x')));
        QVERIFY(link.write("HEL"));
        QVERIFY(link.write("LO"));
        QVERIFY(link.bytesToWrite() >= 5);
        QCOMPARE(readUntil(link, "WELCOME"), QByteArray("WELCOME"));
        QTRY_COMPARE(leftWhenWritten.size(), 2);
        QCOMPARE(leftWhenWritten.last(), qint64(0));
    }

    // A write the device does not take within WriteWaitMs is a failed device. write() itself
    // does not wait for the device.
    void untakenWriteFailsOnce()
    {
        WinSerialLink link;
        QSignalSpy written(&link, &SerialLink::bytesWritten);
        QSignalSpy failed(&link, &SerialLink::failed);
        QVERIFY(link.open(TestPorts::slow()));
        QElapsedTimer clock;
        clock.start();
        // Over a minute of line time at 9600 baud.
        QVERIFY(link.write(QByteArray(64 * 1024, 'x')));
        QVERIFY(clock.elapsed() < WinSerialLink::WriteWaitMs / 4);
        QVERIFY(link.bytesToWrite() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!link.isOpen(), Patience);
        QVERIFY(clock.elapsed() >= WinSerialLink::WriteWaitMs * 9 / 10);
        QTest::qWait(50); // a repeating failure would pile up here
        QCOMPARE(failed.count(), 1);
        QCOMPARE(written.count(), 0);
    }

    // Closing cancels the read that waits for input, and waits for it to end before its buffer
    // goes: on a silent line only the cancel ends it, on the controller's a reply is on its way.
    void closeEndsThePendingRead()
    {
        WinSerialLink link;
        for (int i = 0; i < 10; ++i) {
            QVERIFY(link.open(i % 2 ? TestPorts::controller() : TestPorts::silent()));
            QVERIFY(link.write(Protocol::greeting()));
            QElapsedTimer clock;
            clock.start();
            link.close();
            QVERIFY(clock.elapsed() < WinSerialLink::CancelWaitMs);
        }
        // The link still reads, told by readyRead() alone.
        QByteArray got;
        connect(&link, &SerialLink::readyRead, &link, [&] { got += link.readAll(); });
        QVERIFY(link.open(TestPorts::controller()));
        QVERIFY(link.write(Protocol::greeting()));
        QTRY_VERIFY_WITH_TIMEOUT(got.endsWith("WELCOME"), Patience);
    }
};

QTEST_GUILESS_MAIN(TestWinSerialLink)
#include "tst_winseriallink.moc"
