#pragma once

#include "steptable.h"

class QPrinter;

namespace Klv {

// Sets the printer to A4 landscape and prints the table's parameter list on it as one document,
// 55 steps a page, in the fixed-pitch Japanese face at 14 and 9 points, kept inside the area the
// printer can print and at least 5 mm inside every edge of the paper (the whole list shrunk alike
// when its widest line would not fit). An empty table begins no document at all, so no page comes
// out. Returns false when the printer refuses a setting or the job fails; a job that fails
// part-way is ended with the pages it holds.
bool printParameterList(QPrinter &printer, const StepTable &table);

} // namespace Klv
