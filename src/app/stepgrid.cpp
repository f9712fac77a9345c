#include "stepgrid.h"

#include "gridtexts.h"
#include "steptablemodel.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

using Klv::StepTableModel;

namespace {

// Cells are drawn without the focus rectangle around the current cell.
class NoFocusDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->state &= ~QStyle::State_HasFocus;
    }
};

} // namespace

TwoRowHeader::TwoRowHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setDefaultAlignment(Qt::AlignCenter);
}

int TwoRowHeader::headerRowAt(int y) const
{
    return y < height() / 2 ? 0 : 1;
}

QString TwoRowHeader::textOf(int line, int column)
{
    const auto stepColumn = Klv::StepColumn(column);
    return line == 0 ? Klv::GridText::groupHeader(stepColumn)
                     : Klv::GridText::fieldHeader(stepColumn);
}

void TwoRowHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    const int half = rect.height() / 2;
    const QRect rows[2] = {
        QRect(rect.left(), rect.top(), rect.width(), half),
        QRect(rect.left(), rect.top() + half, rect.width(), rect.height() - half)};
    const QString texts[2] = {textOf(0, logicalIndex), textOf(1, logicalIndex)};
    for (int r = 0; r < 2; ++r) {
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = rows[r];
        opt.section = logicalIndex;
        opt.textAlignment = Qt::AlignCenter;
        opt.position = QStyleOptionHeader::Middle;
        opt.text = texts[r];
        painter->save();
        painter->setClipRect(rows[r]);
        style()->drawControl(QStyle::CE_Header, &opt, painter, this);
        painter->restore();
    }
}

void TwoRowHeader::mouseReleaseEvent(QMouseEvent *event)
{
    QHeaderView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit headerRowClicked(headerRowAt(event->position().toPoint().y()));
}

StepNumberHeader::StepNumberHeader(QWidget *parent) : QHeaderView(Qt::Vertical, parent)
{
    setSectionResizeMode(QHeaderView::Fixed);
    setDefaultAlignment(Qt::AlignCenter);
    setHighlightSections(false);
    setSectionsClickable(true);
}

void StepNumberHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.textAlignment = Qt::AlignCenter;
    opt.text = numberOf(logicalIndex);
    style()->drawControl(QStyle::CE_Header, &opt, painter, this);
}

void StepNumberHeader::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    m_pressedSection = logicalIndexAt(event->position().toPoint());
    QHeaderView::mousePressEvent(event);
}

void StepNumberHeader::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging over the numbers would move the current row row by row.
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QHeaderView::mouseMoveEvent(event);
}

void StepNumberHeader::mouseReleaseEvent(QMouseEvent *event)
{
    QHeaderView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && m_pressedSection >= 0)
        emit numberClicked(std::exchange(m_pressedSection, -1));
}

StepGrid::StepGrid(QWidget *parent) : QTableView(parent), m_header(new TwoRowHeader(this))
{
    setHorizontalHeader(m_header);
    setVerticalHeader(new StepNumberHeader(this));
    setItemDelegate(new NoFocusDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab and Shift+Tab leave the grid for the window's other controls.
    setTabKeyNavigation(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    QHeaderView *numbers = verticalHeader();

    // The selection stays highlighted when the grid does not have the focus.
    QPalette pal = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);

    auto *numberHeader = static_cast<StepNumberHeader *>(numbers);
    connect(numberHeader, &StepNumberHeader::numberClicked, this, &StepGrid::stepRowChosen);
    connect(m_header, &TwoRowHeader::headerRowClicked, this, &StepGrid::headerClicked);
    // The corner above the numbers is a cell of the header rows too. Its button would select
    // all, which a grid of single rows ignores.
    setCornerButtonEnabled(true);
    if (auto *corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly))
        connect(corner, &QAbstractButton::clicked, this, &StepGrid::headerClicked);
}

void StepGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    m_pressedOnStep = indexAt(event->position().toPoint()).isValid();
    QTableView::mousePressEvent(event);
}

void StepGrid::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() != Qt::NoButton) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void StepGrid::mouseReleaseEvent(QMouseEvent *event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && std::exchange(m_pressedOnStep, false))
        emit stepRowChosen(currentIndex().row());
}

void StepGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second press of a double click is a press like the first.
    mousePressEvent(event);
}

void StepGrid::contextMenuEvent(QContextMenuEvent *event)
{
    // The headers pass theirs on to here too, so the whole grid has the one menu.
    if (!m_contextMenu) {
        QTableView::contextMenuEvent(event);
        return;
    }
    m_contextMenu->popup(event->globalPos());
    event->accept();
}

void StepGrid::setContextMenu(const QList<QList<QAction *>> &groups)
{
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(QStringLiteral("stepGridMenu"));
    for (const QList<QAction *> &group : groups) {
        if (!m_contextMenu->isEmpty())
            m_contextMenu->addSeparator();
        m_contextMenu->addActions(group);
    }
}

void StepGrid::showTable(StepTableModel *model, int rowHeight)
{
    // Sizes first, so the model's sections are laid out once.
    QHeaderView *numbers = verticalHeader();
    numbers->setMinimumSectionSize(1);
    numbers->setDefaultSectionSize(rowHeight);
    m_header->setMinimumSectionSize(1);
    m_header->setFixedHeight(2 * rowHeight);
    const int columns = model->columnCount() + 1;
    const int available = width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width();
    const int base = available / columns;
    const int extra = available - base * columns; // one more pixel for the first few columns
    numbers->setFixedWidth(base + (extra > 0 ? 1 : 0));
    m_header->setDefaultSectionSize(base);

    m_model = model;
    setModel(model);
    for (int c = 1; c < extra; ++c)
        setColumnWidth(c - 1, base + 1);
}

void StepGrid::showCurrentSlot(int slot, bool highlighted)
{
    const QModelIndex current = currentIndex();
    if (current.row() == slot && selectionModel()->hasSelection() == highlighted)
        return;
    // The column stays where it is; before any, the last, where the grid's preparation ends.
    const int column = current.isValid() ? current.column() : model()->columnCount() - 1;
    setAutoScroll(highlighted);
    selectionModel()->setCurrentIndex(model()->index(slot, column), QItemSelectionModel::NoUpdate);
    setAutoScroll(true);
    if (highlighted) {
        const QItemSelection row(model()->index(slot, 0),
                                 model()->index(slot, model()->columnCount() - 1));
        selectionModel()->select(row, QItemSelectionModel::ClearAndSelect);
    } else {
        selectionModel()->clearSelection();
    }
}

QModelIndex StepGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const int steps = m_model->table().count();
    const QModelIndex current = currentIndex();
    if (steps == 0 || !current.isValid())
        return current;
    int row;
    switch (cursorAction) {
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = steps - 1;
        break;
    default:
        row = QTableView::moveCursor(cursorAction, modifiers).row();
        break;
    }
    return model()->index(qBound(0, row, steps - 1), current.column());
}

void StepGrid::keyPressEvent(QKeyEvent *event)
{
    const int before = currentIndex().row();
    QTableView::keyPressEvent(event);
    const int after = currentIndex().row();
    if (after != before)
        emit stepRowChosen(after);
}
