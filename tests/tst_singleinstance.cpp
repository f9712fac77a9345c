// One tool per user: later starts of the real klv90 hand over to the running window, which is
// set up here in the test's own process as main sets it up, so the test can look at it.
#include "controllersim.h"
#include "mainwindow.h"
#include "messageboxes.h"
#include "settingsfiletesting.h"
#include "singleinstance.h"
#include "steptablemodel.h"
#include "testtexts.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

using namespace Klv;

namespace {

constexpr int Patience = 20000; // ms

// The tool with no display, and a runtime folder of its own so Qt has nothing to say about it.
QProcessEnvironment toolEnvironment(const QString &runtimeDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    return env;
}

// The two accounts of a shared workshop PC, by number: the kernel needs no more. The victim is
// "nobody"; the test adds no user of its own.
constexpr uint Victim = 65534;
constexpr uint Stranger = 65533;

// Starts program as the user uid, with nothing of root's kept.
void startAs(QProcess &process, uint uid, const QString &program, const QStringList &arguments)
{
    const QString id = QString::number(uid);
    process.start(QStringLiteral("setpriv"),
                  QStringList{"--reuid=" + id, "--regid=" + id, "--clear-groups", program} +
                      arguments);
}

// A machine the two share: a temporary folder open to all (sticky, as /tmp is), the victim's
// home and runtime folder, and the tool and the squatter where both users can run them.
struct SharedMachine
{
    explicit SharedMachine(const QString &temporaryFolder)
        : root(temporaryFolder + QStringLiteral("/shared-machine-XXXXXX"))
    {
    }

    QTemporaryDir root;
    QString shared = root.filePath(QStringLiteral("tmp"));
    QString home = root.filePath(QStringLiteral("home"));
    QString runtime = root.filePath(QStringLiteral("run"));
    QString tool = root.filePath(QStringLiteral("victim/klv90"));
    QString squatter = root.filePath(QStringLiteral("stranger/klv90"));
    QString program = root.filePath(QStringLiteral("program.zzr"));

    bool ready() const
    {
        const auto victims = [](const QString &path) {
            return ::mkdir(qPrintable(path), 0700) == 0 &&
                   ::chown(qPrintable(path), Victim, Victim) == 0;
        };
        return ::chmod(qPrintable(root.path()), 0755) == 0 &&
               ::mkdir(qPrintable(shared), 0777) == 0 && ::chmod(qPrintable(shared), 01777) == 0 &&
               victims(home) && victims(runtime) && QDir().mkpath(QFileInfo(tool).path()) &&
               QDir().mkpath(QFileInfo(squatter).path()) &&
               QFile::copy(QStringLiteral(KLV90_EXECUTABLE), tool) &&
               QFile::copy(QStringLiteral(SQUATTER), squatter) &&
               writeAll(program, fileOf(stepsFor(3)));
    }

    // The real klv90 in the victim's session, with or without a runtime folder.
    void startTool(QProcess &tool, const QStringList &arguments, bool withRuntimeFolder) const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("TMPDIR"), shared);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (withRuntimeFolder)
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        tool.setProcessEnvironment(env);
        startAs(tool, Victim, this->tool, arguments);
    }
};

// The lines the stranger's squatter (singleinstance/squatter.cpp) printed, up to the last one.
QStringList squatterSays(QProcess &squatter, const QString &last)
{
    QStringList lines;
    while (!lines.contains(last) &&
           (squatter.canReadLine() || squatter.waitForReadyRead(Patience))) {
        while (squatter.canReadLine())
            lines << QString::fromUtf8(squatter.readLine()).trimmed();
    }
    return lines;
}

// What the squatter was sent, once everything sent so far has reached it.
QStringList squatterReceived(QProcess &squatter)
{
    squatter.write("report\n");
    return squatterSays(squatter, QStringLiteral("reported")).filter(QStringLiteral("received"));
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    const QString m_systemTemp = QDir::tempPath(); // before TMPDIR points into m_temp
    QTemporaryDir m_temp; // the lock and the socket live in its runtime folder
    QTemporaryDir m_files;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<MainWindow> m_window;

    QString file(const QString &name) const { return m_files.filePath(name); }
    // A program of one step, opened from its file: what a later file replaces.
    void openProgramOfOneStep()
    {
        QVERIFY(writeAll(file("before.zzr"), fileOf({stepFor(50)})));
        QCOMPARE(m_window->session()->open(file("before.zzr"), {}).message, EditMessage::None);
    }

    // This process becomes the running tool.
    void becomeFirst()
    {
        m_instance = std::make_unique<SingleInstance>();
        QVERIFY(m_instance->tryAcquire());
        m_window = std::make_unique<MainWindow>();
        connect(m_instance.get(), &SingleInstance::handedOver, m_window.get(),
                &MainWindow::takeHandOver);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    // Starts the real klv90 with the arguments, from the folder of the test's files.
    void startTool(QProcess &tool, const QStringList &arguments)
    {
        tool.setProcessEnvironment(toolEnvironment(m_temp.filePath(QStringLiteral("runtime"))));
        tool.setWorkingDirectory(m_files.path());
        tool.start(QStringLiteral(KLV90_EXECUTABLE), arguments);
        QVERIFY(tool.waitForStarted());
    }

    // A later start: it must end by itself, silently, with status 0, while this process goes
    // on answering.
    void runSecondStart(const QStringList &arguments)
    {
        QProcess second;
        startTool(second, arguments);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, Patience);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(second.readAllStandardOutput(), QByteArray());
        QCOMPARE(second.readAllStandardError(), QByteArray());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_temp.isValid() && m_files.isValid());
        qputenv("TMPDIR", m_temp.path().toLocal8Bit());
        QVERIFY(QDir(m_temp.path())
                    .mkdir(QStringLiteral("runtime"),
                           QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // The lock and the socket go there, for this process as for the tool's.
        qputenv("XDG_RUNTIME_DIR", m_temp.filePath(QStringLiteral("runtime")).toLocal8Bit());
        QVERIFY(writeAll(file("program.zzr"), fileOf(stepsFor(3))));
        QVERIFY(writeAll(file("wrong.zzr"), "XLV"));
    }
    void cleanup()
    {
        m_window.reset();
        m_instance.reset();
    }

    // The running window comes to the front and opens what the later start was given, as Load
    // would: a file it refuses changes nothing.
    void secondStartHandsOver_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("no file") << QStringList{} << 1 << QStringList{};
        QTest::newRow("a program, by its path")
            << QStringList{file("program.zzr")} << 3 << QStringList{};
        QTest::newRow("a program, by a name in the start's folder")
            << QStringList{"program.zzr"} << 3 << QStringList{};
        QTest::newRow("not a settings file")
            << QStringList{file("wrong.zzr")} << 1
            << QStringList{Texts::WrongFile + u'\n' + QDir::toNativeSeparators(file("wrong.zzr"))};
        QTest::newRow("a file that is not there")
            << QStringList{file("missing.zzr")} << 1
            << QStringList{Texts::Unreadable + u'\n' +
                           QDir::toNativeSeparators(file("missing.zzr"))};
    }
    void secondStartHandsOver()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, steps);
        QFETCH(QStringList, messages);
        becomeFirst();
        openProgramOfOneStep();
        const StepTable before = m_window->session()->table();
        // Another window in front, and the tool's minimised.
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_VERIFY(other.isActiveWindow());
        m_window->showMinimized();
        QTRY_VERIFY(m_window->isMinimized());
        QVERIFY(!m_window->isActiveWindow());
        MessageBoxAnswerer boxes;
        // A message box about the file takes the activation from the window once it opens.
        bool activated = false;
        connect(m_window->windowHandle(), &QWindow::activeChanged, this,
                [&] { activated = activated || m_window->windowHandle()->isActive(); });

        runSecondStart(arguments);
        QTRY_VERIFY_WITH_TIMEOUT(!m_window->isMinimized(), Patience);
        QTRY_VERIFY(activated);
        QTRY_COMPARE(boxes.texts(), messages);
        QTRY_COMPARE(m_window->session()->table().count(), steps);
        if (steps == 1)
            QVERIFY(m_window->session()->table() == before);
        QCOMPARE(m_window->windowTitle(), steps == 3
                                              ? QStringLiteral("ＫＬＶ－９０ - program.zzr[*]")
                                              : QStringLiteral("ＫＬＶ－９０ - before.zzr[*]"));
    }

    // While the running window shows a dialog, the hand-over waits for it to close.
    void handOverWaitsForDialog()
    {
        becomeFirst();
        bool secondStarted = false;
        bool secondEnded = false;
        int stepsWhileDialogOpen = -1;
        QProcess second;
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (!secondStarted) {
                secondStarted = true;
                startTool(second, {file("program.zzr")});
            } else if (second.state() == QProcess::NotRunning && !secondEnded) {
                secondEnded = true;
                stepsWhileDialogOpen = m_window->session()->table().count();
                QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
            }
        });
        driver.start(20);
        // Save with nothing to save: a message box, left open until the second start has ended.
        QTimer::singleShot(0, this, [this] {
            QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("saveButton")),
                              Qt::LeftButton);
        });
        QTRY_VERIFY_WITH_TIMEOUT(secondEnded, Patience);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(stepsWhileDialogOpen, 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_window->session()->table().count(), 3, Patience);
    }

    // While a download runs, a hand-over waits for its end.
    void handOverWaitsForDownload()
    {
        if (!pseudoTerminalsAvailable())
            QSKIP("no pseudo-terminals here: is devpts mounted on /dev/pts?");
        TestPty controller; // answered by hand
        m_window = std::make_unique<MainWindow>(portsAt({{1, controller.path()}}));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        MessageBoxAnswerer boxes;
        QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("downloadButton")),
                          Qt::LeftButton);
        QTRY_COMPARE(controller.received(), QByteArray("HELLO"));
        m_window->takeHandOver(file("program.zzr"));
        QCOMPARE(m_window->session()->table().count(), 0);
        controller.send("WELCOME");
        QTRY_COMPARE(controller.received(), QByteArray("HELLOEND"));
        QTRY_COMPARE(boxes.texts(), QStringList{Texts::Done});
        QTRY_COMPARE(m_window->session()->table().count(), 3);
    }

    // A running tool killed outright leaves its lock and socket behind; the next start still
    // becomes the running tool, and later starts hand over to it.
    void leftoversOfAKilledToolDoNotBlock()
    {
        QProcess killed;
        startTool(killed, {});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(SingleInstance::lockPath()), Patience);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(SingleInstance::serverName()), Patience);
        killed.kill();
        QVERIFY(killed.waitForFinished());

        becomeFirst();
        runSecondStart({file("program.zzr")});
        QTRY_COMPARE_WITH_TIMEOUT(m_window->session()->table().count(), 3, Patience);
    }

    // Another user of the machine plants a lock naming a live klv90 and a listening socket
    // wherever they can reach: where the tool kept them before (the shared temporary folder, after
    // a hash of the home folder), in the temporary folder's klv90-<uid> (made first), and in the
    // runtime folder (not theirs to enter). The user's tool still starts its window, a second
    // start hands over to it, and the stranger learns nothing.
    void strangerNeitherBlocksNorListens_data()
    {
        QTest::addColumn<bool>("runtimeFolder"); // the session has XDG_RUNTIME_DIR
        QTest::newRow("with a runtime folder") << true;
        QTest::newRow("without one") << false;
    }
    void strangerNeitherBlocksNorListens()
    {
        QFETCH(bool, runtimeFolder);
        if (geteuid() != 0)
            QSKIP("needs root, to run the tool and a stranger as two other users");
        SharedMachine machine(m_systemTemp);
        QVERIFY(machine.ready());
        const QString hash =
            QCryptographicHash::hash(machine.home.toUtf8(), QCryptographicHash::Sha1)
                .toHex()
                .left(16);
        const QString before = machine.shared + QStringLiteral("/klv90-") + hash;
        const QString name = QStringLiteral("/klv90-%1").arg(Victim);
        const QString temporary = machine.shared + name + name;
        const QString runtime = machine.runtime + name;
        QProcess squatter;
        startAs(squatter, Stranger, machine.squatter,
                {before + ".lock", before, temporary + ".lock", temporary + ".socket",
                 runtime + ".lock", runtime + ".socket"});
        QCOMPARE(squatterSays(squatter, "ready"),
                 (QStringList{"planted " + before, "planted " + temporary + ".socket",
                              "cannot plant " + runtime + ".socket", "ready"}));

        // Without a runtime folder the tool keeps both in the user's cache.
        const QString own = (runtimeFolder ? runtime : machine.home + "/.cache/klv90" + name) +
                            QStringLiteral(".socket");
        QProcess first, second;
        machine.startTool(first, {}, runtimeFolder);
        // A start that took the stranger's lock for a running window ends at once.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(own) || first.state() == QProcess::NotRunning,
                                 Patience);
        QCOMPARE(first.state(), QProcess::Running);
        machine.startTool(second, {machine.program}, runtimeFolder);
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, Patience);
        QCOMPARE(second.exitCode(), 0); // handed over to the first
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(squatterReceived(squatter), QStringList{});
        first.kill();
        squatter.closeWriteChannel(); // it ends at the end of its input
        QVERIFY(first.waitForFinished(Patience) && squatter.waitForFinished(Patience));
    }

    // A socket that answers where this user's own would be but belongs to another user (put
    // there by root here) is no running window: it is told nothing.
    void handOverOnlyToThisUser()
    {
        if (geteuid() != 0)
            QSKIP("needs root, to run a stranger as another user");
        SharedMachine machine(m_systemTemp);
        QVERIFY(machine.ready());
        const QString planted = machine.shared + QStringLiteral("/stranger.socket");
        QProcess squatter;
        startAs(squatter, Stranger, machine.squatter, {machine.shared + "/stranger.lock", planted});
        QCOMPARE(squatterSays(squatter, "ready"), (QStringList{"planted " + planted, "ready"}));
        QVERIFY(::rename(qPrintable(planted), qPrintable(SingleInstance::serverName())) == 0);

        SingleInstance second;
        QVERIFY(!second.handOver(file("program.zzr")));
        QCOMPARE(squatterReceived(squatter), QStringList{});
        QFile::remove(SingleInstance::serverName());
        squatter.closeWriteChannel();
        QVERIFY(squatter.waitForFinished(Patience));
    }

    // A window that accepts the connection but never answers has not taken the file: the later
    // start gives up on it in time and opens the file itself.
    void handOverUnanswered()
    {
        QLocalServer silent;
        QVERIFY(silent.listen(SingleInstance::serverName()));
        SingleInstance second;
        QElapsedTimer waited;
        waited.start();
        QVERIFY(!second.handOver(file("program.zzr"), 500));
        QVERIFY(silent.hasPendingConnections() || silent.waitForNewConnection(1000));
        QVERIFY(waited.elapsed() < 5000);
    }

    // A first start that cannot listen still runs, and says why.
    void listenFailureIsTold()
    {
        QVERIFY(QDir().mkpath(SingleInstance::serverName() + "/in-the-way"));
        SingleInstance first;
        QVERIFY(first.tryAcquire());
        QVERIFY(!first.listenFailure().isEmpty());
        QDir(SingleInstance::serverName()).removeRecursively();
    }

    // A settings file dropped on the window opens as Load opens it; anything else is not taken.
    void drop_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QStringList>("messages");
        const QUrl program = QUrl::fromLocalFile(file("program.zzr"));
        QTest::newRow("a program") << QList<QUrl>{program} << true << 3 << QStringList{};
        QTest::newRow("not a settings file")
            << QList<QUrl>{QUrl::fromLocalFile(file("wrong.zzr"))} << true << 1
            << QStringList{Texts::WrongFile + u'\n' + QDir::toNativeSeparators(file("wrong.zzr"))};
        QTest::newRow("two files") << QList<QUrl>{program, program} << false << 1 << QStringList{};
        QTest::newRow("not a local file")
            << QList<QUrl>{QUrl(QStringLiteral("https://example.org/program.zzr"))} << false << 1
            << QStringList{};
    }
    void drop()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, taken);
        QFETCH(int, steps);
        QFETCH(QStringList, messages);
        m_window = std::make_unique<MainWindow>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        openProgramOfOneStep();
        MessageBoxAnswerer boxes;

        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at = m_window->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_window.get(), &enter);
        QCOMPARE(enter.isAccepted(), taken);
        if (taken) {
            QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(m_window.get(), &drop);
            QVERIFY(drop.isAccepted());
        }
        QTRY_COMPARE(m_window->session()->table().count(), steps);
        QTRY_COMPARE(boxes.texts(), messages);
        QCOMPARE(m_window->windowTitle(), steps == 3
                                              ? QStringLiteral("ＫＬＶ－９０ - program.zzr[*]")
                                              : QStringLiteral("ＫＬＶ－９０ - before.zzr[*]"));
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
