#pragma once

class QPoint;
class StepGrid;

// Clicks the grid as a user does: a step's row on one of its cells (column 0..20, scrolled into
// view first) or on its number, a header line (0 upper, 1 lower) over a column, the corner above
// the numbers.
void clickStep(StepGrid *grid, int slot, int column = 0);
void clickStepNumber(StepGrid *grid, int slot);
void clickHeader(StepGrid *grid, int line, int column);
void clickCorner(StepGrid *grid);

// A right click on the grid's cells at a point: the press and release, then the request for a
// menu that the window system makes of a right press.
void rightClickGrid(StepGrid *grid, QPoint at);
