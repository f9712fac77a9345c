#pragma once

#include "step.h"

#include <QString>

// Texts of the step grid. Grid rows 0 and 1 are the two header rows and row r >= 2 shows slot
// r - 2; column 0 holds the step numbers and columns 1 to 21 the fields of a step.
namespace GridText {
constexpr int HeaderRows = 2;
constexpr int StepRows = StepTable::MaxSteps;
constexpr int RowCount = HeaderRows + StepRows; // 130
constexpr int ColumnCount = 22;

// Header text of row 0 or 1 in column 0..21 (column 0 is blank in both).
QString header(int headerRow, int column);

// Text of column 1..21 of a step row.
QString stepCell(const Step &step, int column);
} // namespace GridText
