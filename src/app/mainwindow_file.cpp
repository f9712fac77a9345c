// Saving and loading settings files, and the files that come from outside the window: another
// start of the tool, a drop, klv90 FILE.
#include "mainwindow.h"

#include "messagebox.h"
#include "questions.h"
#include "sessiontexts.h"
#include "settingsfiledialog.h"
#include "stepeditor.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScopedValueRollback>
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

bool MainWindow::saveProgram(const QString &path)
{
    // An empty table is refused before any dialog opens.
    if (!m_session->canSave()) {
        showResult(m_session->save(path));
        return false;
    }
    const QString target =
        path.isEmpty() ? askSettingsFilePath(this, SettingsFileDialogKind::Save) : path;
    if (target.isEmpty())
        return false;
    const EditResult saved = m_session->save(target);
    showResult(saved);
    return saved.message == EditMessage::None;
}

bool MainWindow::confirmDiscard(bool beforeExit)
{
    if (!m_session->isModified())
        return true;
    const auto before = beforeExit ? Questions::Before::Exit : Questions::Before::Open;
    switch (Questions::unsavedSteps(this, before, m_session->canSave())) {
    case Questions::Answer::Save:
        // To the file the steps came from; a new program goes through Save's dialog.
        return saveProgram(m_session->file());
    case Questions::Answer::Discard:
        return true;
    case Questions::Answer::Cancel:
        break;
    }
    return false;
}

void MainWindow::loadClicked()
{
    if (!confirmDiscard(false))
        return;
    const QString path = askSettingsFilePath(this, SettingsFileDialogKind::Load);
    if (path.isEmpty())
        return;
    // The dialog was opened before the controller answered, and its steps are being sent now:
    // the table they came from stays on screen until the download has ended.
    if (m_session->isSending()) {
        m_pendingOpens << PendingOpen{path, false, true};
        return;
    }
    showResult(m_session->open(path, m_editor->state()), path);
}

void MainWindow::openSettingsFile(const QString &path)
{
    openWhenFree(path, false);
}

void MainWindow::takeHandOver(const QString &path)
{
    openWhenFree(path, true);
}

void MainWindow::openWhenFree(const QString &path, bool fromOutside)
{
    m_pendingOpens << PendingOpen{path, fromOutside, false};
    // Queued, so that a drop is over before its file opens and a message about it shows.
    QMetaObject::invokeMethod(this, &MainWindow::openPendingFiles, Qt::QueuedConnection);
}

void MainWindow::openPendingFiles()
{
    // What a dialog or a download is doing finishes first: a file opened under a dialog would
    // change the table the dialog was opened for, and one opened during a download the table
    // the controller is being sent. Their ends call back here; so does the end of a question
    // asked below, which is waited for too.
    if (m_openingPending)
        return;
    const QScopedValueRollback opening(m_openingPending, true);
    while (!m_pendingOpens.isEmpty()) {
        if (QApplication::activeModalWidget() || m_download->isRunning())
            return;
        const PendingOpen next = m_pendingOpens.takeFirst();
        if (next.fromOutside) {
            setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
            raise();
            activateWindow();
        }
        // キャンセル keeps the steps, and the file stays closed.
        if (next.path.isEmpty() || (!next.confirmed && !confirmDiscard(false)))
            continue;
        showResult(m_session->open(next.path, m_editor->state()), next.path);
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = draggedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Like a hand-over, it waits for a dialog or a download to end.
    openWhenFree(path, false);
}
