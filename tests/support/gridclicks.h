#pragma once

class StepGrid;

// Clicks the grid as a user does: row 0 or 1 on the two header rows (column 0 is the corner), rows
// 2 to 129 on a data cell (scrolled into view first), column 0 on the step-number column.
void clickGridRow(StepGrid *grid, int row, int column = 1);

class QPoint;

// A right click on the grid's cells at a point: the press and release, then the request for a
// menu that the window system makes of a right press.
void rightClickGrid(StepGrid *grid, QPoint at);

class MainWindow;

// The grid rows of what the window keeps as slots, in the numbering clickGridRow takes: the row
// of the selected step (0 before the first click) and the grid's current row.
int selectedRow(const MainWindow *window);
int currentRow(const StepGrid *grid);
