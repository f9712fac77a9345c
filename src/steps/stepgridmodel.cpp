#include "stepgridmodel.h"

#include "gridtexts.h"

StepGridModel::StepGridModel(const StepTable &table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
}

int StepGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : GridText::StepRows;
}

int StepGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : GridText::ColumnCount - 1;
}

QVariant StepGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    return cellText(index.row() + GridText::HeaderRows, index.column() + 1);
}

QVariant StepGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(QString::number(section + 1)) : QVariant();
    switch (role) {
    case HeaderRow0Role:
        return GridText::header(0, section + 1);
    case HeaderRow1Role:
    case Qt::DisplayRole:
        return GridText::header(1, section + 1);
    default:
        return {};
    }
}

QString StepGridModel::cellText(int gridRow, int gridColumn) const
{
    if (gridRow < 0 || gridRow >= GridText::RowCount || gridColumn < 0 ||
        gridColumn >= GridText::ColumnCount)
        return {};
    if (gridRow < GridText::HeaderRows)
        return GridText::header(gridRow, gridColumn);
    if (gridColumn == 0)
        return QString::number(gridRow - 1);
    const int slot = gridRow - GridText::HeaderRows;
    if (slot >= m_table.StepCount)
        return {};
    return GridText::stepCell(m_table[slot], gridColumn);
}

void StepGridModel::refresh()
{
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::DisplayRole});
}
