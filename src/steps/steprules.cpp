#include "steprules.h"

#include <cmath>

namespace Klv {

qint16 percentToLevel(double percent)
{
    // The factor is computed as a division and applied before the half is added: 50 % gives
    // 127 and 90 % gives 229 this way, and the controller's programs were made with that.
    const double factor = 255.0 / 100.0;
    const double value = percent * factor + 0.5;
    return static_cast<qint16>(std::floor(value));
}

int levelToPercent(int level)
{
    const double factor = 100.0 / 255.0;
    const double value = factor * level + 0.5;
    return static_cast<int>(std::floor(value));
}

bool conflictsWithTableKeys(const StepTable &table, const Step &candidate)
{
    int commonMask = 127;
    for (const Step &existing : table.steps())
        commonMask &= existing.keyMask;

    for (const Step &existing : table.steps()) {
        if ((existing.keyData & commonMask) != (candidate.keyData & commonMask))
            continue;
        const bool sameIncrease = (existing.controlBits & ControlBit::BitIncrease) ==
                                  (candidate.controlBits & ControlBit::BitIncrease);
        const bool sameDecrease = (existing.controlBits & ControlBit::BitDecrease) ==
                                  (candidate.controlBits & ControlBit::BitDecrease);
        // An equal key is allowed only for an increase/decrease pair.
        if (sameIncrease || sameDecrease)
            return true;
    }

    // Every step must test the same inputs.
    return !table.isEmpty() && (candidate.keyMask & 127) != commonMask;
}

bool keyDiffers(const Step &stored, const Step &edited)
{
    return edited.keyMask != stored.keyMask || edited.keyData != stored.keyData ||
           (edited.controlBits & ControlBit::BitConditions) !=
               (stored.controlBits & ControlBit::BitConditions);
}

int maskedInputs(const StepTable &table)
{
    int masked = 0;
    for (const Step &step : table.steps())
        masked |= step.keyMask ^ 255;
    return masked;
}

int maskedWires(const StepTable &table)
{
    return maskedInputs(table) & 0x3F;
}

ClickedStep stepForGridClick(const StepTable &table, std::optional<int> clickedSlot)
{
    if (!clickedSlot)
        return {0, false};
    if (*clickedSlot >= table.count())
        return {0, true};
    return {*clickedSlot, false};
}

} // namespace Klv
