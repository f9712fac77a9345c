// The tool as its installer leaves it, under Wine after msiexec /i (tools/windows/test-msi):
// started from its Start-menu entry, and by start.exe on settings files, which opens them
// through their file type as a double click in Explorer does. A file opened while the tool runs
// is handed over to the running window; what that window shows then must be what a window
// started with the same file shows.
#include "settingsfiletesting.h"
#include "testports.h"
#include "toolwindows.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Patience = 60000; // ms; Wine starts a program in a few seconds

enum class Wait { No, ForTheProgram };

// start.exe on a document or a shortcut (a Windows path, or a Linux one after /unix), as the
// shell opens it; with /wait it ends when the program started ends, with that program's exit
// status. The programs started see only Windows' own folders on PATH, as they would when
// started from Explorer.
int start(QStringList arguments, Wait wait)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QString windows =
        environment.value(QStringLiteral("SystemRoot"), QStringLiteral("C:\\windows"));
    environment.insert(QStringLiteral("PATH"), windows + QStringLiteral("\\system32;") + windows);
    process.setProcessEnvironment(environment);
    if (wait == Wait::ForTheProgram)
        arguments.prepend(QStringLiteral("/wait"));
    process.start(windows + QStringLiteral("\\system32\\start.exe"), arguments);
    if (!process.waitForFinished(Patience) || process.exitStatus() != QProcess::NormalExit) {
        process.kill(); // not left waiting after the test
        return -1;
    }
    return process.exitCode();
}

int start(const QString &file, Wait wait)
{
    return start(QStringList{QDir::toNativeSeparators(file)}, wait);
}

// The one window of the tool, once there is exactly one; null if there is none or more.
HWND onlyToolWindow()
{
    HWND window = nullptr;
    const bool found = QTest::qWaitFor(
        [&] {
            const QList<HWND> windows = ToolWindows::ofTool();
            window = windows.size() == 1 ? windows.first() : nullptr;
            return window != nullptr;
        },
        Patience);
    return found ? window : nullptr;
}

// Closed as a user closes it: the program ends, with status 0.
bool closedAndEnded(HWND window)
{
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                 ToolWindows::processOf(window));
    if (!process)
        return false;
    PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD status = 1;
    const bool ended = WaitForSingleObject(process, Patience) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(process, &status) && status == 0;
    CloseHandle(process);
    return ended;
}

} // namespace

class TestInstalled : public QObject
{
    Q_OBJECT

    QTemporaryDir m_files;
    QString m_first;  // a program of 3 steps
    QString m_second; // a program of 9 steps

private slots:
    void initTestCase()
    {
        QVERIFY(m_files.isValid());
        m_first = m_files.filePath(QStringLiteral("first.zzr"));
        m_second = m_files.filePath(QStringLiteral("second.zzr"));
        QVERIFY(writeAll(m_first, fileOf(stepsFor(3))));
        QVERIFY(writeAll(m_second, fileOf(stepsFor(9))));
        QVERIFY(ToolWindows::ofTool().isEmpty());
    }
    // Whatever a failed check left open is ended, so the uninstall after finds nothing in use.
    void cleanupTestCase() { QVERIFY(ToolWindows::endLeftovers()); }

    void filesOpenInOneWindow()
    {
        // The Start-menu entry starts the tool with an empty table.
        // (Its path holds spaces, which start.exe takes apart unless it is given as a Linux path.)
        QCOMPARE(
            start({QStringLiteral("/unix"), TestPorts::fromEnvironment("KLV_START_MENU_ENTRY")},
                  Wait::No),
            0);
        HWND window = onlyToolWindow();
        QVERIFY(window);
        const DWORD firstProcess = ToolWindows::processOf(window);
        const QImage empty = ToolWindows::settledPicture(window, Patience);
        QVERIFY(!empty.isNull());

        // A double click on each file while the tool runs: the later start ends by itself,
        // without a window of its own, and the running window shows the file.
        QCOMPARE(start(m_first, Wait::ForTheProgram), 0);
        const QImage first = ToolWindows::settledPicture(
            window, Patience, [&](const QImage &now) { return now != empty; });
        QVERIFY(!first.isNull());
        QCOMPARE(ToolWindows::ofTool(), QList<HWND>{window});
        QCOMPARE(start(m_second, Wait::ForTheProgram), 0);
        const QImage second = ToolWindows::settledPicture(
            window, Patience, [&](const QImage &now) { return now != first && now != empty; });
        QVERIFY(!second.isNull());
        QCOMPARE(ToolWindows::ofTool(), QList<HWND>{window});
        QVERIFY(closedAndEnded(window));
        QTRY_VERIFY_WITH_TIMEOUT(ToolWindows::ofTool().isEmpty(), Patience);

        // With no tool running a double click starts it, showing the file as the running window
        // showed it when it was handed over; the next file goes to that new window.
        QCOMPARE(start(m_second, Wait::No), 0);
        window = onlyToolWindow();
        QVERIFY(window);
        QVERIFY(ToolWindows::processOf(window) != firstProcess);
        QVERIFY(!ToolWindows::settledPicture(window, Patience, [&](const QImage &now) {
                     return now == second;
                 }).isNull());
        QCOMPARE(start(m_first, Wait::ForTheProgram), 0);
        QVERIFY(!ToolWindows::settledPicture(window, Patience, [&](const QImage &now) {
                     return now == first;
                 }).isNull());
        QCOMPARE(ToolWindows::ofTool(), QList<HWND>{window});
        QVERIFY(closedAndEnded(window));
    }
};

QTEST_MAIN(TestInstalled)
#include "tst_installed.moc"
