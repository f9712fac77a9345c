// Editing the step table: add, update, delete, clear, and loading a grid row into the editor.
#include "form1.h"

#include "editops.h"
#include "messagebox.h"
#include "stepgrid.h"
#include "steprules.h"

namespace {

constexpr int FirstDataRow = StepGrid::HeaderRows;
constexpr int LastDataRow = FirstDataRow + StepTable::MaxSteps - 1;

} // namespace

void Form1::addStep()
{
    m_workStep = EncodeStep(editorState());
    const AddResult result = AddStep(m_table, m_workStep);
    if (result != AddResult::Added)
        ShowMessage(this, AddMessage(result));
    if (result == AddResult::SameKey)
        return; // nothing changed, and the grid is left as it is
    if (result != AddResult::DoubleBitCondition)
        lockMaskedWires(false);
    SortStepTable(m_table);
    FillStepGrid();
}

void Form1::updateStep()
{
    const UpdateResult result = UpdateStep(m_table, m_selectedRow, editorState(), m_workStep);
    if (result == UpdateResult::Updated) {
        SortStepTable(m_table);
        FillStepGrid();
        return;
    }
    if (result != UpdateResult::NothingSelected)
        ShowMessage(this, UpdateMessage(result));
    if (result == UpdateResult::KeyChanged)
        WorkStepToEditor(); // the stored key, and the values the editor last loaded
}

void Form1::deleteStep()
{
    if (!DeleteStep(m_table, MSFlexGrid1->currentRow() - FirstDataRow))
        return;
    SortStepTable(m_table);
    lockMaskedWires(true);
    BlankRowAfterLast();
    FillStepGrid();
}

void Form1::gridClicked(int mouseRow)
{
    highlightCurrentRow();
    const RowSelection selection = SelectGridRow(m_table, mouseRow);
    if (selection.outOfRange)
        ShowMessage(this, EditMessage::outOfRange());
    m_selectedRow = qint16(selection.row);
    m_workStep = m_table[selection.row - FirstDataRow];
    WorkStepToEditor();
}

void Form1::clearTable()
{
    // The editor, SelectedRow and WorkStep keep what they hold; Load relies on that too.
    MSFlexGrid1->setCurrentCell(FirstDataRow, 1);
    highlightCurrentRow();
    m_table.clear();
    FillStepGrid();
    for (int wire = 1; wire <= 6; ++wire)
        setWireEnabled(wire, true);
}

void Form1::lockMaskedWires(bool enableUnmasked)
{
    const int masked = MaskedWires(m_table);
    for (int wire = 1; wire <= 6; ++wire) {
        if (masked & (1 << (wire - 1)))
            setWireEnabled(wire, false);
        else if (enableUnmasked)
            setWireEnabled(wire, true);
    }
}

void Form1::highlightCurrentRow()
{
    MSFlexGrid1->selectCurrentRow();
}

void Form1::BlankRowAfterLast()
{
    // Only a table of 129 steps, loaded from a file, has no row after its last step; the last
    // row stands in for it then.
    MSFlexGrid1->setCurrentCell(qMin(m_table.StepCount + FirstDataRow, LastDataRow), 1);
    highlightCurrentRow();
}
