// klv90.exe from the unpacked package, started as a technician starts it: on the DLLs and plugins
// beside it alone, from another folder. Its window shows, titled "ＫＬＶ－９０" at its designed
// size, is saved as a picture (the README's Windows screenshot), and the program ends when the
// window is closed.
#include "testports.h"
#include "toolwindows.h"

#include <QDir>
#include <QProcess>
#include <QTest>

namespace {

constexpr int Patience = 60000; // ms; Wine starts a program in a few seconds

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT
private slots:
    void startsShowsItsWindowAndEnds()
    {
        const QString program = TestPorts::fromEnvironment("KLV_PACKAGE_PROGRAM");
        const QString picture = TestPorts::fromEnvironment("KLV_SCREENSHOT");
        QFile::remove(picture);

        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Only Windows' own folders: every DLL and plugin must come from the package.
        const QString windows =
            environment.value(QStringLiteral("SystemRoot"), QStringLiteral("C:\\windows"));
        environment.insert(QStringLiteral("PATH"),
                           windows + QStringLiteral("\\system32;") + windows);
        environment.remove(QStringLiteral("QT_PLUGIN_PATH"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        tool.setProcessEnvironment(environment);
        tool.setWorkingDirectory(QDir::tempPath());
        tool.start(program, {});
        QVERIFY2(tool.waitForStarted(Patience), qPrintable(tool.errorString()));

        HWND window = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(
            (window = ToolWindows::topLevel(DWORD(tool.processId())).value(0)) != nullptr,
            Patience);
        QCOMPARE(ToolWindows::titleOf(window), QStringLiteral("ＫＬＶ－９０"));
        RECT client{};
        QVERIFY(GetClientRect(window, &client));
        QCOMPARE(QSize(client.right - client.left, client.bottom - client.top), QSize(948, 560));

        // What the screen shows where the window is, once painted.
        const QImage shot = ToolWindows::settledPicture(window, Patience);
        QCOMPARE(shot.size(), QSize(948, 560));
        QVERIFY(shot.save(picture));

        // Closed as a user closes it: the program ends, without an error.
        PostMessageW(window, WM_CLOSE, 0, 0);
        QVERIFY(tool.waitForFinished(Patience));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
    }
};

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
