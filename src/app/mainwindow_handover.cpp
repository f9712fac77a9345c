// Settings files that come from outside the window: another start of the tool, and a drop.
#include "mainwindow.h"

#include "ui_mainwindow.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

using namespace Klv;

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

void MainWindow::takeHandOver(const QString &path)
{
    openWhenFree(path, true);
}

void MainWindow::openWhenFree(const QString &path, bool fromOutside)
{
    m_pendingOpens << PendingOpen{path, fromOutside};
    openPendingFiles();
}

void MainWindow::openPendingFiles()
{
    // What a dialog or a download is doing finishes first: a file opened under a dialog would
    // change the table the dialog was opened for, and one opened during a download the table
    // the controller is being sent. Their ends call back here.
    while (!m_pendingOpens.isEmpty()) {
        if (QApplication::activeModalWidget() || m_download->isRunning())
            return;
        const PendingOpen next = m_pendingOpens.takeFirst();
        if (next.fromOutside) {
            setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            raise();
            activateWindow();
        }
        if (!next.path.isEmpty())
            openSettingsFile(next.path);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    // Taken when Load could be pressed: not while steps are sent.
    if (m_ui->loadButton->isEnabled() && !draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = draggedFile(event->mimeData());
    if (path.isEmpty() || !m_ui->loadButton->isEnabled())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over, so a message about the file does not hold up the drag.
    QTimer::singleShot(0, this, [this, path] { openSettingsFile(path); });
}
