// "設定ＤＬＬ" end to end: the real window, clicked through, downloading over real
// pseudo-terminals to the controller simulator, message boxes answered as a user would.
#include "controllersim.h"
#include "dialoganswerer.h"
#include "downloadtexts.h"
#include "mainwindow.h"
#include "messageboxes.h"
#include "protocol.h"
#include "qtseriallink.h"
#include "seriallink.h"
#include "settingsfiletesting.h"
#include "steptablemodel.h"
#include "teststrings.h"
#include "testtexts.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyleOptionFrame>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Klv;

namespace {

const QString Hello = QStringLiteral("48 45 4C 4C 4F");
const QString End = QStringLiteral("45 4E 44");
using Texts::Done, Texts::NotFound, Texts::NoReply, Texts::NotTaken;
const QColor Green(0, 255, 0);
constexpr int Patience = 20000; // ms; every wait of the download is far shorter
constexpr uid_t Nobody = 65534; // the other user, outside the group dialout

const Step StartupStep{0, 255, 0, 1, 127, 0, 1, 127, 0, 1, 0};
const Step SecondStep{1, 253, 65, 10, 255, 5, 1, 127, 0, 3, 1};

PortInfo listedPort(const QString &name, const QString &path)
{
    PortInfo port;
    port.name = name;
    port.path = path;
    return port;
}

} // namespace

Q_DECLARE_METATYPE(Klv::SettingsDownload::UnopenedPort)

class TestDownload : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindow> m_window;
    QStringList m_portStatusTexts; // every text the port status box showed
    QList<QColor> m_openColours;   // the port state box's colour each time it turned "Open"
    QList<QColor> m_openTexts;     // ... and its text's, readable on the green on any theme
    QList<QColor> m_closeColours;  // ... and "Close"

    template <typename T> T *control(const char *name)
    {
        auto *widget = m_window->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QLineEdit *portStatusText() { return control<QLineEdit>("portStatusText"); }
    QLineEdit *portStateText() { return control<QLineEdit>("portStateText"); }
    QPushButton *downloadButton() { return control<QPushButton>("downloadButton"); }
    SerialLink *port() { return control<SerialLink>("serialLink"); }

    // listed: the ports the system lists besides port numbers 1 to 30.
    void openWindow(const QMap<int, QString> &devices, const QList<Step> &steps = {},
                    const QList<PortInfo> &listed = {})
    {
        m_window = std::make_unique<MainWindow>(portsAt(devices), [listed] { return listed; });
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->session()->model()->load(steps);
        m_portStatusTexts.clear();
        m_openColours.clear();
        m_openTexts.clear();
        m_closeColours.clear();
        connect(portStatusText(), &QLineEdit::textChanged, this,
                [this](const QString &t) { m_portStatusTexts << t; });
        connect(portStateText(), &QLineEdit::textChanged, this, [this](const QString &t) {
            (t == QLatin1String("Open") ? m_openColours : m_closeColours)
                << portStateText()->palette().color(QPalette::Base);
            if (t == QLatin1String("Open"))
                m_openTexts << portStateText()->palette().color(QPalette::Text);
        });
    }

    void clickDownload() { QTest::mouseClick(downloadButton(), Qt::LeftButton); }

    // Whether the text fits the port status box whole: the room a line edit leaves for its text,
    // less the two pixels it keeps free on either side.
    bool fitsStatusBox(const QString &text)
    {
        QLineEdit *box = portStatusText();
        QStyleOptionFrame option;
        option.initFrom(box);
        option.rect = box->contentsRect();
        option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
        option.midLineWidth = 0;
        option.features = QStyleOptionFrame::None;
        const QRect room = box->style()
                               ->subElementRect(QStyle::SE_LineEditContents, &option, box)
                               .marginsRemoved(box->textMargins());
        return box->fontMetrics().horizontalAdvance(text) <= room.width() - 2 * 2;
    }

    // The download has ended and the window is as every end leaves it.
    void waitForEnd()
    {
        QTRY_VERIFY_WITH_TIMEOUT(downloadButton()->isEnabled(), Patience);
        QVERIFY(!control<QTimer>("replyTimer")->isActive());
    }

    // taken: the steps the controller took of total; -1 for 0 or 1, where the line may hang up
    // before the first step's "OK" is read.
    void verifyClosedAfterFailure(MessageBoxAnswerer &boxes, const QString &status, int taken,
                                  int total)
    {
        QCOMPARE(m_portStatusTexts.last(), status);
        QCOMPARE(portStateText()->text(), QStringLiteral("Close"));
        QCOMPARE(m_closeColours.value(0), QApplication::palette().color(QPalette::Button));
        QVERIFY(!port()->isOpen());
        const auto box = [&](int n) {
            return status == NotTaken ? Texts::failedRefused(n, total)
                                      : Texts::failedNoReply(n, total);
        };
        QCOMPARE(boxes.texts().size(), 1);
        if (taken < 0)
            QVERIFY2(boxes.texts() == QStringList{box(0)} || boxes.texts() == QStringList{box(1)},
                     qPrintable(boxes.texts().first()));
        else
            QCOMPARE(boxes.texts(), QStringList{box(taken)});
    }

private slots:
    void initTestCase()
    {
        if (!pseudoTerminalsAvailable())
            QSKIP("no pseudo-terminals here: is devpts mounted on /dev/pts?");
    }
    void cleanup()
    {
        // A port left open by a failed check would stand in the next test's way: say so here.
        const bool portLeftOpen = m_window && port()->isOpen();
        QStringList cutOff;
        for (const QString &text : std::as_const(m_portStatusTexts)) {
            if (m_window && !fitsStatusBox(text))
                cutOff << text;
        }
        m_window.reset();
        QVERIFY2(!portLeftOpen, "the download left its port open");
        QVERIFY2(cutOff.isEmpty(),
                 qPrintable("cut off in the port status box: " + cutOff.join(u", ")));
    }

    // Every text the status box can show fits it whole: the numbers of the search and every
    // end. (The cleanup checks the texts each test saw too.)
    void statusTextsFit_data()
    {
        QTest::addColumn<QString>("text");
        for (int n = 2; n <= 31; ++n)
            QTest::addRow("%d", n) << QString::number(n);
        for (const QString &text : {Texts::PortClosed, Texts::PortOpen, Texts::PortAlreadyOpen,
                                    NotFound, NoReply, NotTaken})
            QTest::newRow(qPrintable(text)) << text;
    }
    void statusTextsFit()
    {
        QFETCH(QString, text);
        openWindow({});
        QVERIFY(fitsStatusBox(text));
    }

    // What the window says at each end of a download (after a failure, the steps the controller
    // took, 3 of 5 here), and of a port passed over.
    void endTexts_data()
    {
        QTest::addColumn<SettingsDownload::Outcome>("outcome");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("message"); // empty: no message box
        using Outcome = SettingsDownload::Outcome;
        QTest::newRow("completed") << Outcome::Completed << Texts::PortClosed << Texts::Done;
        QTest::newRow("already open") << Outcome::AlreadyOpen << Texts::PortAlreadyOpen << "";
        QTest::newRow("not found") << Outcome::NotFound << NotFound << "";
        QTest::newRow("no reply") << Outcome::NoReply << NoReply << Texts::failedNoReply(3, 5);
        QTest::newRow("line failed")
            << Outcome::LineFailed << NoReply << Texts::failedNoReply(3, 5);
        QTest::newRow("refused") << Outcome::Refused << NotTaken << Texts::failedRefused(3, 5);
    }
    void endTexts()
    {
        QFETCH(SettingsDownload::Outcome, outcome);
        QTEST(DownloadTexts::ended(outcome), "status");
        QTEST(DownloadTexts::endMessage(outcome, 3, 5), "message");
        // A port passed over shows the port tried next by its number or its name; after port
        // 30, 31 when nothing is listed beyond.
        const PortMapping none = portsAt({});
        const PortInfo port30 = numberedPort(30, none);
        QCOMPARE(DownloadTexts::portPassedOver(numberedPort(1, none), numberedPort(2, none)),
                 QStringLiteral("2"));
        QCOMPARE(DownloadTexts::portPassedOver(port30, listedPort("COM34", "COM34")),
                 QStringLiteral("COM34"));
        QCOMPARE(DownloadTexts::portPassedOver(port30, std::nullopt), QStringLiteral("31"));
    }

    // After a search that found nothing, the ports the user may not open, grouped by what mends
    // them, and those another program holds; absent ones are not named.
    void unopenedPortsTexts_data()
    {
        QTest::addColumn<QList<SettingsDownload::UnopenedPort>>("ports");
        QTest::addColumn<QString>("message");
        const auto port = [](const char *path, PortOpenError reason, const char *group = "",
                             bool account = false, bool login = false) {
            return SettingsDownload::UnopenedPort{
                listedPort("", QString::fromLatin1(path)), reason,
                DeviceAccess{true, "root", QString::fromLatin1(group), 0660, account, login}};
        };
        QTest::newRow("two not in dialout, one held, one absent")
            << QList{port("/dev/ttyS1", PortOpenError::NotFound),
                     port("/dev/ttyUSB0", PortOpenError::PermissionDenied, "dialout"),
                     port("/dev/ttyUSB1", PortOpenError::PermissionDenied, "dialout"),
                     port("/dev/ttyUSB2", PortOpenError::Busy)}
            << Texts::portsDenied("/dev/ttyUSB0, /dev/ttyUSB1") + "\n\n" +
                   Texts::portsBusy("/dev/ttyUSB2");
        QTest::newRow("in dialout since this login; root's")
            << QList{port("/dev/ttyUSB0", PortOpenError::PermissionDenied, "dialout", true),
                     port("/dev/ttyUSB1", PortOpenError::PermissionDenied, "root")}
            << Texts::portsDeniedUntilLoggedInAgain("/dev/ttyUSB0", "dialout") + "\n\n" +
                   Texts::portsDeniedByOwner("/dev/ttyUSB1", "root", "root", "0660");
    }
    void unopenedPortsTexts()
    {
        QFETCH(QList<SettingsDownload::UnopenedPort>, ports);
        QTEST(DownloadTexts::unopenedPortsMessage(ports), "message");
    }

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
        // A dark theme: its white text would not read on the green of "Open".
        const QPalette theme = QApplication::palette();
        QPalette dark = theme;
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        const auto restore = qScopeGuard([&] { QApplication::setPalette(theme); });
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
        QCOMPARE(m_portStatusTexts, (QStringList{"", "ポートオープン", "ポートクローズ"}));
        QCOMPARE(m_openColours, QList<QColor>{Green});
        QCOMPARE(m_openTexts, QList<QColor>{Qt::black});
        QCOMPARE(m_closeColours, QList<QColor>{QApplication::palette().color(QPalette::Button)});
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
            expected += stepFrame(step).left(Step::FieldCount);
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
        QCOMPARE(m_portStatusTexts,
                 (QStringList{"", "2", "3", "ポートオープン", "ポートクローズ"}));
        QCOMPARE(m_openColours, QList<QColor>{Green});
        QCOMPARE(portStateText()->text(), QStringLiteral("Close"));
        QCOMPARE(silent.received(), QByteArray("HELLO"));
        QVERIFY(silent.isHungUp());
        QCOMPARE(sim.received().size(), 3);
        QCOMPARE(boxes.texts(), QStringList{Done});
    }

    // Past port 30 the search goes on through the ports the system lists, in their order, each
    // shown by its name; a listed port that a number names is not tried twice.
    void searchGoesOnPastPort30()
    {
        TestPty silent;
        ControllerSim sim;
        openWindow({{2, silent.path()}}, {StartupStep},
                   {listedPort("ttyS1", silent.path()), listedPort("ttyX8", "/nonexistent/x8"),
                    listedPort("ttyX9", sim.path())});
        MessageBoxAnswerer boxes;
        clickDownload();
        waitForEnd();
        QStringList expected{""};
        for (int n = 2; n <= 30; ++n)
            expected << QString::number(n);
        QCOMPARE(m_portStatusTexts, expected << "ttyX8"
                                             << "ttyX9" << Texts::PortOpen << Texts::PortClosed);
        QCOMPARE(silent.received(), QByteArray("HELLO"));
        QCOMPARE(sim.received().last(), End);
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
            QCOMPARE(m_portStatusTexts.last(), QStringLiteral("ポートクローズ"));
            QCOMPARE(boxes.texts(), QStringList{Done});
        } else {
            QCOMPARE(sim.received(), QStringList{Hello});
            QCOMPARE(m_portStatusTexts.last(), NotFound);
            QVERIFY(m_openColours.isEmpty());
            QCOMPARE(boxes.texts(), QStringList{});
        }
    }

    // How the controller's acknowledgements end the download, and after how many sends.
    void acknowledgements_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("stepCount");
        QTest::addColumn<int>("framesSent");
        QTest::addColumn<QString>("status"); // the last text of the port status box
        QTest::addColumn<int>("taken"); // after a failure; -1: 0 or 1 (verifyClosedAfterFailure)
        QTest::newRow("OK in pieces") << QStringList{"--split"} << 2 << 2 << "ポートクローズ" << 2;
        QTest::newRow("OK and NG together resend")
            << QStringList{"--ng", "1", "--ng-reply", "OKNG"} << 1 << 2 << "ポートクローズ" << 1;
        QTest::newRow("nine refusals, then taken")
            << QStringList{"--ng", "9"} << 2 << 11 << "ポートクローズ" << 2;
        QTest::newRow("ten refusals") << QStringList{"--ng", "10"} << 2 << 10 << NotTaken << 0;
        QTest::newRow("falls silent after a step")
            << QStringList{"--silent-after", "1"} << 3 << 2 << NoReply << 1;
        QTest::newRow("device gone after a step")
            << QStringList{"--vanish-after", "1"} << 3 << 1 << NoReply << -1;
    }
    void acknowledgements()
    {
        QFETCH(QStringList, options);
        QFETCH(int, stepCount);
        QFETCH(int, framesSent);
        QFETCH(QString, status);
        QFETCH(int, taken);
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
            QCOMPARE(m_portStatusTexts.last(), status);
            QCOMPARE(boxes.texts(), QStringList{Done});
        } else {
            verifyClosedAfterFailure(boxes, status, taken, stepCount);
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

        QVERIFY(!downloadButton()->isEnabled());
        auto *slider = control<QScrollBar>("speed1Slider");
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_PageDown);
        QCOMPARE(control<QLineEdit>("speed1Text")->text(), QStringLiteral("11"));
        QTest::mouseClick(control<QPushButton>("clearButton"), Qt::LeftButton);
        QCOMPARE(m_window->session()->table().count(), 0);

        controller.send("WELCOME");
        waitForEnd();
        QTRY_COMPARE(controller.received(), QByteArray("HELLOEND"));
        QCOMPARE(boxes.texts(), QStringList{Done});
    }

    // Exit during the greeting wait closes the port and ends the program's event loop at once,
    // once the unsaved steps are let go.
    void exitDuringGreeting()
    {
        TestPty silent;
        TestPty next;
        openWindow({{1, silent.path()}, {2, next.path()}}, {StartupStep});
        DialogAnswerer boxes; // the steps were never saved: they may go
        boxes.choose(QStringLiteral("保存しない"));
        QTimer::singleShot(0, this, [this] { clickDownload(); });
        QTimer exit;
        connect(&exit, &QTimer::timeout, this, [&] {
            if (silent.received() == "HELLO" && m_window->isVisible())
                QTest::mouseClick(control<QPushButton>("exitButton"), Qt::LeftButton);
        });
        exit.start(5);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        watchdog.start(Patience);
        QCOMPARE(QApplication::exec(), 0);

        QCOMPARE(boxes.messages, QStringList{"KLV-90|" + Texts::UnsavedSteps});
        QVERIFY(!m_window->isVisible());
        QVERIFY(!port()->isOpen());
        QVERIFY(silent.isHungUp());
        QVERIFY(!control<QTimer>("replyTimer")->isActive());
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
        QVERIFY(downloadButton()->isEnabled());
        QCOMPARE(m_portStatusTexts, (QStringList{"", "ポートオープン中"}));
        QCOMPARE(portStateText()->text(), QStringLiteral("Close"));
        QVERIFY(port()->isOpen());
        // A greeting of our own reaches the simulator first: the tool sent nothing before it.
        QVERIFY(port()->write("HELLO"));
        QTRY_COMPARE(sim.lines(), (QStringList{"< " + Hello, "> WELCOME"}));
        QCOMPARE(boxes.texts(), QStringList{});
        port()->close(); // the test's own opening
    }

    // Each frame's reply has a second: 800 ms late is taken, 1,200 ms late ends the download.
    void frameReplyWait_data()
    {
        QTest::addColumn<int>("lateMs");
        QTest::addColumn<bool>("taken");
        QTest::newRow("800 ms") << 800 << true;
        QTest::newRow("1,200 ms") << 1200 << false;
    }
    void frameReplyWait()
    {
        QFETCH(int, lateMs);
        QFETCH(bool, taken);
        ControllerSim sim({"--frame-late", QString::number(lateMs)});
        openWindow({{1, sim.path()}}, {StartupStep});
        MessageBoxAnswerer boxes;
        clickDownload();
        waitForEnd();
        QTRY_VERIFY_WITH_TIMEOUT(sim.hasLine("-- closed"), Patience);
        const QString frame = hexBytes(stepFrame(StartupStep));
        if (taken) {
            QCOMPARE(sim.received(), (QStringList{Hello, frame, End}));
            QCOMPARE(m_portStatusTexts.last(), Texts::PortClosed);
            QCOMPARE(boxes.texts(), QStringList{Done});
        } else {
            QCOMPARE(sim.received(), (QStringList{Hello, frame}));
            verifyClosedAfterFailure(boxes, NoReply, 0, 1);
        }
    }

    // While steps are sent the window answers, the controls that change or read out the table
    // (undo and redo too) are locked, and a progress bar counts the steps taken; afterwards all is
    // as before.
    void windowDuringTransfer()
    {
        TestPty controller; // answered by hand, step by step
        openWindow({{1, controller.path()}}, {StartupStep, SecondStep});
        auto *progress = control<QProgressBar>("downloadProgress");
        const char *const locked[] = {"addButton",  "updateButton", "deleteButton", "clearButton",
                                      "loadButton", "saveButton",   "printButton"};
        // Undo and redo too, and the keys of Save and Load: the same steps opened from a file, then
        // a Clear taken back, which can be made again.
        QTemporaryDir dir;
        QVERIFY(writeAll(dir.filePath("same.zzr"), fileOf({StartupStep, SecondStep})));
        m_window->session()->open(dir.filePath("same.zzr"), {});
        QTest::mouseClick(control<QPushButton>("clearButton"), Qt::LeftButton);
        control<QAction>("undoAction")->trigger();
        const auto lockedEnabled = [&] {
            QList<bool> enabled;
            for (const char *name : locked)
                enabled << control<QPushButton>(name)->isEnabled();
            for (const char *name : {"undoAction", "redoAction", "saveAction", "loadAction",
                                     "pasteAction", "previewAction"})
                enabled << control<QAction>(name)->isEnabled();
            return enabled;
        };
        const QList<bool> allEnabled(std::size(locked) + 6, true);
        const QList<bool> noneEnabled(std::size(locked) + 6, false);
        QVERIFY(!progress->isVisible());
        MessageBoxAnswerer boxes;
        clickDownload();
        QTRY_COMPARE(controller.received(), QByteArray("HELLO"));
        QCOMPARE(lockedEnabled(), allEnabled); // the greeting wait leaves them alone
        QVERIFY(!progress->isVisible());

        controller.send("WELCOME");
        const QByteArray first = "HELLO" + stepFrame(StartupStep);
        QTRY_COMPARE(controller.received(), first);
        QCOMPARE(lockedEnabled(), noneEnabled);
        QVERIFY(!downloadButton()->isEnabled());
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->maximum(), 2);
        QCOMPARE(progress->value(), 0);
        auto *slider = control<QScrollBar>("speed1Slider");
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_PageDown);
        QCOMPARE(control<QLineEdit>("speed1Text")->text(), QStringLiteral("11"));
        // The keys of undo and redo change nothing under the transfer.
        QTest::keyClick(slider, Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(slider, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(m_window->session()->table().toList(), (QList<Step>{StartupStep, SecondStep}));

        controller.send("OK");
        QTRY_COMPARE(controller.received(), first + stepFrame(SecondStep));
        QCOMPARE(progress->value(), 1);
        QCOMPARE(lockedEnabled(), noneEnabled);
        controller.send("OK");
        waitForEnd();
        QCOMPARE(controller.received(), first + stepFrame(SecondStep) + "END");
        QCOMPARE(boxes.texts(), QStringList{Done});
        QCOMPARE(lockedEnabled(), allEnabled);
        QVERIFY(!progress->isVisible());
    }

    // A file chosen in a Load dialog that was opened before the controller answered waits for
    // the download to end: the grid never shows another table than the one being sent.
    void loadChosenDuringTransfer()
    {
        TestPty controller; // answered by hand
        openWindow({{1, controller.path()}}, {StartupStep, SecondStep});
        QTemporaryDir dir;
        const QString other = dir.filePath(QStringLiteral("other.zzr"));
        const Step otherStep{3, 255, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        QVERIFY(writeAll(other, fileOf({otherStep})));
        clickDownload();
        QTRY_COMPARE(controller.received(), QByteArray("HELLO"));

        // The unsaved steps may go; then, in the dialog, the controller answers and the first
        // frame goes out, and the file is chosen.
        bool chosen = false;
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *question = qobject_cast<QMessageBox *>(modal)) {
                question->button(QMessageBox::Discard)->click();
                return;
            }
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            if (!dialog || std::exchange(chosen, true))
                return;
            controller.send("WELCOME");
            QTRY_COMPARE(controller.received(), "HELLO" + stepFrame(StartupStep));
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(other);
            QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
        });
        driver.start(10);
        QTest::mouseClick(control<QPushButton>("loadButton"), Qt::LeftButton);
        driver.stop();
        QVERIFY(chosen);
        MessageBoxAnswerer boxes;
        QCOMPARE(m_window->session()->table().toList(), (QList<Step>{StartupStep, SecondStep}));

        controller.send("OK");
        QTRY_COMPARE(controller.received(),
                     "HELLO" + stepFrame(StartupStep) + stepFrame(SecondStep));
        QCOMPARE(m_window->session()->table().count(), 2);
        controller.send("OK");
        waitForEnd();
        QTRY_COMPARE(m_window->session()->table().toList(), QList<Step>{otherStep});
        QCOMPARE(controller.received(),
                 "HELLO" + stepFrame(StartupStep) + stepFrame(SecondStep) + "END");
        QCOMPARE(boxes.texts(), QStringList{Done});
        QCOMPARE(m_window->windowTitle(), QStringLiteral("ＫＬＶ－９０ - other.zzr[*]"));
    }

    // A file dropped while the controller is looked for opens once the download has ended, as a
    // hand-over does: the steps sent are the table as it was when the controller answered.
    void dropWaitsForTheDownload()
    {
        TestPty controller; // answered by hand
        openWindow({{1, controller.path()}}, {StartupStep});
        QTemporaryDir dir;
        const QString other = dir.filePath(QStringLiteral("other.zzr"));
        QVERIFY(writeAll(other, fileOf({SecondStep})));
        clickDownload();
        QTRY_COMPARE(controller.received(), QByteArray("HELLO"));
        QMimeData dragged;
        dragged.setUrls({QUrl::fromLocalFile(other)});
        QDragEnterEvent enter({1, 1}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QDropEvent drop({1, 1}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
        QApplication::sendEvent(m_window.get(), &enter);
        QApplication::sendEvent(m_window.get(), &drop);
        QTest::qWait(50);
        QCOMPARE(m_window->session()->table().toList(), QList<Step>{StartupStep});

        DialogAnswerer boxes;
        boxes.choose(QStringLiteral("保存しない")); // the steps were never saved
        controller.send("WELCOME");
        QTRY_COMPARE(controller.received(), "HELLO" + stepFrame(StartupStep));
        controller.send("OK");
        waitForEnd();
        QTRY_COMPARE(m_window->session()->table().toList(), QList<Step>{SecondStep});
        QCOMPARE(boxes.messages, QStringList({"KLV-90|" + Done, Texts::AskedBeforeOpen}));
    }

    // A window that goes while its steps are sent (a test that failed half-way does that) takes
    // its download down first, and the port with it.
    void windowGoneMidTransfer()
    {
        TestPty controller; // answered by hand: the first frame is never answered
        openWindow({{1, controller.path()}}, {StartupStep, SecondStep});
        clickDownload();
        QTRY_COMPARE(controller.received(), QByteArray("HELLO"));
        controller.send("WELCOME");
        QTRY_COMPARE(controller.received(), "HELLO" + stepFrame(StartupStep));
        m_window.reset();
        QTest::qWait(50);
        QCOMPARE(controller.received(), "HELLO" + stepFrame(StartupStep)); // nothing more, no END
    }

    // Exit, or the window closed from its title bar, while steps are sent: after the question
    // about the unsaved steps, nothing more goes out, no "END", the port closes and the
    // program's event loop ends at once.
    void closeDuringTransfer_data()
    {
        QTest::addColumn<bool>("titleBar");
        QTest::newRow("Exit") << false;
        QTest::newRow("title bar") << true;
    }
    void closeDuringTransfer()
    {
        QFETCH(bool, titleBar);
        TestPty controller;
        openWindow({{1, controller.path()}}, {StartupStep, SecondStep});
        const QByteArray first = "HELLO" + stepFrame(StartupStep);
        DialogAnswerer boxes;
        boxes.choose(QStringLiteral("保存しない"));
        QTimer::singleShot(0, this, [this] { clickDownload(); });
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] {
            const QByteArray received = controller.received();
            if (received == "HELLO") {
                controller.send("WELCOME");
            } else if (received == first && m_window->isVisible()) {
                if (titleBar)
                    m_window->close();
                else
                    QTest::mouseClick(control<QPushButton>("exitButton"), Qt::LeftButton);
                controller.send("OK"); // too late: the port is closed
            }
        });
        driver.start(5);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        watchdog.start(Patience);
        QCOMPARE(QApplication::exec(), 0);
        driver.stop();

        QCOMPARE(boxes.messages, QStringList{"KLV-90|" + Texts::UnsavedSteps});
        QVERIFY(!m_window->isVisible());
        QVERIFY(!port()->isOpen());
        QVERIFY(controller.isHungUp());
        QVERIFY(!control<QTimer>("replyTimer")->isActive());
        QCOMPARE(controller.received(), first);
    }

    // No controller on any port: every number is tried, and the search ends without a message.
    // A port the user may not open, or one another program holds, is passed over as the search
    // goes on; when no controller answers, a box says which ports and what to do. Root may open
    // any device, so the test runs itself again as another user for the first case.
    void portsThatWouldNotOpen_data()
    {
        QTest::addColumn<bool>("asAnotherUser");
        QTest::newRow("permission denied") << true;
        QTest::newRow("held by another program") << false;
    }
    void portsThatWouldNotOpen()
    {
        QFETCH(bool, asAnotherUser);
        const QString deviceForUser = qEnvironmentVariable("KLV_TEST_DEVICE");
        if (asAnotherUser && deviceForUser.isEmpty()) {
            if (geteuid() != 0)
                QSKIP("only root can run the test as another user");
            TestPty pty;
            const group *dialout = getgrnam("dialout");
            QVERIFY(dialout);
            QVERIFY(chown(qPrintable(pty.path()), 0, dialout->gr_gid) == 0);
            QVERIFY(chmod(qPrintable(pty.path()), 0660) == 0);
            QTemporaryDir home;
            QVERIFY(chown(qPrintable(home.path()), Nobody, Nobody) == 0);
            QProcess self;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("KLV_TEST_DEVICE"), pty.path());
            environment.insert(QStringLiteral("HOME"), home.path());
            environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
            self.setProcessEnvironment(environment);
            self.setProcessChannelMode(QProcess::MergedChannels);
            self.setChildProcessModifier([] {
                if (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0)
                    _exit(99);
            });
            self.start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("portsThatWouldNotOpen:permission denied")});
            QVERIFY(self.waitForFinished(Patience));
            QVERIFY2(self.exitCode() == 0, self.readAll().constData());
            return;
        }
        TestPty pty;
        const QString device = asAnotherUser ? deviceForUser : pty.path();
        QtSerialLink holder; // another program that holds the port
        if (!asAnotherUser)
            QVERIFY(holder.open(device));
        openWindow({{1, device}}, {StartupStep});
        MessageBoxAnswerer boxes;
        clickDownload();
        waitForEnd();
        QCOMPARE(m_portStatusTexts.value(1), QStringLiteral("2"));
        QCOMPARE(m_portStatusTexts.last(), NotFound);
        QCOMPARE(boxes.texts(), QStringList{asAnotherUser ? Texts::portsDenied(device)
                                                          : Texts::portsBusy(device)});
    }

    void noController()
    {
        TestPty silent;
        openWindow({{30, silent.path()}}, {StartupStep});
        MessageBoxAnswerer boxes;
        clickDownload();
        QVERIFY(!downloadButton()->isEnabled());
        waitForEnd();
        QStringList expected{""};
        for (int n = 2; n <= 31; ++n)
            expected << QString::number(n);
        QCOMPARE(m_portStatusTexts, expected << NotFound);
        QCOMPARE(silent.received(), QByteArray("HELLO"));
        QVERIFY(silent.isHungUp());
        QVERIFY(!port()->isOpen());
        QCOMPARE(portStateText()->text(), QStringLiteral("Close"));
        QCOMPARE(boxes.texts(), QStringList{});
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
