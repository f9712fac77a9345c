#pragma once

// Works the window's step editor and grid the way a technician does, and reads back what the
// window shows.

#include "controlnames.h"
#include "editorstate.h"
#include "gridclicks.h"
#include "mainwindow.h"
#include "stepeditor.h"
#include "stepgrid.h"
#include "steptablemodel.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

namespace edit {

constexpr int H = Klv::EditorState::Hi, L = Klv::EditorState::Lo, M = Klv::EditorState::Mask;

// Check-box bits of an editor state, as in controlBits: ports 1-4, then 0x10 decrease, 0x20
// increase, 0x40 wait, 0x80 instruction 2.
constexpr int Dec = 0x10, Inc = 0x20, Wait = 0x40, Instr2 = 0x80;

// An editor state from a key of seven letters H, L or M (wires 1 to 6, then the flag input).
inline Klv::EditorState editor(const char *key, int bits = 0,
                               std::array<int, 7> values = {1, 50, 0, 1, 50, 0, 1}, int flag = 0)
{
    Klv::EditorState e;
    for (int k = 0; k < 7; ++k)
        e.key[k] = key[k] == 'H' ? H : key[k] == 'L' ? L : M;
    for (int p = 0; p < 4; ++p)
        e.ports[p] = (bits >> p) & 1;
    e.bitDecrease = (bits & Dec) ? 1 : 0;
    e.bitIncrease = (bits & Inc) ? 1 : 0;
    e.waitForEnd = (bits & Wait) ? 1 : 0;
    e.instruction2 = (bits & Instr2) ? 1 : 0;
    e.values = values;
    e.keyFlag = flag;
    return e;
}

class Driver
{
public:
    explicit Driver(MainWindow *form) : m_form(form) {}

    template <typename T> T *control(const QString &name) const
    {
        auto *widget = m_form->findChild<T *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }

    void press(const char *button)
    {
        QTest::mouseClick(control<QPushButton>(QString::fromLatin1(button)), Qt::LeftButton);
    }

    // Sets the editor through its controls: clicks on option buttons and check boxes (a
    // disabled one ignores the click, as it would for a user) and moves the sliders.
    void compose(const Klv::EditorState &e)
    {
        for (int g = 0; g < 7; ++g) {
            auto *item = control<QRadioButton>(ControlNames::keyOption(g, e.key[g]));
            if (!item->isChecked())
                QTest::mouseClick(item, Qt::LeftButton);
        }
        const auto tick = [this](const QString &name, int value) {
            auto *box = control<QCheckBox>(name);
            if (box->isChecked() != (value == 1))
                QTest::mouseClick(box, Qt::LeftButton);
        };
        for (int p = 0; p < 4; ++p)
            tick(ControlNames::portCheck(p), e.ports[p]);
        tick(QStringLiteral("keyFlagCheck"), e.keyFlag);
        tick(QStringLiteral("instruction2Check"), e.instruction2);
        tick(QStringLiteral("waitForEndCheck"), e.waitForEnd);
        tick(QStringLiteral("bitIncreaseCheck"), e.bitIncrease);
        tick(QStringLiteral("bitDecreaseCheck"), e.bitDecrease);
        for (int n = 0; n < 7; ++n)
            control<QScrollBar>(ControlNames::slider(n))->setValue(e.values[n]);
    }

    void add(const Klv::EditorState &e)
    {
        compose(e);
        press("addButton");
    }

    void clickRow(int row, int column = 1) { clickGridRow(m_form->grid(), row, column); }

    // Enabled state of the seven key option groups: 'E' enabled, 'D' disabled, '?' mixed.
    QString wires() const
    {
        QString states;
        for (int g = 1; g <= 7; ++g) {
            int enabled = 0;
            for (int i = 0; i < 3; ++i)
                enabled += control<QRadioButton>(ControlNames::keyOption(g - 1, i))->isEnabled();
            states += enabled == 3 ? u'E' : enabled == 0 ? u'D' : u'?';
        }
        return states;
    }

    // keyData of the steps in use, in table order.
    QList<int> keys() const
    {
        QList<int> list;
        for (const Klv::Step &step : m_form->stepTable().steps())
            list << step.keyData;
        return list;
    }

    // Columns 1 to 21 of a grid row, joined with '|'.
    QString rowText(int row) const
    {
        QStringList cells;
        for (int c = 1; c < 22; ++c)
            cells << m_form->grid()->cellText(row, c);
        return cells.join(u'|');
    }

    // The grid's highlight: exactly columns 1 to 21 of the current row are selected.
    QList<int> highlightedRows() const
    {
        QList<int> rows;
        const QModelIndexList cells = m_form->grid()->selectionModel()->selectedIndexes();
        for (const QModelIndex &cell : cells) {
            if (!rows.contains(cell.row() + StepGrid::HeaderRows))
                rows << cell.row() + StepGrid::HeaderRows;
        }
        if (rows.size() == 1 && cells.size() != 21)
            rows << -1; // a partial row
        return rows;
    }

private:
    MainWindow *m_form;
};

} // namespace edit
