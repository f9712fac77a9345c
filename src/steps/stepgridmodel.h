#pragma once

#include "step.h"

#include <QAbstractTableModel>

// The step grid as a view of the table, never a copy: model row m is grid row m + 2 (slot m)
// and model column c is grid column c + 1. The two header rows and the step-number column are
// header data: horizontal header sections carry both header rows, vertical ones the numbers.
// Rows past the last step show empty cells.
class StepGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role { HeaderRow0Role = Qt::UserRole, HeaderRow1Role };

    explicit StepGridModel(const StepTable &table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Text of grid cell (row, column) in the grid's own numbering, header rows and the
    // step-number column included.
    QString cellText(int gridRow, int gridColumn) const;

    // Tells the views that the step rows changed.
    void refresh();

private:
    const StepTable &m_table;
};
