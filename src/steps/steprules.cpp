#include "steprules.h"

#include <cmath>
#include <utility>

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

void sortStepTable(StepTable &table)
{
    const int count = table.StepCount;
    if (count <= 1)
        return;
    for (int i = 0; i <= count - 2; ++i) {
        for (int j = i + 1; j <= count - 1; ++j) {
            if (table[i].KeyData > table[j].KeyData)
                std::swap(table[i], table[j]);
        }
    }
}

bool conflictsWithTableKeys(const StepTable &table, const Step &candidate)
{
    const int count = table.StepCount;
    int commonMask = 127;
    for (int s = 0; s < count; ++s)
        commonMask &= table[s].KeyMask;

    for (int s = 0; s < count; ++s) {
        const Step &existing = table[s];
        if ((existing.KeyData & commonMask) != (candidate.KeyData & commonMask))
            continue;
        const bool sameIncrease = (existing.ControlBits & ControlBit::BitIncrease) ==
                                  (candidate.ControlBits & ControlBit::BitIncrease);
        const bool sameDecrease = (existing.ControlBits & ControlBit::BitDecrease) ==
                                  (candidate.ControlBits & ControlBit::BitDecrease);
        // An equal key is allowed only for an increase/decrease pair.
        if (sameIncrease || sameDecrease)
            return true;
    }

    // Every step must test the same inputs.
    return count > 0 && (candidate.KeyMask & 127) != commonMask;
}

int maskedInputs(const StepTable &table)
{
    int masked = 0;
    for (int s = 0; s < table.StepCount; ++s)
        masked |= table[s].KeyMask ^ 255;
    return masked;
}
