// The download's state machine on a link in memory: the orders and copies that a real line
// cannot stage on demand.
#include "downloadbatch.h"
#include "fakelink.h"
#include "protocol.h"
#include "settingsdownload.h"

#include <QSignalSpy>
#include <QTest>

using namespace Klv;

namespace {

using Outcome = SettingsDownload::Outcome;

const Step First{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
const Step Second{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1};

QString device(int number)
{
    return QStringLiteral("port-%1").arg(number);
}

StepTable tableOf(const QList<Step> &steps)
{
    return StepTable(steps);
}

// A batch's links, each opening the devices named.
struct FakeLinks
{
    DownloadBatch::LinkMaker maker(const QSet<QString> &devices)
    {
        return [this, devices](QObject *parent) {
            auto *link = new FakeLink(devices);
            link->setParent(parent);
            links << link;
            return link;
        };
    }
    QList<FakeLink *> links;
};

DownloadBatch::Target at(int number, bool isProbe = false)
{
    return {{numberedPort(number, device)}, isProbe};
}

} // namespace

class TestDownloadMachine : public QObject
{
    Q_OBJECT
private slots:
    // A "WELCOME" that is there when the greeting's time is up, but was not announced before
    // the tick, is too late: the next port is tried.
    void welcomeWithTheTickIsTooLate()
    {
        FakeLink link({device(1)});
        const StepTable table = tableOf({First});
        SettingsDownload download(link, device, table);
        QSignalSpy unanswered(&download, &SettingsDownload::greetingUnanswered);
        QSignalSpy finished(&download, &SettingsDownload::finished);
        download.start();
        QCOMPARE(link.written(), QByteArrayList{"HELLO"});
        link.holdUnannounced("WELCOME");
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished.first().first().value<Outcome>(), Outcome::NotFound);
        QCOMPARE(unanswered.count(), 1);
        QCOMPARE(unanswered.first().first().value<PortInfo>().number, 1);
        QCOMPARE(link.written(), QByteArrayList{"HELLO"});
        QVERIFY(!link.isOpen());
    }

    // The steps sent are those of the table when the controller answered; a change after that
    // reaches the controller with the next download.
    void sendsTheTableAsItWasAtWelcome()
    {
        FakeLink link({device(1)});
        StepTable table = tableOf({First, Second});
        SettingsDownload download(link, device, table);
        QSignalSpy started(&download, &SettingsDownload::transferStarted);
        QSignalSpy taken(&download, &SettingsDownload::stepsTaken);
        QSignalSpy finished(&download, &SettingsDownload::finished);
        download.start();
        link.reply("WELCOME");
        QVERIFY(started.wait(5000));
        QCOMPARE(started.first().first().toInt(), 2);
        table.clear();
        link.reply("OK");
        link.reply("OK");
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().value<Outcome>(), Outcome::Completed);
        QCOMPARE(link.written(),
                 (QByteArrayList{"HELLO", stepFrame(First), stepFrame(Second), "END"}));
        QCOMPARE(taken.count(), 2);
        QCOMPARE(taken.last(), (QVariantList{2, 2}));
    }

    // A write that fails is one failure, reported once, wherever the download stands.
    void failingWriteEndsOnce_data()
    {
        QTest::addColumn<int>("writes"); // taken before the device fails
        QTest::newRow("the first frame") << 1;
        QTest::newRow("END") << 3;
    }
    void failingWriteEndsOnce()
    {
        QFETCH(int, writes);
        FakeLink link({device(1)});
        const StepTable table = tableOf({First, Second});
        SettingsDownload download(link, device, table);
        QSignalSpy finished(&download, &SettingsDownload::finished);
        link.failAfterWrites(writes);
        download.start();
        link.reply("WELCOME");
        for (int i = 1; i < writes && !finished.count(); ++i) {
            QTRY_COMPARE(link.written().size(), i + 1);
            link.reply("OK");
        }
        QTRY_COMPARE(finished.count(), 1);
        QTest::qWait(1200); // longer than any reply wait: no second report may follow
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().value<Outcome>(), Outcome::LineFailed);
        QCOMPARE(link.written().size(), writes);
        QVERIFY(!download.isRunning());
    }

    // Every wait has its own time: the greeting 500 ms, each send of a frame (a resend too) the
    // full reply wait.
    void repliesLateButInTime_data()
    {
        QTest::addColumn<int>("welcomeAfterMs");
        QTest::addColumn<int>("ngAfterMs"); // three refusals of the first frame, each this late
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("greeting answered in time, resends each in time")
            << 200 << 400 << Outcome::Completed;
        QTest::newRow("greeting answered too late") << 700 << 0 << Outcome::NotFound;
    }
    void repliesLateButInTime()
    {
        QFETCH(int, welcomeAfterMs);
        QFETCH(int, ngAfterMs);
        FakeLink link({device(1)});
        const StepTable table = tableOf({First});
        SettingsDownload download(link, device, table);
        QSignalSpy finished(&download, &SettingsDownload::finished);
        download.start();
        QTest::qWait(welcomeAfterMs);
        link.reply("WELCOME");
        for (int ng = 0; ng < 3 && !finished.count(); ++ng) {
            QTRY_COMPARE(link.written().size(), 2 + ng);
            QTest::qWait(ngAfterMs);
            link.reply("NG");
        }
        if (!finished.count()) {
            QTRY_COMPARE(link.written().size(), 5);
            link.reply("OK");
        }
        QVERIFY(finished.count() || finished.wait(5000));
        QTEST(finished.first().first().value<Outcome>(), "outcome");
    }

    // Abandoning sends nothing more, reports nothing and closes the port, wherever it stands.
    void abandon_data()
    {
        QTest::addColumn<int>("okBefore");
        QTest::newRow("waiting for the greeting") << -1;
        QTest::newRow("waiting for the first step's reply") << 0;
        QTest::newRow("waiting for the second step's reply") << 1;
    }
    void abandon()
    {
        QFETCH(int, okBefore);
        FakeLink link({device(1)});
        const StepTable table = tableOf({First, Second});
        SettingsDownload download(link, device, table);
        QSignalSpy started(&download, &SettingsDownload::transferStarted);
        QSignalSpy finished(&download, &SettingsDownload::finished);
        download.start();
        if (okBefore >= 0) {
            link.reply("WELCOME");
            QVERIFY(started.wait(5000));
            for (int i = 0; i < okBefore; ++i)
                link.reply("OK");
        }
        const qsizetype sent = link.written().size();
        download.abandon();
        QVERIFY(!link.isOpen());
        QVERIFY(!download.isRunning());
        link.reply("OK");
        QTest::qWait(1200); // longer than any reply wait: nothing may follow
        QCOMPARE(link.written().size(), sent);
        QCOMPARE(finished.count(), 0);
    }

    // One device's port slow to open holds up none of the others; Ctrl-C then ends it, nothing
    // sent.
    void slowOpenHoldsUpNoOther()
    {
        FakeLinks fakes;
        const StepTable table = tableOf({First});
        DownloadBatch batch({at(1), at(2)}, table, fakes.maker({device(1), device(2)}));
        fakes.links[0]->holdOpens();
        QSignalSpy ended(&batch, &DownloadBatch::deviceEnded);
        batch.start();
        QTRY_COMPARE(fakes.links[1]->written(), QByteArrayList{"HELLO"});
        fakes.links[1]->reply("WELCOME");
        QTRY_COMPARE(fakes.links[1]->written().size(), 2);
        fakes.links[1]->reply("OK");
        QTRY_COMPARE(ended.count(), 1);
        QCOMPARE(batch.result(1).outcome, DownloadBatch::Outcome::Completed);
        QVERIFY(!batch.hasEnded(0));
        batch.interrupt();
        QCOMPARE(batch.result(0).outcome, DownloadBatch::Outcome::Interrupted);
        QCOMPARE(fakes.links[0]->written(), QByteArrayList{});
        QVERIFY(!batch.isRunning());
    }

    // Ctrl-C while the controller is looked for ends the search at once: the device ends
    // interrupted and no other port is greeted. A port greeted only to see whether a controller
    // is there, not answered yet, is no device.
    void interruptDuringSearch()
    {
        FakeLinks fakes;
        const StepTable table = tableOf({First});
        DownloadBatch batch(
            {{{numberedPort(1, device), numberedPort(2, device)}, false}, at(3, true)}, table,
            fakes.maker({device(1), device(2), device(3)}));
        QSignalSpy finished(&batch, &DownloadBatch::finished);
        QSignalSpy greeted(&batch, &DownloadBatch::portGreeted);
        batch.start();
        QVERIFY(greeted.wait());
        batch.interrupt();
        QCOMPARE(finished.count(), 1);
        QCOMPARE(batch.result(0).outcome, DownloadBatch::Outcome::Interrupted);
        QVERIFY(batch.result(0).isDevice);
        QVERIFY(!batch.result(1).isDevice);
        QTest::qWait(SettingsDownload::GreetingWaitMs + 200); // past the greeting's time
        QCOMPARE(fakes.links[0]->opened(), QStringList{device(1)});
        QVERIFY(!fakes.links[0]->isOpen());
    }

    // Every port probed: one that does not open, or opens and does not answer, is no device.
    void probesThatDoNotAnswerAreNoDevices()
    {
        FakeLinks fakes;
        const StepTable table = tableOf({First});
        DownloadBatch batch({at(1, true), at(2, true), at(3, true)}, table,
                            fakes.maker({device(2), device(3)}));
        QSignalSpy finished(&batch, &DownloadBatch::finished);
        batch.start();
        QTRY_COMPARE(fakes.links[2]->written(), QByteArrayList{"HELLO"});
        fakes.links[2]->reply("WELCOME");
        QTRY_COMPARE(fakes.links[2]->written().size(), 2);
        fakes.links[2]->reply("OK");
        QVERIFY(finished.count() || finished.wait(5000));
        QCOMPARE(fakes.links[1]->written(), QByteArrayList{"HELLO"});
        QVERIFY(!batch.result(0).isDevice);
        QVERIFY(!batch.result(1).isDevice);
        QVERIFY(batch.result(2).isDevice);
        QCOMPARE(batch.result(2).outcome, DownloadBatch::Outcome::Completed);
        QCOMPARE(batch.result(2).controllerPort->path, device(3));
    }
};

QTEST_GUILESS_MAIN(TestDownloadMachine)
#include "tst_download_machine.moc"
