// Editing the step table: add, update, delete, clear, and loading a grid row into the editor.
#include "form1.h"

#include "editops.h"
#include "messagebox.h"
#include "stepgrid.h"
#include "steptablemodel.h"

void Form1::addStep()
{
    m_workStep = encodeStep(editorState());
    const AddResult result = m_steps->add(m_workStep);
    if (result != AddResult::Added)
        showMessage(this, addMessage(result));
    if (result == AddResult::Added || result == AddResult::TableFull)
        lockMaskedWires(false);
}

void Form1::updateStep()
{
    if (!m_selectedSlot)
        return; // no row clicked yet
    const UpdateOutcome outcome = m_steps->update(*m_selectedSlot, editorState(), m_workStep);
    m_workStep = outcome.workStep;
    if (outcome.result == UpdateResult::Updated)
        return;
    showMessage(this, updateMessage(outcome.result));
    if (outcome.result == UpdateResult::KeyChanged)
        showWorkStepInEditor(); // the stored key, and the values the editor last loaded
}

void Form1::deleteStep()
{
    if (!m_steps->remove(m_grid->currentSlot()))
        return;
    lockMaskedWires(true);
    highlightRowAfterLast();
}

void Form1::selectClickedStep(std::optional<int> clickedSlot)
{
    m_grid->selectCurrentRow();
    const ClickedStep clicked = stepForGridClick(stepTable(), clickedSlot);
    if (clicked.outOfRange)
        showMessage(this, EditMessage::outOfRange());
    m_selectedSlot = clicked.slot;
    m_workStep = stepTable()[clicked.slot];
    showWorkStepInEditor();
}

void Form1::clearTable()
{
    // The editor, the selected step and the working step keep what they hold; Load relies on
    // that too.
    m_grid->setCurrentCell(0, 1);
    m_grid->selectCurrentRow();
    m_steps->clear();
    for (int wire = 1; wire <= 6; ++wire)
        setWireEnabled(wire, true);
}

void Form1::lockMaskedWires(bool enableUnmasked)
{
    const int masked = maskedWires(stepTable());
    for (int wire = 1; wire <= 6; ++wire) {
        if (masked & (1 << (wire - 1)))
            setWireEnabled(wire, false);
        else if (enableUnmasked)
            setWireEnabled(wire, true);
    }
}

void Form1::highlightRowAfterLast()
{
    // Called after a delete, so the table holds at most 127 steps and the row exists.
    m_grid->setCurrentCell(stepTable().StepCount, 1);
    m_grid->selectCurrentRow();
}
