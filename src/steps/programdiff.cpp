#include "programdiff.h"

#include "steprules.h"

#include <vector>

namespace Klv {

namespace {

// The value a column shows. The key's columns are left out: paired steps share them.
int storedValue(const Step &step, StepColumn column)
{
    switch (column) {
    case StepColumn::Port1:
    case StepColumn::Port2:
    case StepColumn::Port3:
    case StepColumn::Port4:
        return (step.controlBits >> (int(column) - int(StepColumn::Port1))) & 1;
    case StepColumn::WaitForEnd:
        return (step.controlBits & ControlBit::WaitForEnd) ? 1 : 0;
    case StepColumn::Speed1:
        return step.speed1;
    case StepColumn::Brightness1:
        return step.level1;
    case StepColumn::Pause1:
        return step.pause1;
    case StepColumn::Speed2:
        return step.speed2;
    case StepColumn::Brightness2:
        return step.level2;
    case StepColumn::Pause2:
        return step.pause2;
    case StepColumn::RepeatCount:
        return step.repeatCount;
    case StepColumn::StepFlag:
        return step.stepFlag;
    default:
        return 0;
    }
}

bool isKeyColumn(StepColumn column)
{
    return column <= StepColumn::FlagInput || column == StepColumn::BitCondition;
}

} // namespace

QList<StepDifference> compareSteps(const StepTable &a, const StepTable &b)
{
    using Kind = StepDifference::Kind;
    QList<StepDifference> differences;
    std::vector<bool> paired(std::size_t(b.count()), false);
    for (int i = 0; i < a.count(); ++i) {
        const Step &inA = a.at(i);
        int j = 0;
        while (j < b.count() && (paired[std::size_t(j)] || keyDiffers(inA, b.at(j))))
            ++j;
        if (j == b.count()) {
            differences.append({Kind::OnlyInA, i, -1});
            continue;
        }
        paired[std::size_t(j)] = true;
        const Step &inB = b.at(j);
        // Instruction 2's in-force bit shows in its three columns, so every stored difference
        // lands in some column.
        for (int c = 0; c < StepColumnCount; ++c) {
            const auto column = StepColumn(c);
            if (isKeyColumn(column))
                continue;
            StepDifference change{Kind::Changed,
                                  i,
                                  j,
                                  column,
                                  GridText::stepCell(inA, column),
                                  GridText::stepCell(inB, column),
                                  storedValue(inA, column),
                                  storedValue(inB, column)};
            if (change.textInA != change.textInB || change.storedInA != change.storedInB)
                differences.append(change);
        }
    }
    for (int j = 0; j < b.count(); ++j) {
        if (!paired[std::size_t(j)])
            differences.append({Kind::OnlyInB, -1, j});
    }
    return differences;
}

} // namespace Klv
