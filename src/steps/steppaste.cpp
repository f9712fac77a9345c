#include "steppaste.h"

namespace Klv {

std::optional<PasteRefusal> addStepLines(StepTableModel &model,
                                         const QList<StepText::StepLine> &lines)
{
    const StepTable before = model.table();
    for (const StepText::StepLine &line : lines) {
        const AddResult result = model.add(encodeStep(line.editor));
        if (result != AddResult::Added) {
            model.setTable(before);
            return PasteRefusal{line.line, result};
        }
    }
    return std::nullopt;
}

} // namespace Klv
