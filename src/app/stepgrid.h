#pragma once

#include <QHeaderView>
#include <QTableView>

class StepGridModel;

// The grid's two header rows, painted one above the other in each section. A click reports
// which of the two rows is under the pointer.
class TwoRowHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit TwoRowHeader(QWidget *parent = nullptr);

    // The header row (0 or 1) at a y position within this header.
    int headerRowAt(int y) const;

signals:
    void headerRowClicked(int headerRow);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// MSFlexGrid1: the step grid in the grid's own row and column numbers. Rows 0 and 1 are the
// header rows, row r >= 2 the view's row r - 2; column 0 is the step-number column (the
// vertical header), column c >= 1 the view's column c - 1.
class StepGrid : public QTableView
{
    Q_OBJECT
public:
    static constexpr int HeaderRows = 2;

    explicit StepGrid(StepGridModel *model, QWidget *parent = nullptr);

    // The row of the grid's current cell (2..129).
    int currentRow() const;
    // Makes (row 2..129, column 1..21) the current cell, leaving the selection as it is.
    void setCurrentCell(int row, int column);
    // Selects columns 1 to 21 of the current row.
    void selectCurrentRow();
    // The grid's text of cell (row, column), header rows and step numbers included.
    QString cellText(int row, int column) const;
    // Rows of the given height; the 22 columns share the width beside the scroll bar equally.
    void layoutCells(int rowHeight);

    TwoRowHeader *twoRowHeader() const { return m_header; }

signals:
    // A click on the grid; row is the grid row under the pointer, 0 or 1 on a header row.
    void rowClicked(int row);

private:
    StepGridModel *m_model;
    TwoRowHeader *m_header;
};
