#pragma once

#include "editorstate.h"
#include "step.h"

#include <QString>

#include <optional>

// The edit operations on the step table, without the window. Each one changes the table, or
// tells why it refused. None of them sorts: the table's owner (StepTableModel) sorts after each.

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

// Appends candidate at slot StepCount unless both bit conditions are set, its key conflicts with
// the table's keys, or the table holds 128 steps.
AddResult addStep(StepTable &table, const Step &candidate);

// The message of a refused Add; empty for Added.
QString addMessage(AddResult result);

// What Update did.
enum class UpdateResult { DoubleBitCondition, KeyChanged, Updated };

// An Update's result, and the working step it leaves behind.
struct UpdateOutcome
{
    UpdateResult result = UpdateResult::Updated;
    Step workStep;
};

// Writes the editor over the step in slot, keeping its key (KeyData, KeyMask and the two bit
// conditions). The working step first takes the editor's key. When the key differs from the
// stored one it takes the stored KeyData, KeyMask and ControlBits instead and nothing is
// written; when the write happens it is the whole step written. The slot is not checked against
// StepCount: after deletes it may be the slot just past the steps.
UpdateOutcome updateStep(StepTable &table, int slot, const EditorState &editor,
                         const Step &workStep);

// The message of a refused Update; empty for Updated.
QString updateMessage(UpdateResult result);

// Removes the step in slot and moves the steps after it down one slot each, keeping their
// order; the slot at StepCount is copied down, not cleared. Returns false, changing nothing,
// when slot holds no step.
bool deleteStep(StepTable &table, int slot);

// What a click on the grid selects: the clicked step's slot when it holds a step, else slot 0.
// A click on a row without a step is out of range; a click on a header row (no slot) is not.
struct ClickedStep
{
    int slot = 0;
    bool outOfRange = false;
};
ClickedStep stepForGridClick(const StepTable &table, std::optional<int> clickedSlot);

// The key option groups of wires 1 to 6 (bits 0 to 5) that steps in use mask. The flag input
// never locks its group, so it is left out.
int maskedWires(const StepTable &table);
