#pragma once

#include "editorstate.h"
#include "portnames.h"
#include "settingsdownload.h"
#include "step.h"

#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QButtonGroup;
class QDragEnterEvent;
class QDropEvent;
class QTimer;
class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
class SerialLink;
class StepGrid;
class StepTableModel;

namespace Ui {
class Form1;
}

// The tool's one window: the step editor, the grid of the step table, the command buttons and
// the status line of the download. Its controls and their places are in form1.ui, where every
// control's objectName is its name in the window's design (Command1, Text8, Option1_2, ...).
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(PortMapping portMapping = platformPortName, QWidget *parent = nullptr);
    ~Form1() override;

    // The program's steps, and their owner, through which every change goes.
    const StepTable &stepTable() const;
    StepTableModel *stepModel() const { return m_steps; }
    const Step &workStep() const { return m_workStep; }
    // The grid row of the step that Update writes to (2..129); 0 before the first grid click.
    int selectedRow() const;
    StepGrid *grid() const { return m_grid; }

    // The editor's controls as values, and back. Setting goes through the sliders, so their
    // text boxes follow; enabled states are left alone.
    EditorState editorState() const;
    void setEditorState(const EditorState &editor);

    // Opens a settings file as Load does after its dialog: the whole file checked first, a
    // refused one told in a message and the table left as it was.
    void openSettingsFile(const QString &path);
    // Another start of the tool handed over: the window comes to the front and opens path
    // unless it is empty. While a dialog is open or a download runs, this waits for its end.
    void takeHandOver(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    // A settings file dropped on the window is opened as Load opens it.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void findControls();
    void connectControls();
    void applyStartupDefaults();

    // What the buttons and the grid do.
    void addStep();
    void updateStep();
    void deleteStep();
    void clearTable();
    void loadFile();
    void saveFile();
    void printList();
    void startDownload();
    void selectClickedStep(std::optional<int> clickedSlot);
    void handOverWhenFree();

    // The download's progress on the window.
    void showLineState(bool open);
    void transferStarted(int total);
    void showStepsTaken(int taken);
    void downloadEnded(SettingsDownload::Outcome outcome);

    // Shows the working step in the editor.
    void showWorkStepInEditor();
    // Enables or disables the key option buttons of wire w (1..6).
    void setWireEnabled(int wire, bool enabled);
    // Disables the key options of every wire the table masks; with enableUnmasked, enables the
    // others.
    void lockMaskedWires(bool enableUnmasked);
    // Makes the row after the last step the grid's current row and highlights it.
    void highlightRowAfterLast();

    std::unique_ptr<Ui::Form1> m_ui;
    StepTableModel *m_steps;
    Step m_workStep;
    std::optional<int> m_selectedSlot; // the step Update writes to
    PortMapping m_portMapping;

    // The editor.
    std::array<std::array<QRadioButton *, 3>, 7> m_keyOptions{}; // wires 1-6, flag; HI, LO, MASK
    std::array<QButtonGroup *, 7> m_keyGroups{};
    std::array<QCheckBox *, 4> m_portChecks{};
    QCheckBox *m_keyFlagCheck = nullptr;
    QCheckBox *m_instruction2Check = nullptr;
    QCheckBox *m_waitForEndCheck = nullptr;
    QCheckBox *m_bitIncreaseCheck = nullptr;
    QCheckBox *m_bitDecreaseCheck = nullptr;
    std::array<QScrollBar *, 7> m_valueSliders{};
    std::array<QLineEdit *, 7> m_valueTexts{};

    StepGrid *m_grid = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_updateButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QPushButton *m_clearButton = nullptr;
    QPushButton *m_loadButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_printButton = nullptr;
    QPushButton *m_exitButton = nullptr;

    // The download.
    QPushButton *m_downloadButton = nullptr;
    QLineEdit *m_portStatus = nullptr;
    QLineEdit *m_portState = nullptr;
    QProgressBar *m_downloadProgress = nullptr;
    SerialLink *m_serialLink = nullptr;
    SettingsDownload *m_download = nullptr;
    // The controls that change the table, or read it into a dialog, locked while steps are sent,
    // and whether each was enabled before.
    std::array<QWidget *, 7> m_lockedDuringTransfer{};
    std::array<bool, 7> m_enabledBeforeTransfer{};
    bool m_lockedForTransfer = false;

    // Hand-overs from later starts, waiting for a dialog or a download to end.
    QStringList m_pendingHandOvers;
    QTimer *m_handOverRetry = nullptr;
};
