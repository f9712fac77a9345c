#pragma once

#include "editorstate.h"
#include "step.h"

#include <QString>

// The edit operations on the step table, without the window. Each one changes the table, or
// tells why it refused; the window shows the message, locks the wires and redraws the grid.
// None of them sorts: the window sorts with SortStepTable after each of them.

// Messages of the edit operations.
namespace EditMessage {
QString doubleBitCondition(); // both bit conditions checked
QString sameKey();            // key already in the table, or other inputs masked
QString tableFull();          // 128 steps already
QString keyUnchangeable();    // Update would change the key
QString outOfRange();         // a grid row that holds no step was clicked
} // namespace EditMessage

// What Add did; the refusals are checked in the order they are listed.
enum class AddResult { Added, DoubleBitCondition, SameKey, TableFull };

// Appends candidate at slot StepCount unless both bit conditions are set, CheckSameKey refuses
// it or the table holds 128 steps.
AddResult AddStep(StepTable &table, const Step &candidate);

// The message of a refused Add; empty for Added.
QString AddMessage(AddResult result);

// What Update did.
enum class UpdateResult { NothingSelected, DoubleBitCondition, KeyChanged, Updated };

// Writes the editor over slot selectedRow - 2, keeping its key (KeyData, KeyMask and the two
// bit conditions). workStep first takes the editor's key; when the key differs from the stored
// one it takes the stored KeyData, KeyMask and ControlBits instead, and when the write happens
// it holds the whole step written. selectedRow is 0 before the first grid click.
UpdateResult UpdateStep(StepTable &table, int selectedRow, const EditorState &editor,
                        Step &workStep);

// The message of a refused Update; empty when there is none to show.
QString UpdateMessage(UpdateResult result);

// Removes the step in slot and moves the steps after it down one slot each, keeping their
// order; the slot at StepCount is copied down, not cleared. Returns false, changing nothing,
// when slot holds no step.
bool DeleteStep(StepTable &table, int slot);

// The grid row a click on mouseRow (0 or 1 on the header rows) selects: the clicked row when it
// shows a step, else row 2, with outOfRange set for a data row that shows none.
struct RowSelection
{
    int row = 2;
    bool outOfRange = false;
};
RowSelection SelectGridRow(const StepTable &table, int mouseRow);

// The key option groups of wires 1 to 6 (bits 0 to 5) that steps in use mask. The flag input
// never locks its group, so it is left out.
int MaskedWires(const StepTable &table);
