#pragma once

#include "editsession.h"
#include "portinfo.h"
#include "portnames.h"
#include "settingsdownload.h"

#include <QWidget>

#include <memory>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class DownloadStatusLine;
class EndAgreement;
class StepEditor;
class StepGrid;

namespace Ui {
class MainWindow;
}

namespace Klv {
class RecoveryCopy;
class SerialLink;
} // namespace Klv

// The tool's one window: the step editor, the grid of the step table, the command buttons and
// the status line of the download, over one editing session. Its controls and their places are
// in mainwindow.ui.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // The download searches the ports of portMapping, then those of portListing.
    explicit MainWindow(Klv::PortMapping portMapping = Klv::platformPortName,
                        Klv::PortListing portListing = Klv::platformSerialPorts,
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    Klv::EditSession *session() const { return m_session; }
    StepGrid *grid() const;
    StepEditor *editor() const { return m_editor; }

    // Opens a settings file as Load does after its dialog (klv90 FILE), once no dialog blocks
    // the window and no download runs, and after asking about unsaved steps.
    void openSettingsFile(const QString &path);
    // Another start of the tool handed over: the window comes to the front and opens path, if
    // given, as openSettingsFile does.
    void takeHandOver(const QString &path);

    // Offers to restore what a run that did not end normally left in copy, then keeps copy up to
    // date while the table is modified, and discards it when the window ends.
    void keepRecoveryCopy(Klv::RecoveryCopy *copy);

    // The system's log-out asks whether the window may end: false keeps it. Only an end that
    // follows without the user doing anything in between asks no more.
    bool agreeToLogOut();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // A settings file dropped on the window is opened as Load opens it.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void connectControls();
    void addActions();

    // What the buttons and keys that do more than one operation do.
    void loadClicked();
    void printClicked();
    void downloadClicked();
    // The highlighted step, or all of them, onto the clipboard as text; and the clipboard's
    // steps into the table.
    void copySteps(bool all);
    void pasteSteps();

    // Shows what an operation did: its message, and the editor's new values.
    void showResult(const Klv::EditResult &result, const QString &file = {});
    // The window follows the session: the greyed wires, the grid's current row, the title and
    // what undo and redo offer.
    void showSession();

    // Saves the steps to path, or where the save dialog says when path is empty; false when
    // nothing was saved.
    bool saveProgram(const QString &path);
    // Asks about unsaved steps before they go; false keeps them.
    bool confirmDiscard(bool beforeExit);
    // Opens path once no dialog blocks the window and no download runs; fromOutside (a later
    // start of the tool) also brings the window to the front.
    void openWhenFree(const QString &path, bool fromOutside);
    // Opens the files that waited, unless a dialog is still open or a download runs.
    void openPendingFiles();

    // Greys the controls that change or read out the table while steps are sent.
    void showSending(bool sending);
    void showDownloadEnded(Klv::SettingsDownload::Outcome outcome);

    std::unique_ptr<Ui::MainWindow> m_ui;
    Klv::EditSession *m_session;
    StepEditor *m_editor = nullptr;
    Klv::PortMapping m_portMapping;
    Klv::SerialLink *m_serialLink = nullptr;
    Klv::SettingsDownload *m_download = nullptr;
    DownloadStatusLine *m_downloadStatus = nullptr;
    Klv::RecoveryCopy *m_recovery = nullptr;

    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    QAction *m_saveAction = nullptr;
    QAction *m_loadAction = nullptr;
    QAction *m_copyAction = nullptr;
    QAction *m_copyAllAction = nullptr;
    QAction *m_pasteAction = nullptr;
    QAction *m_previewAction = nullptr;
    // The buttons and keys that change or read out the table, greyed while steps are sent.
    QList<QObject *> m_greyedWhileSending;

    EndAgreement *m_endAgreement = nullptr;

    // Files to open, from later starts, drops or a Load during a transfer, waiting for a dialog
    // or a download to end.
    struct PendingOpen
    {
        QString path; // empty: only come to the front
        bool fromOutside = false;
        bool confirmed = false; // the question about unsaved steps was answered already
    };
    QList<PendingOpen> m_pendingOpens;
    bool m_openingPending = false;
};
