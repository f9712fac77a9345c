#pragma once

#include "editorstate.h"
#include "portnames.h"
#include "settingsdownload.h"
#include "step.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class SerialLink;
class StepGrid;
class StepGridModel;

// The tool's one window: the step editor, the grid of the step table, the command buttons and
// the status line of the download. Every control's objectName is its name in the design
// (Command1, Text8, Option1_2, ...).
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(PortMapping portMapping = PlatformPortName, QWidget *parent = nullptr);
    ~Form1() override;

    const StepTable &stepTable() const { return m_table; }
    StepTable &stepTable() { return m_table; }
    const Step &workStep() const { return m_workStep; }
    int selectedRow() const { return m_selectedRow; }
    StepGrid *grid() const { return MSFlexGrid1; }

    // The editor's controls as values, and back. Setting goes through the sliders, so their
    // text boxes follow; enabled states are left alone.
    EditorState editorState() const;
    void setEditorState(const EditorState &editor);

    // Redraws the grid's step rows from the table.
    void FillStepGrid();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void applyStartupDefaults();

    // Command handlers.
    void addStep();    // Command1
    void updateStep(); // Command7
    void deleteStep(); // Command6
    void clearTable(); // Command8
    void loadFile();   // Command4
    void saveFile();   // Command5
    void printList();  // Command9
    void download();   // Command2
    void timer2Tick(); // Timer2: the controller's greeting is overdue
    void setUpDownload();
    void showLineState(bool open);
    void downloadEnded(SettingsDownload::Outcome outcome);
    void gridClicked(int mouseRow);

    // Loads WorkStep into the editor.
    void WorkStepToEditor();
    // Enables the key option buttons of wire w (1..6).
    void setWireEnabled(int wire, bool enabled);
    // Disables the key options of every wire the table masks; enables the others too when
    // enableUnmasked.
    void lockMaskedWires(bool enableUnmasked);
    // Highlights columns 1 to 21 of the grid's current row.
    void highlightCurrentRow();
    // Makes the row after the last step the grid's current row and highlights it.
    void BlankRowAfterLast();

    StepTable m_table;
    Step m_workStep;
    qint16 m_selectedRow = 0;
    PortMapping m_portMapping;

    StepGridModel *m_gridModel = nullptr;
    StepGrid *MSFlexGrid1 = nullptr;

    // Option1..Option7, items 0 HI, 1 LO, 2 MASK.
    std::array<std::array<QRadioButton *, 3>, 7> m_keyOptions{};
    std::array<QButtonGroup *, 7> m_keyGroups{};
    std::array<QCheckBox *, 4> Check1{};
    QCheckBox *Check2 = nullptr;               // key flag
    QCheckBox *Check3 = nullptr;               // instruction 2 in force
    QCheckBox *Check4 = nullptr;               // wait for the end of execution
    QCheckBox *Check5 = nullptr;               // bit-increase condition
    QCheckBox *Check6 = nullptr;               // bit-decrease condition
    std::array<QScrollBar *, 7> m_sliders{};   // FlatScrollBar1..7
    std::array<QLineEdit *, 7> m_valueTexts{}; // Text1..7

    QPushButton *Command1 = nullptr; // add
    QPushButton *Command2 = nullptr; // download
    QPushButton *Command3 = nullptr; // exit
    QPushButton *Command4 = nullptr; // load
    QPushButton *Command5 = nullptr; // save
    QPushButton *Command6 = nullptr; // delete
    QPushButton *Command7 = nullptr; // update
    QPushButton *Command8 = nullptr; // clear
    QPushButton *Command9 = nullptr; // print
    QLineEdit *Text8 = nullptr;      // port status text
    QLineEdit *Text9 = nullptr;      // port state
    QTimer *Timer2 = nullptr;        // reply timer of the download
    SerialLink *MSComm1 = nullptr;   // the serial line to the controller
    SettingsDownload *m_download = nullptr;
};
