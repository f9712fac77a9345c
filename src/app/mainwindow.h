#pragma once

#include "portinfo.h"
#include "portnames.h"
#include "settingsdownload.h"
#include "steptablemodel.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QUndoStack;
class StepEditor;
class StepGrid;
struct EditSnapshot;

namespace Ui {
class MainWindow;
}

namespace Klv {
struct EditorState;
struct RecoveredProgram;
class RecoveryCopy;
class SerialLink;
} // namespace Klv

// The tool's one window: the step editor, the grid of the step table, the command buttons and
// the status line of the download. Its controls and their places are in mainwindow.ui.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // The download searches the ports of portMapping, then those of portListing.
    explicit MainWindow(Klv::PortMapping portMapping = Klv::platformPortName,
                        Klv::PortListing portListing = Klv::platformSerialPorts,
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    // The program's steps, and their owner, through which every change goes.
    const Klv::StepTable &stepTable() const { return m_steps->table(); }
    Klv::StepTableModel *stepModel() const { return m_steps; }
    // The step that Update writes to: the slot of the last grid click; none before the first.
    std::optional<int> selectedSlot() const { return m_selectedSlot; }
    StepGrid *grid() const;
    StepEditor *editor() const { return m_editor; }

    // Opens a settings file as Load does after its dialog: the whole file checked first, a
    // refused one told in a message and the table left as it was.
    void openSettingsFile(const QString &path);
    // The settings file last loaded or saved; empty before any.
    QString currentFile() const { return m_currentFile; }
    // Another start of the tool handed over: the window comes to the front and opens path
    // unless it is empty. While a dialog is open or a download runs, this waits for its end.
    void takeHandOver(const QString &path);

    // Offers to restore what a run that did not end normally left in copy, then keeps copy up to
    // date while the table is modified, and discards it when the window ends.
    void keepRecoveryCopy(Klv::RecoveryCopy *copy);

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // A settings file dropped on the window is opened as Load opens it.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void connectControls();
    void applyStartupDefaults();

    // What the buttons and the grid do.
    void addClicked();
    void updateClicked();
    void deleteClicked();
    void clearClicked();
    void loadClicked();
    void saveClicked();
    void printClicked();
    void downloadClicked();
    void gridClicked(std::optional<int> clickedSlot);
    // Clear without its undo step; Load starts with it.
    void clearTable();
    // Saves the table to path, or where the save dialog says when path is empty; false when
    // nothing was saved.
    bool saveProgram(QString path);

    // Undo and redo: every change of the table is one step on the undo stack.
    void setUpUndo();
    void updateUndoActions();
    EditSnapshot snapshot() const;
    void applySnapshot(const EditSnapshot &snapshot, bool withFile);
    // Puts the change since before on the undo stack, unless the table stayed as it was.
    // opensProgram: the table came from a file, which undo and redo take along.
    void recordChange(const EditSnapshot &before, const QString &text, bool opensProgram = false);

    // Unsaved steps: asks whether to save them before the window ends; false keeps it open.
    bool confirmEnd();
    void tableChanged();
    void restoreProgram(const Klv::RecoveredProgram &program);
    void updateRecoveryCopy();

    // The download as the window shows it.
    void showPortPassedOver(const Klv::PortInfo &port);
    void showControllerFound();
    void showTransferStarted(int total);
    void showStepsTaken(int taken);
    void showDownloadEnded(Klv::SettingsDownload::Outcome outcome);
    void showLineState(bool open);
    // Greys the controls that change or read out the table while steps are sent, and gives
    // them back their state afterwards.
    void lockForTransfer(bool locked);

    // Opens path once no dialog blocks the window and no download runs; fromOutside (a later
    // start of the tool) also brings the window to the front.
    void openWhenFree(const QString &path, bool fromOutside);
    // Opens the files that waited, unless a dialog is still open or a download runs.
    void openPendingFiles();
    // The title names the file the table came from or went to.
    void setCurrentFile(const QString &path);
    void updateWindowTitle();
    // Makes the row after the last step the grid's current row and highlights it.
    void highlightRowAfterLast();

    std::unique_ptr<Ui::MainWindow> m_ui;
    Klv::StepTableModel *m_steps;
    QUndoStack *m_undoStack = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    Klv::RecoveryCopy *m_recovery = nullptr;
    // The system's log-out asked and was told the steps may go: its end of the window asks no
    // more, unless the table changes first.
    bool m_endAgreed = false;
    StepEditor *m_editor = nullptr;
    std::optional<int> m_selectedSlot;
    Klv::PortMapping m_portMapping;

    Klv::SerialLink *m_serialLink = nullptr;
    Klv::SettingsDownload *m_download = nullptr;
    // The controls that change the table, or read it into a dialog, locked while steps are sent,
    // and whether each was enabled before.
    std::array<QWidget *, 7> m_lockedDuringTransfer{};
    std::array<bool, 7> m_enabledBeforeTransfer{};
    bool m_lockedForTransfer = false;

    QString m_currentFile;
    // Files to open, from later starts or a Load during a transfer, waiting for a dialog or a
    // download to end.
    struct PendingOpen
    {
        QString path; // empty: only come to the front
        bool fromOutside = false;
    };
    QList<PendingOpen> m_pendingOpens;
};
