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

// The step editor's controls as one editor state: the seven key option groups, the check boxes
// and the sliders with the text boxes that show their values.
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

    // Greys the key options of the wires in lockedWires (bit w - 1 for wire w, 1..6) and gives
    // the other wires theirs back. The flag input's options are never greyed.
    void showLockedWires(int lockedWires);

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
};
