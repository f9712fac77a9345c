#include "steptablemodel.h"

#include "gridtexts.h"
#include "steprules.h"

StepTableModel::StepTableModel(QObject *parent) : QAbstractTableModel(parent) {}

AddResult StepTableModel::add(const Step &candidate)
{
    const AddResult result = addStep(m_table, candidate);
    if (result == AddResult::Added)
        sortAndShow(m_table.StepCount);
    return result;
}

UpdateOutcome StepTableModel::update(int slot, const EditorState &editor, const Step &workStep)
{
    const UpdateOutcome outcome = updateStep(m_table, slot, editor, workStep);
    if (outcome.result == UpdateResult::Updated)
        sortAndShow(qMax<int>(m_table.StepCount, slot + 1));
    return outcome;
}

bool StepTableModel::remove(int slot)
{
    if (!deleteStep(m_table, slot))
        return false;
    // The row of the former last step is empty now.
    sortAndShow(m_table.StepCount + 1);
    return true;
}

void StepTableModel::clear()
{
    const int shown = m_table.StepCount;
    m_table.clear();
    sortAndShow(shown);
}

void StepTableModel::load(const QList<Step> &steps)
{
    const int shown = m_table.StepCount;
    m_table.clear();
    const int count = qMin<int>(steps.size(), StepTable::MaxSteps);
    for (int i = 0; i < count; ++i)
        m_table[i] = steps[i];
    m_table.StepCount = qint16(count);
    sortAndShow(qMax(shown, count));
}

void StepTableModel::sortAndShow(int changedRows)
{
    sortStepTable(m_table);
    // The row count never changes, so the views keep their current row and highlight.
    const int rows = qMin(changedRows, rowCount());
    if (rows > 0)
        emit dataChanged(index(0, 0), index(rows - 1, columnCount() - 1), {Qt::DisplayRole});
}

int StepTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : StepTable::MaxSteps;
}

int StepTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : GridText::ColumnCount - 1;
}

QVariant StepTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole || index.row() >= m_table.StepCount)
        return {};
    return GridText::stepCell(m_table[index.row()], index.column() + 1);
}

QVariant StepTableModel::headerData(int section, Qt::Orientation orientation, int role) const
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
