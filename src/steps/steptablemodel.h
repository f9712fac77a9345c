#pragma once

#include "editops.h"
#include "step.h"

#include <QAbstractTableModel>
#include <QList>

// The program's step table and its one owner. Every change goes through here: the table is
// sorted by KeyData afterwards and the views are told which rows changed.
//
// As a model, row r is slot r (128 rows, one per step the table can hold) and column c is
// grid column c + 1 of the step texts; rows past the last step show empty cells. The step
// number and the two header rows are header data: vertical sections carry the numbers,
// horizontal sections both header rows (HeaderRow0Role, HeaderRow1Role).
class StepTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role { HeaderRow0Role = Qt::UserRole, HeaderRow1Role };

    explicit StepTableModel(QObject *parent = nullptr);

    const StepTable &table() const { return m_table; }
    int stepCount() const { return m_table.StepCount; }

    // Appends the step unless it is refused (see addStep).
    AddResult add(const Step &candidate);
    // Writes the editor over the step in slot, keeping its key (see updateStep).
    UpdateOutcome update(int slot, const EditorState &editor, const Step &workStep);
    // Removes the step in slot; false, changing nothing, when slot holds no step.
    bool remove(int slot);
    // Zeroes every slot and empties the table.
    void clear();
    // Replaces the table with steps (at most 128), zeroing the rest.
    void load(const QList<Step> &steps);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    // Sorts the table and tells the views that the first rows changed.
    void sortAndShow(int changedRows);

    StepTable m_table;
};
