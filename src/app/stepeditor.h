#pragma once

#include "editorstate.h"

#include <QObject>

#include <array>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QScrollBar;

namespace Ui {
class MainWindow;
}

// The step editor: the seven key option groups, the check boxes and the sliders with the text
// boxes that show their values, together with the working step, the step the editor was last
// loaded with or that Add or Update last took from it.
class StepEditor : public QObject
{
    Q_OBJECT
public:
    StepEditor(Ui::MainWindow &ui, QObject *parent);

    // The sliders' ranges and start values, and the other controls' start states.
    void applyStartupDefaults();

    // The controls as values, and back. Setting goes through the sliders, so their text boxes
    // follow; enabled states are left alone.
    Klv::EditorState state() const;
    void setState(const Klv::EditorState &state);

    // The step the controls describe now.
    Klv::Step editedStep() const { return Klv::encodeStep(state()); }

    const Klv::Step &workStep() const { return m_workStep; }
    // Add and Update took edited from the editor: it is the working step now.
    void keep(const Klv::Step &edited) { m_workStep = edited; }
    // Shows step in the editor; it becomes the working step, a stored speed or repeat count of
    // 0 as the 1 the sliders show.
    void showStep(const Klv::Step &step);
    // Update refused a changed key: the editor shows the stored key and control bits again, with
    // the other values of the working step, so slider moves since its last load are undone too.
    void restoreKey(const Klv::Step &stored);

    // Disables the key options of the wires in maskedWires (bit w - 1 for wire w, 1..6); with
    // enableOthers, enables those of the other wires. The flag input's options stay as they are.
    void lockWires(int maskedWires, bool enableOthers);
    // The wires (bit w - 1 for wire w) whose key options are disabled.
    int lockedWires() const;

private:
    std::array<QButtonGroup *, 7> m_keyGroups{}; // wires 1-6, then the flag input
    std::array<QCheckBox *, 4> m_portChecks{};
    QCheckBox *m_keyFlagCheck;
    QCheckBox *m_instruction2Check;
    QCheckBox *m_waitForEndCheck;
    QCheckBox *m_bitIncreaseCheck;
    QCheckBox *m_bitDecreaseCheck;
    std::array<QScrollBar *, 7> m_sliders{}; // in the order of EditorState::values
    std::array<QLineEdit *, 7> m_valueTexts{};

    Klv::Step m_workStep;
};
