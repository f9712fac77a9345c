#pragma once

#include "steptablemodel.h"
#include "steptext.h"

#include <optional>

namespace Klv {

// Why steps taken from text were not added, and the line of the text that met the refusal.
struct PasteRefusal
{
    int line = 0;
    AddResult reason = AddResult::SameKey;
};

// Adds the steps of lines to the model one after another, in the order of the text, each as Add
// takes it from the editor (the same refusals, in the same order). All or none: at the first
// refusal the table is put back as it was, and the refusal returned.
std::optional<PasteRefusal> addStepLines(StepTableModel &model,
                                         const QList<StepText::StepLine> &lines);

} // namespace Klv
