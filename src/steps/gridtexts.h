#pragma once

#include "step.h"

#include <QString>

namespace Klv {

// The columns in which the grid, the clipboard and klv90-cli show a step, left to right: the key
// (wires 1 to 6 and the flag input), the target ports, the bit condition and the wait, the two
// instructions, the repeat count and the step's flag.
enum class StepColumn {
    Wire1,
    Wire2,
    Wire3,
    Wire4,
    Wire5,
    Wire6,
    FlagInput,
    Port1,
    Port2,
    Port3,
    Port4,
    BitCondition,
    WaitForEnd,
    Speed1,
    Brightness1,
    Pause1,
    Speed2,
    Brightness2,
    Pause2,
    RepeatCount,
    StepFlag,
};
constexpr int StepColumnCount = int(StepColumn::StepFlag) + 1;

// Texts of a step's columns, and of the two header lines over them.
namespace GridText {

// The upper header line: the group a column belongs to ("ワイヤー", "命令１"), or empty.
QString groupHeader(StepColumn column);
// The lower header line: the column itself ("１", "フラグ", "調光速度").
QString fieldHeader(StepColumn column);
// The text of a step's cell in column.
QString stepCell(const Step &step, StepColumn column);

} // namespace GridText

} // namespace Klv
