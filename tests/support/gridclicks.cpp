#include "gridclicks.h"

#include "stepgrid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QTest>

void clickStep(StepGrid *grid, int slot, int column)
{
    const QModelIndex index = grid->model()->index(slot, column);
    grid->scrollTo(index);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

void clickStepNumber(StepGrid *grid, int slot)
{
    grid->scrollTo(grid->model()->index(slot, 0));
    QHeaderView *numbers = grid->verticalHeader();
    const QPoint at(numbers->width() / 2,
                    numbers->sectionViewportPosition(slot) + numbers->sectionSize(slot) / 2);
    QTest::mouseClick(numbers->viewport(), Qt::LeftButton, {}, at);
}

void clickHeader(StepGrid *grid, int line, int column)
{
    TwoRowHeader *header = grid->twoRowHeader();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    const int y = line == 0 ? header->height() / 4 : header->height() * 3 / 4;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, y));
}

void clickCorner(StepGrid *grid)
{
    auto *corner = grid->findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    QTest::mouseClick(corner, Qt::LeftButton);
}

void rightClickGrid(StepGrid *grid, QPoint at)
{
    QWidget *cells = grid->viewport();
    QTest::mouseClick(cells, Qt::RightButton, {}, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, cells->mapToGlobal(at));
    QApplication::sendEvent(cells, &request);
}
