// klv90.exe from the unpacked package, started as a technician starts it: on the DLLs and plugins
// beside it alone, from another folder. Its window shows, titled "ＫＬＶ－９０" at its designed
// size, is saved as a picture (the README's Windows screenshot), and the program ends when the
// window is closed.
#include "testports.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <qt_windows.h>

namespace {

constexpr int Patience = 60000; // ms; Wine starts a program in a few seconds

struct WindowSearch
{
    DWORD processId;
    HWND found;
};

// The visible top-level window of the process, if it has one.
HWND windowOf(qint64 processId)
{
    WindowSearch search{DWORD(processId), nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto *search = reinterpret_cast<WindowSearch *>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != search->processId || !IsWindowVisible(window) ||
                GetWindow(window, GW_OWNER))
                return TRUE;
            search->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

QString titleOf(HWND window)
{
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return QString::fromWCharArray(title);
}

bool isBlank(const QImage &image)
{
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != first)
                return false;
        }
    }
    return true;
}

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
        QTRY_VERIFY_WITH_TIMEOUT((window = windowOf(tool.processId())) != nullptr, Patience);
        QCOMPARE(titleOf(window), QStringLiteral("ＫＬＶ－９０"));
        RECT client{};
        QVERIFY(GetClientRect(window, &client));
        QCOMPARE(QSize(client.right - client.left, client.bottom - client.top), QSize(948, 560));

        // What the screen shows where the window is; painted when two pictures in a row are alike
        // and not blank.
        POINT origin{0, 0};
        QVERIFY(ClientToScreen(window, &origin));
        QScreen *screen = QGuiApplication::primaryScreen();
        QImage shot;
        const auto painted = [&] {
            const QImage now = screen->grabWindow(0, origin.x, origin.y, 948, 560).toImage();
            const bool settled = !now.isNull() && now == shot && !isBlank(now);
            shot = now;
            return settled;
        };
        QTRY_VERIFY_WITH_TIMEOUT(painted(), Patience);
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
