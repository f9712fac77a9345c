// Settings files that come from outside the window: another start of the tool, and a drop.
#include "form1.h"

#include "settingsdownload.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

namespace {

// The one local file a drag carries; empty for anything else.
QString draggedFile(const QMimeData *mime)
{
    const QList<QUrl> urls = mime->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return {};
    return urls.first().toLocalFile();
}

} // namespace

void Form1::takeHandOver(const QString &path)
{
    m_pendingHandOvers << path;
    handOverWhenFree();
}

void Form1::handOverWhenFree()
{
    if (m_pendingHandOvers.isEmpty())
        return;
    // What a dialog or a download is doing finishes first: a file opened under a dialog would
    // change the table the dialog was opened for.
    if (QApplication::activeModalWidget() || m_download->isRunning()) {
        m_handOverRetry->start();
        return;
    }
    const QString path = m_pendingHandOvers.takeFirst();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
    if (!path.isEmpty())
        openSettingsFile(path);
    if (!m_pendingHandOvers.isEmpty())
        m_handOverRetry->start();
}

void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    // Taken when Load could be pressed: not while steps are sent.
    if (m_loadButton->isEnabled() && !draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QString path = draggedFile(event->mimeData());
    if (path.isEmpty() || !m_loadButton->isEnabled())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over, so a message about the file does not hold up the drag.
    QTimer::singleShot(0, this, [this, path] { openSettingsFile(path); });
}
