#pragma once

#include "steptable.h"

#include <QAbstractTableModel>
#include <QList>

namespace Klv {

// What Add did; the refusals are checked in the order they are listed.
enum class AddResult {
    Added,
    DoubleBitCondition, // both bit conditions set
    SameKey,            // the key is in the table already, or other inputs are masked
    TableFull,          // 128 steps already
};

// What Update did; the refusals are checked in the order they are listed.
enum class UpdateResult {
    Updated,
    DoubleBitCondition, // both bit conditions set
    KeyChanged,         // the step would get another key
};

// The program's step table and its one owner: every change goes through here, follows the
// table's rules, and tells the views which rows changed.
//
// As a model, row r is slot r (128 rows, one per step the table can hold) and column c is
// StepColumn c; rows past the last step show empty cells. The model holds steps only: the step
// numbers and the header lines are the grid's own drawing.
class StepTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit StepTableModel(QObject *parent = nullptr);

    const StepTable &table() const { return m_table; }

    // Appends step unless both bit conditions are set, its key conflicts with the table's
    // keys, or the table is full.
    AddResult add(const Step &step);
    // Writes edited over the step in slot unless both its bit conditions are set or its key
    // (keyData, keyMask and the bit conditions) differs from the stored one. The slot is not
    // checked against the count: after a delete it may be the slot just past the steps, which
    // then stays unused.
    UpdateResult update(int slot, const Step &edited);
    // Removes the step in slot; false, changing nothing, when slot holds no step.
    bool remove(int slot);
    // Zeroes every slot and empties the table.
    void clear();
    // Replaces the table with steps (at most 128), sorted, zeroing the rest.
    void load(const QList<Step> &steps);
    // Puts back a whole table as it was, the slots past its steps included (undo and redo).
    void setTable(const StepTable &table);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    // Tells the views that the first rows changed. The row count never changes, so the views
    // keep their current row and highlight.
    void showChangedRows(int rows);

    StepTable m_table;
};

} // namespace Klv
