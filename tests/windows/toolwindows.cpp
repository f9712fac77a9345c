#include "toolwindows.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

namespace {

struct Search
{
    DWORD processId;
    QList<HWND> found;
};

} // namespace

QList<HWND> ToolWindows::topLevel(DWORD processId)
{
    Search search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto *search = reinterpret_cast<Search *>(data);
            if (IsWindowVisible(window) && !GetWindow(window, GW_OWNER) &&
                (search->processId == 0 || processOf(window) == search->processId))
                search->found << window;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

QList<HWND> ToolWindows::ofTool()
{
    QList<HWND> windows;
    for (HWND window : topLevel()) {
        if (titleOf(window).startsWith(QStringLiteral("ＫＬＶ－９０")))
            windows << window;
    }
    return windows;
}

QString ToolWindows::titleOf(HWND window)
{
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    return QString::fromWCharArray(title);
}

DWORD ToolWindows::processOf(HWND window)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return owner;
}

QImage ToolWindows::clientPicture(HWND window)
{
    RECT client{};
    POINT origin{0, 0};
    if (!IsWindow(window) || !GetClientRect(window, &client) || !ClientToScreen(window, &origin))
        return {};
    return QGuiApplication::primaryScreen()
        ->grabWindow(0, origin.x, origin.y, client.right - client.left, client.bottom - client.top)
        .toImage();
}

bool ToolWindows::endLeftovers()
{
    const QList<HWND> left = ofTool();
    for (HWND window : left) {
        if (HANDLE process =
                OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processOf(window))) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 10000);
            CloseHandle(process);
        }
    }
    return left.isEmpty();
}

bool ToolWindows::isBlank(const QImage &image)
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

QImage ToolWindows::settledPicture(HWND window, int timeoutMs,
                                   const std::function<bool(const QImage &)> &accepted)
{
    QImage last;
    const bool settled = QTest::qWaitFor(
        [&] {
            const QImage now = clientPicture(window);
            const bool same = !now.isNull() && now == last && !isBlank(now) && accepted(now);
            last = now;
            return same;
        },
        timeoutMs);
    return settled ? last : QImage();
}
