#pragma once

#include "steptable.h"

#include <optional>

namespace Klv {

// Brightness in percent (0..100) to the stored level (0..255), in the controller's rounding.
qint16 percentToLevel(double percent);

// Stored level to the whole percentage shown to the user.
int levelToPercent(int level);

// Whether the candidate must be refused as having the same key as a step of the table, or as
// masking other inputs than the table's steps do.
bool conflictsWithTableKeys(const StepTable &table, const Step &candidate);

// Whether edited has another key than stored: keyData, keyMask and the two bit conditions.
bool keyDiffers(const Step &stored, const Step &edited);

// Inputs masked by at least one step in use: bit k - 1 set when some step masks input k.
int maskedInputs(const StepTable &table);

// The key option groups of wires 1 to 6 (bits 0 to 5) that steps in use mask. The flag input
// never locks its group, so it is left out.
int maskedWires(const StepTable &table);

// What a click on the grid selects: the clicked step's slot when it holds a step, else slot 0.
// A click on a row without a step is out of range; a click on a header row (no slot) is not.
struct ClickedStep
{
    int slot = 0;
    bool outOfRange = false;
};
ClickedStep stepForGridClick(const StepTable &table, std::optional<int> clickedSlot);

} // namespace Klv
