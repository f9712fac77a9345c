#pragma once

// Works the window's step editor and grid the way a technician does, and reads back what the
// window shows.

#include "controlnames.h"
#include "editorstates.h"
#include "gridclicks.h"
#include "gridtexts.h"
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

    void clickStep(int slot, int column = 0) { ::clickStep(m_form->grid(), slot, column); }

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
        for (const Klv::Step &step : m_form->session()->table().steps())
            list << step.keyData;
        return list;
    }

    // The texts the grid shows in a slot's row, joined with '|'.
    QString rowText(int slot) const
    {
        QStringList cells;
        for (int c = 0; c < Klv::StepColumnCount; ++c)
            cells << m_form->grid()->model()->index(slot, c).data().toString();
        return cells.join(u'|');
    }

    // The grid's highlight: the slots whose rows are selected, -1 added for a partial row.
    QList<int> highlightedSlots() const
    {
        QList<int> rows;
        const QModelIndexList cells = m_form->grid()->selectionModel()->selectedIndexes();
        for (const QModelIndex &cell : cells) {
            if (!rows.contains(cell.row()))
                rows << cell.row();
        }
        if (rows.size() == 1 && cells.size() != Klv::StepColumnCount)
            rows << -1;
        return rows;
    }

private:
    MainWindow *m_form;
};

} // namespace edit
