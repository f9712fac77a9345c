#include "gridclicks.h"

#include "mainwindow.h"
#include "stepgrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>

void clickGridRow(StepGrid *grid, int row, int column)
{
    if (row < StepGrid::HeaderRows && column == 0) {
        // The corner cell above the step numbers.
        auto *corner = grid->findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
        QTest::mouseClick(corner, Qt::LeftButton);
        return;
    }
    if (row < StepGrid::HeaderRows) {
        TwoRowHeader *header = grid->twoRowHeader();
        const int section = qMax(0, column - 1);
        const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
        const int y = row == 0 ? header->height() / 4 : header->height() * 3 / 4;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, y));
        return;
    }
    const QModelIndex index = grid->model()->index(row - StepGrid::HeaderRows, qMax(0, column - 1));
    grid->scrollTo(index);
    if (column == 0) {
        QHeaderView *numbers = grid->verticalHeader();
        const int section = index.row();
        const QPoint at(numbers->width() / 2, numbers->sectionViewportPosition(section) +
                                                  numbers->sectionSize(section) / 2);
        QTest::mouseClick(numbers->viewport(), Qt::LeftButton, {}, at);
        return;
    }
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

void rightClickGrid(StepGrid *grid, QPoint at)
{
    QWidget *cells = grid->viewport();
    QTest::mouseClick(cells, Qt::RightButton, {}, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, cells->mapToGlobal(at));
    QApplication::sendEvent(cells, &request);
}

int selectedRow(const MainWindow *window)
{
    const std::optional<int> slot = window->selectedSlot();
    return slot ? *slot + StepGrid::HeaderRows : 0;
}

int currentRow(const StepGrid *grid)
{
    return grid->currentSlot() + StepGrid::HeaderRows;
}
