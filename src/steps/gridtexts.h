#pragma once

#include "step.h"

#include <QString>

namespace Klv {

// Texts of the step grid: two header lines over the columns, and a step's cells. Column 0 holds
// the step numbers and columns 1 to 21 the fields of a step.
namespace GridText {
constexpr int ColumnCount = 22;

// Header text of line 0 or 1 in column 0..21 (column 0 is blank in both).
QString header(int headerRow, int column);

// Text of column 1..21 of a step row.
QString stepCell(const Step &step, int column);
} // namespace GridText

} // namespace Klv
