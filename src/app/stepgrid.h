#pragma once

#include <QHeaderView>
#include <QTableView>

class QAction;
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
    // The number drawn beside a slot's row: slot 0 is step 1.
    static QString numberOf(int slot) { return QString::number(slot + 1); }

signals:
    void numberClicked(int section);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
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
    // The text drawn in header line 0 (the upper) or 1 over a column.
    static QString textOf(int line, int column);
    // The grid gives the header its height; measuring every section's text is not needed.
    QSize sizeHint() const override { return minimumSize(); }

signals:
    void headerRowClicked(int headerRow);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The step grid over the step table's model: one row per slot (0..127), the step numbers beside
// them and the two header lines above, all of them the grid's own drawing. Its current row is a
// view of the session's current slot; a click or a key that moves it chooses that step.
class StepGrid : public QTableView
{
    Q_OBJECT
public:
    explicit StepGrid(QWidget *parent = nullptr);

    // Shows the table, with rows of the given height; the 22 columns share the width beside
    // the scroll bar equally.
    void showTable(Klv::StepTableModel *model, int rowHeight);

    // Makes slot's row the current one, highlighted or not. A row that becomes highlighted is
    // scrolled into view; one that is not, as at start-up, is not.
    void showCurrentSlot(int slot, bool highlighted);

    // The menu a right click opens, its groups of entries apart; the click leaves the current
    // row where it is.
    void setContextMenu(const QList<QList<QAction *>> &groups);

    TwoRowHeader *twoRowHeader() const { return m_header; }

signals:
    // A click on a step's row (a cell or its number), or a key that moved the current row to a
    // step; and a click on one of the header lines or the corner above the numbers.
    void stepRowChosen(int slot);
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
    // The keys move among the rows that hold steps only: from a row without one the first key
    // goes to the nearest step; on an empty table they do nothing.
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Klv::StepTableModel *m_model = nullptr;
    TwoRowHeader *m_header;
    QMenu *m_contextMenu = nullptr;
    bool m_pressedOnStep = false;
};
