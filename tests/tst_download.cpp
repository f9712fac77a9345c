// "設定ＤＬＬ" end to end: the real window, clicked through, downloading over real
// pseudo-terminals to the controller simulator, message boxes answered as a user would.
#include "controllersim.h"
#include "form1.h"
#include "messageboxes.h"
#include "protocol.h"
#include "seriallink.h"
#include "teststrings.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString Hello = QStringLiteral("48 45 4C 4C 4F");
const QString End = QStringLiteral("45 4E 44");
using namespace DownloadTexts;
const QColor Green(0, 255, 0);
constexpr int Patience = 20000; // ms; every wait of the download is far shorter

const Step StartupStep{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
const Step SecondStep{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1};

} // namespace

class TestDownload : public QObject
{
    Q_OBJECT

    std::unique_ptr<Form1> m_window;
    QStringList m_text8;        // every text Text8 showed
    QList<QColor> m_text9Open;  // Text9's colour each time it turned "Open"
    QList<QColor> m_text9Close; // ... and "Close"

    template <typename T> T *control(const char *name)
    {
        auto *widget = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QLineEdit *text8() { return control<QLineEdit>("Text8"); }
    QLineEdit *text9() { return control<QLineEdit>("Text9"); }
    QPushButton *command2() { return control<QPushButton>("Command2"); }
    SerialLink *port() { return control<SerialLink>("MSComm1"); }

    void openWindow(const QMap<int, QString> &devices, const QList<Step> &steps = {})
    {
        m_window = std::make_unique<Form1>(portsAt(devices));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        StepTable &table = m_window->stepTable();
        for (const Step &step : steps)
            table[table.StepCount++] = step;
        m_window->FillStepGrid();
        m_text8.clear();
        m_text9Open.clear();
        m_text9Close.clear();
        connect(text8(), &QLineEdit::textChanged, this, [this](const QString &t) { m_text8 << t; });
        connect(text9(), &QLineEdit::textChanged, this, [this](const QString &t) {
            (t == QLatin1String("Open") ? m_text9Open : m_text9Close)
                << text9()->palette().color(QPalette::Base);
        });
    }

    void clickDownload() { QTest::mouseClick(command2(), Qt::LeftButton); }

    // The download has ended and the window is as every end leaves it.
    void waitForEnd()
    {
        QTRY_VERIFY_WITH_TIMEOUT(command2()->isEnabled(), Patience);
        QVERIFY(!control<QTimer>("Timer2")->isActive());
    }

    void verifyClosedAfterFailure(MessageBoxAnswerer &boxes, const QString &status)
    {
        QCOMPARE(m_text8.last(), status);
        QCOMPARE(text9()->text(), QStringLiteral("Close"));
        QCOMPARE(m_text9Close.value(0), QApplication::palette().color(QPalette::Button));
        QVERIFY(!port()->isOpen());
        QCOMPARE(boxes.texts(), QStringList{Failed});
    }

private slots:
    void initTestCase()
    {
        if (!pseudoTerminalsAvailable())
            QSKIP("no pseudo-terminals here: is devpts mounted on /dev/pts?");
    }
    void cleanup() { m_window.reset(); }

    // The exchange, byte for byte, for the tables of the examples.
    void exchange_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QStringList>("frames");
        QTest::newRow("step left by start-up")
            << QList<Step>{StartupStep} << QStringList{"00 FF 00 01 7F 00 01 7F 00 01 00 00 00"};
        QTest::newRow("two steps") << QList<Step>{StartupStep, SecondStep}
                                   << QStringList{"00 FF 00 01 7F 00 01 7F 00 01 00 00 00",
                                                  "01 FD 41 0A FF 05 01 7F 00 03 01 D1 00"};
        QTest::newRow("empty table") << QList<Step>{} << QStringList{};
    }
    void exchange()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(QStringList, frames);
        ControllerSim sim;
        openWindow({{1, sim.path()}}, steps);
        MessageBoxAnswerer boxes;
        clickDownload();
        waitForEnd();
        QTRY_VERIFY_WITH_TIMEOUT(sim.hasLine("-- closed"), Patience);

        QCOMPARE(sim.received(), QStringList{Hello} + frames + QStringList{End});
        QStringList replies{"WELCOME"};
        for (int i = 0; i < frames.size(); ++i)
            replies << "OK";
        QCOMPARE(sim.replies(), replies);
        QCOMPARE(m_text8, (QStringList{"", "ポートオープン", "ポートクローズ"}));
        QCOMPARE(m_text9Open, QList<QColor>{Green});
        QCOMPARE(m_text9Close, QList<QColor>{QApplication::palette().color(QPalette::Button)});
        QCOMPARE(boxes.texts(), QStringList{Done});
        QCOMPARE(boxes.messages().first().caption, QStringLiteral("KLV-90"));
        QVERIFY(!port()->isOpen());
    }

    // A full table reaches the controller whole and in slot order.
    void fullTable()
    {
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("received.zzr"));
        ControllerSim sim({"--save", saved});
        QList<Step> steps;
        QByteArray expected("KLV");
        for (int i = 0; i < StepTable::MaxSteps; ++i) {
            const Step step{
                qint16(i),     255, qint16(i % 16), qint16(1 + i), qint16(255 - i), 3, 1, 127,
                qint16(i / 2), 9,   qint16(i % 2)};
            steps << step;
            expected += StepFrame(step).left(Step::FieldCount);
        }
        openWindow({{1, sim.path()}}, steps);
        MessageBoxAnswerer boxes;
        clickDownload();
        waitForEnd();
        QTRY_VERIFY_WITH_TIMEOUT(sim.hasLine("saved " + saved), Patience);
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);
        QCOMPARE(boxes.texts(), QStringList{Done});
    }

    // Port 1 absent; port 2 silent, with a stale "WELCOME" from before it was opened; the
    // controller on port 3.
    void searchPassesAbsentAndSilentPorts()
    {
        TestPty silent;
        silent.send("WELCOME");
        ControllerSim sim;
        openWindow({{2, silent.path()}, {3, sim.path()}}, {StartupStep});
        MessageBoxAnswerer boxes;
        clickDownload();
        waitForEnd();
        QCOMPARE(m_text8, (QStringList{"", "2", "3", "ポートオープン", "ポートクローズ"}));
        QCOMPARE(m_text9Open, QList<QColor>{Green});
        QCOMPARE(text9()->text(), QStringLiteral("Close"));
        QCOMPARE(silent.received(), QByteArray("HELLO"));
        QVERIFY(silent.isHungUp());
        QCOMPARE(sim.received().size(), 3);
        QCOMPARE(boxes.texts(), QStringList{Done});
    }

    // Only "WELCOME", whole and within 500 ms, finds the controller, wherever it stands in
    // what arrives.
    void greeting_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("found");
        QTest::newRow("in pieces") << QStringList{"--split"} << true;
        QTest::newRow("among other characters") << QStringList{"--noise"} << true;
        QTest::newRow("in small letters") << QStringList{"--small-welcome"} << false;
        QTest::newRow("a second late") << QStringList{"--late", "1500"} << false;
        QTest::newRow("never") << QStringList{"--silent"} << false;
    }
    void greeting()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, found);
        ControllerSim sim(options);
        openWindow({{1, sim.path()}}, {StartupStep});
        MessageBoxAnswerer boxes;
        clickDownload();
        waitForEnd();
        QTRY_VERIFY_WITH_TIMEOUT(sim.hasLine("-- closed"), Patience);
        if (found) {
            QCOMPARE(sim.received().last(), End);
            QCOMPARE(m_text8.last(), QStringLiteral("ポートクローズ"));
            QCOMPARE(boxes.texts(), QStringList{Done});
        } else {
            QCOMPARE(sim.received(), QStringList{Hello});
            QCOMPARE(m_text8.last(), NotFound);
            QVERIFY(m_text9Open.isEmpty());
            QCOMPARE(boxes.texts(), QStringList{});
        }
    }

    // How the controller's acknowledgements end the download, and after how many sends.
    void acknowledgements_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("stepCount");
        QTest::addColumn<int>("framesSent");
        QTest::addColumn<QString>("status"); // the last text of Text8
        QTest::newRow("OK in pieces") << QStringList{"--split"} << 2 << 2 << "ポートクローズ";
        QTest::newRow("OK and NG together resend")
            << QStringList{"--ng", "1", "--ng-reply", "OKNG"} << 1 << 2 << "ポートクローズ";
        QTest::newRow("nine refusals, then taken")
            << QStringList{"--ng", "9"} << 2 << 11 << "ポートクローズ";
        QTest::newRow("ten refusals") << QStringList{"--ng", "10"} << 2 << 10 << NotTaken;
        QTest::newRow("falls silent after a step")
            << QStringList{"--silent-after", "1"} << 3 << 2 << NoReply;
        QTest::newRow("device gone after a step")
            << QStringList{"--vanish-after", "1"} << 3 << 1 << NoReply;
    }
    void acknowledgements()
    {
        QFETCH(QStringList, options);
        QFETCH(int, stepCount);
        QFETCH(int, framesSent);
        QFETCH(QString, status);
        ControllerSim sim(options);
        QList<Step> steps;
        for (int i = 0; i < stepCount; ++i)
            steps << Step{qint16(i), 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
        openWindow({{1, sim.path()}}, steps);
        MessageBoxAnswerer boxes;
        clickDownload();
        waitForEnd();
        // Everything the tool sent has arrived once the simulator saw the line close.
        QTRY_VERIFY_WITH_TIMEOUT(sim.hasLine("-- closed") || sim.hasLine("-- vanished"), Patience);

        const QStringList received = sim.received();
        QCOMPARE(received.first(), Hello);
        const bool completed = status == QStringLiteral("ポートクローズ");
        QCOMPARE(received.last() == End, completed);
        QCOMPARE(received.size() - 1 - int(completed), framesSent);
        if (completed) {
            QCOMPARE(m_text8.last(), status);
            QCOMPARE(boxes.texts(), QStringList{Done});
        } else {
            verifyClosedAfterFailure(boxes, status);
        }
    }

    // During the greeting wait the window works: a slider moves, Clear empties the table, and
    // the transfer sends the table as it then is.
    void windowWorksDuringGreeting()
    {
        TestPty controller; // answered by hand, so the wait lasts as long as the test needs
        openWindow({{1, controller.path()}}, {StartupStep, SecondStep});
        MessageBoxAnswerer boxes;
        clickDownload();
        QTRY_COMPARE(controller.received(), QByteArray("HELLO"));

        QVERIFY(!command2()->isEnabled());
        auto *slider = control<QScrollBar>("FlatScrollBar1");
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_PageDown);
        QCOMPARE(control<QLineEdit>("Text1")->text(), QStringLiteral("11"));
        QTest::mouseClick(control<QPushButton>("Command8"), Qt::LeftButton);
        QCOMPARE(m_window->stepTable().StepCount, 0);

        controller.send("WELCOME");
        waitForEnd();
        QTRY_COMPARE(controller.received(), QByteArray("HELLOEND"));
        QCOMPARE(boxes.texts(), QStringList{Done});
    }

    // Exit during the greeting wait closes the port and ends the program's event loop at once.
    void exitDuringGreeting()
    {
        TestPty silent;
        TestPty next;
        openWindow({{1, silent.path()}, {2, next.path()}}, {StartupStep});
        QTimer::singleShot(0, this, [this] { clickDownload(); });
        QTimer exit;
        connect(&exit, &QTimer::timeout, this, [&] {
            if (silent.received() == "HELLO" && m_window->isVisible())
                QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
        });
        exit.start(5);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        watchdog.start(Patience);
        QCOMPARE(QApplication::exec(), 0);

        QVERIFY(!m_window->isVisible());
        QVERIFY(!port()->isOpen());
        QVERIFY(silent.isHungUp());
        QVERIFY(!control<QTimer>("Timer2")->isActive());
        QCOMPARE(next.received(), QByteArray());
    }

    // A port object already open is left as it is: nothing is sent.
    void portAlreadyOpen()
    {
        ControllerSim sim;
        openWindow({{1, sim.path()}}, {StartupStep});
        QVERIFY(port()->open(sim.path()));
        MessageBoxAnswerer boxes;
        clickDownload();
        QVERIFY(command2()->isEnabled());
        QCOMPARE(m_text8, (QStringList{"", "ポートオープン中"}));
        QCOMPARE(text9()->text(), QStringLiteral("Close"));
        QVERIFY(port()->isOpen());
        // A greeting of our own reaches the simulator first: the tool sent nothing before it.
        QVERIFY(port()->write("HELLO"));
        QTRY_COMPARE(sim.lines(), (QStringList{"< " + Hello, "> WELCOME"}));
        QCOMPARE(boxes.texts(), QStringList{});
    }

    // No controller on any port: every number is tried, and the search ends without a message.
    void noController()
    {
        TestPty silent;
        openWindow({{30, silent.path()}}, {StartupStep});
        MessageBoxAnswerer boxes;
        clickDownload();
        QVERIFY(!command2()->isEnabled());
        waitForEnd();
        QStringList expected{""};
        for (int n = 2; n <= 31; ++n)
            expected << QString::number(n);
        QCOMPARE(m_text8, expected << NotFound);
        QCOMPARE(silent.received(), QByteArray("HELLO"));
        QVERIFY(silent.isHungUp());
        QVERIFY(!port()->isOpen());
        QCOMPARE(text9()->text(), QStringLiteral("Close"));
        QCOMPARE(boxes.texts(), QStringList{});
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
