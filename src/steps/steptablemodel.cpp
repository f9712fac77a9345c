#include "steptablemodel.h"

#include "gridtexts.h"
#include "steprules.h"

namespace Klv {

StepTableModel::StepTableModel(QObject *parent) : QAbstractTableModel(parent) {}

AddResult StepTableModel::add(const Step &step)
{
    if ((step.controlBits & ControlBit::BitConditions) == ControlBit::BitConditions)
        return AddResult::DoubleBitCondition;
    if (conflictsWithTableKeys(m_table, step))
        return AddResult::SameKey;
    if (!m_table.append(step))
        return AddResult::TableFull;
    showChangedRows(m_table.count());
    return AddResult::Added;
}

UpdateResult StepTableModel::update(int slot, const Step &edited)
{
    if ((edited.controlBits & ControlBit::BitConditions) == ControlBit::BitConditions)
        return UpdateResult::DoubleBitCondition;
    if (keyDiffers(m_table.slot(slot), edited))
        return UpdateResult::KeyChanged;
    m_table.replace(slot, edited);
    showChangedRows(qMax(m_table.count(), slot + 1));
    return UpdateResult::Updated;
}

bool StepTableModel::remove(int slot)
{
    if (!m_table.removeAt(slot))
        return false;
    // The row of the former last step is empty now.
    showChangedRows(m_table.count() + 1);
    return true;
}

void StepTableModel::clear()
{
    const int shown = m_table.count();
    m_table.clear();
    showChangedRows(shown);
}

void StepTableModel::load(const QList<Step> &steps)
{
    const int shown = m_table.count();
    m_table.assign(steps);
    showChangedRows(qMax(shown, m_table.count()));
}

void StepTableModel::setTable(const StepTable &table)
{
    const int shown = m_table.count();
    m_table = table;
    showChangedRows(qMax(shown, m_table.count()));
}

void StepTableModel::showChangedRows(int rows)
{
    rows = qMin(rows, rowCount());
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1), {Qt::DisplayRole});
}

int StepTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : StepTable::MaxSteps;
}

int StepTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : StepColumnCount;
}

QVariant StepTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole || index.row() >= m_table.count())
        return {};
    return GridText::stepCell(m_table.at(index.row()), StepColumn(index.column()));
}

} // namespace Klv
