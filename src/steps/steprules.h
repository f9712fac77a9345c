#pragma once

#include "step.h"

// Brightness in percent (0..100) to the stored level (0..255), in the controller's rounding.
qint16 percentToLevel(double percent);

// Stored level to the whole percentage shown to the user.
int levelToPercent(int level);

// Orders slots 0 to StepCount - 1 by KeyData with the tool's exchange sort. Steps with equal
// KeyData end up in the order this particular loop leaves them; files and the controller see it.
void sortStepTable(StepTable &table);

// Whether the candidate must be refused as having the same key as a step of the table, or as
// masking other inputs than the table's steps do.
bool conflictsWithTableKeys(const StepTable &table, const Step &candidate);

// Inputs masked by at least one step in use: bit k - 1 set when some step masks input k.
int maskedInputs(const StepTable &table);
