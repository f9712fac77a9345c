#pragma once

// The tool's windows as another program on the same Windows desktop sees them: found by their
// process, and what the screen shows inside them.
#include <QImage>
#include <QList>
#include <QString>

#include <functional>

#include <qt_windows.h>

namespace ToolWindows {

// The visible top-level windows that no other window owns: of one process, or of all (0).
QList<HWND> topLevel(DWORD processId = 0);
// Those of them titled as the tool's window is.
QList<HWND> ofTool();
QString titleOf(HWND window);
DWORD processOf(HWND window);
// Ends the processes of the tool's windows that are still there, so nothing a test started
// stays running (and holds the installed files) after it; true when there were none.
bool endLeftovers();
// What the screen shows in the window's client area; null when the window is gone.
QImage clientPicture(HWND window);
bool isBlank(const QImage &image);
// What the window shows once its painting has settled (two pictures in a row alike, not blank)
// in a state that accepted() takes; null when that did not come within timeoutMs.
QImage settledPicture(
    HWND window, int timeoutMs,
    const std::function<bool(const QImage &)> &accepted = [](const QImage &) { return true; });

} // namespace ToolWindows
