// Editing the step table: add, update, delete, clear, and loading a grid row into the editor.
#include "mainwindow.h"

#include "messagebox.h"
#include "stepeditor.h"
#include "stepgrid.h"
#include "steprules.h"
#include "tablechange.h"

#include <algorithm>

using namespace Klv;

namespace {

QString doubleBitConditionText()
{
    return QStringLiteral("ビット増減判定のチェックは１つのみです。");
}

QString addRefusalText(AddResult result)
{
    switch (result) {
    case AddResult::DoubleBitCondition:
        return doubleBitConditionText();
    case AddResult::SameKey:
        return QStringLiteral("同じキーが存在します。");
    case AddResult::TableFull:
        return QStringLiteral("パラメータステップがいっぱいです。");
    case AddResult::Added:
        break;
    }
    return {};
}

// The name of an undo step that changed one step, numbered as the grid numbers it.
QString stepChangeText(const QString &operation, int slot)
{
    return QStringLiteral("%1 (ステップ %2)").arg(operation).arg(slot + 1);
}

} // namespace

void MainWindow::addClicked()
{
    const EditSnapshot before = snapshot();
    const Step edited = m_editor->editedStep();
    m_editor->keep(edited);
    const AddResult result = m_steps->add(edited);
    if (result != AddResult::Added)
        showMessage(this, addRefusalText(result));
    // Add only ever locks: the wires it masks can no longer be set otherwise.
    if (result == AddResult::Added || result == AddResult::TableFull)
        m_editor->lockWires(maskedWires(stepTable()), false);
    if (result == AddResult::Added) {
        const auto steps = stepTable().steps();
        const int slot = int(std::find(steps.begin(), steps.end(), edited) - steps.begin());
        recordChange(before, stepChangeText(QStringLiteral("命令追加"), slot));
    }
}

void MainWindow::updateClicked()
{
    if (!m_selectedSlot)
        return; // no row clicked yet
    const int slot = *m_selectedSlot;
    const EditSnapshot before = snapshot();
    const Step edited = m_editor->editedStep();
    switch (m_steps->update(slot, edited)) {
    case UpdateResult::Updated:
        m_editor->keep(edited);
        recordChange(before, stepChangeText(QStringLiteral("命令更新"), slot));
        return;
    case UpdateResult::DoubleBitCondition:
        showMessage(this, doubleBitConditionText());
        return;
    case UpdateResult::KeyChanged:
        showMessage(this, QStringLiteral("キーは変更できません。"));
        m_editor->restoreKey(stepTable().slot(slot));
        return;
    }
}

void MainWindow::deleteClicked()
{
    const EditSnapshot before = snapshot();
    const int slot = grid()->currentSlot();
    if (!m_steps->remove(slot))
        return;
    m_editor->lockWires(maskedWires(stepTable()), true);
    highlightRowAfterLast();
    recordChange(before, stepChangeText(QStringLiteral("削除"), slot));
}

void MainWindow::gridClicked(std::optional<int> clickedSlot)
{
    grid()->selectCurrentRow();
    const ClickedStep clicked = stepForGridClick(stepTable(), clickedSlot);
    if (clicked.outOfRange)
        showMessage(this, QStringLiteral("レンジ外です。"));
    m_selectedSlot = clicked.slot;
    m_editor->showStep(stepTable().slot(clicked.slot));
}

void MainWindow::clearClicked()
{
    const EditSnapshot before = snapshot();
    clearTable();
    recordChange(before, QStringLiteral("消去"));
}

void MainWindow::clearTable()
{
    // The editor, the selected step and the working step keep what they hold; Load relies on
    // that too.
    grid()->setCurrentCell(0, 1);
    grid()->selectCurrentRow();
    m_steps->clear();
    m_editor->lockWires(0, true);
}

void MainWindow::highlightRowAfterLast()
{
    // Called after a delete, so the table holds at most 127 steps and the row exists.
    grid()->setCurrentCell(stepTable().count(), 1);
    grid()->selectCurrentRow();
}
