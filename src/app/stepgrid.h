#pragma once

#include <QHeaderView>
#include <QTableView>

class QMenu;

namespace Klv {
class StepTableModel;
}

// The step numbers: a header whose width the grid gives, so no section's text is measured. A
// press on a number is a click on that step's row, wherever the button is let go.
class StepNumberHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit StepNumberHeader(QWidget *parent = nullptr);
    QSize sizeHint() const override { return minimumSize(); }

signals:
    void numberClicked(int section);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_pressedSection = -1;
};

// The grid's two header rows, painted one above the other in each section. A click reports
// which of the two rows is under the pointer.
class TwoRowHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit TwoRowHeader(QWidget *parent = nullptr);

    // The header row (0 or 1) at a y position within this header.
    int headerRowAt(int y) const;
    // The grid gives the header its height; measuring every section's text is not needed.
    QSize sizeHint() const override { return minimumSize(); }

signals:
    void headerRowClicked(int headerRow);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The step grid over the step table's model. Outside, it speaks of slots (0..127) and of the
// grid's columns 1 to 21; its own row numbers, with the two header rows on top, stay inside:
// rows 0 and 1 are the header rows, row r >= 2 shows slot r - 2, column 0 holds the step
// numbers (the vertical header) and column c >= 1 the model's column c - 1.
class StepGrid : public QTableView
{
    Q_OBJECT
public:
    static constexpr int HeaderRows = 2;

    explicit StepGrid(QWidget *parent = nullptr);

    // Shows the table, with rows of the given height; the 22 columns share the width beside
    // the scroll bar equally.
    void showTable(Klv::StepTableModel *model, int rowHeight);

    // The slot of the current row (0..127).
    int currentSlot() const;
    // Makes (slot, grid column 1..21) the current cell, leaving the selection as it is.
    void setCurrentCell(int slot, int column);
    // Selects columns 1 to 21 of the current row.
    void selectCurrentRow();

    // The current cell and whether its row is highlighted, as undo puts them back.
    struct Position
    {
        int slot = 0;
        int column = 1;
        bool highlighted = false;
        friend bool operator==(const Position &, const Position &) = default;
    };
    Position position() const;
    void setPosition(const Position &position);

    // The menu a right click opens; the click leaves the current row where it is.
    void setContextMenu(QMenu *menu) { m_contextMenu = menu; }
    // The text of cell (row, column) as a technician reads the grid: rows 0 and 1 are the
    // header rows, row r >= 2 is slot r - 2, and column 0 holds the step numbers.
    QString cellText(int row, int column) const;

    TwoRowHeader *twoRowHeader() const { return m_header; }

signals:
    // A click on a step row (a data cell or its number), and on one of the header rows or the
    // corner above the numbers.
    void stepRowClicked(int slot);
    void headerClicked();

protected:
    // Only the left button moves the current row, and only where it is pressed: a press dragged
    // to another row is a click on the row pressed, so the row the editor shows and the row
    // Delete acts on stay the same.
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    TwoRowHeader *m_header;
    QMenu *m_contextMenu = nullptr;
    bool m_pressedOnStep = false;
};
