// Undo and redo of every change of the step table, from the keys and the grid's menu.
#include "mainwindow.h"

#include "stepeditor.h"
#include "stepgrid.h"
#include "tablechange.h"

#include <QAction>
#include <QMenu>
#include <QUndoStack>

using namespace Klv;

namespace {

// A technician's session rarely comes near it; a snapshot is about 3 KB.
constexpr int UndoLimit = 1000;

// "元に戻す: 削除 (ステップ 5)", or the verb alone when there is nothing to name.
QString actionText(const QString &verb, const QString &change)
{
    return change.isEmpty() ? verb : verb + QStringLiteral(": ") + change;
}

} // namespace

void MainWindow::setUpUndo()
{
    m_undoStack = new QUndoStack(this);
    m_undoStack->setObjectName(QStringLiteral("undoStack"));
    m_undoStack->setUndoLimit(UndoLimit);

    m_undoAction = new QAction(this);
    m_undoAction->setObjectName(QStringLiteral("undoAction"));
    m_undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redoAction = new QAction(this);
    m_redoAction->setObjectName(QStringLiteral("redoAction"));
    m_redoAction->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction *action : {m_undoAction, m_redoAction}) {
        // Window shortcuts: the keys work wherever the focus is in the window.
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connect(m_undoAction, &QAction::triggered, m_undoStack, &QUndoStack::undo);
    connect(m_redoAction, &QAction::triggered, m_undoStack, &QUndoStack::redo);
    connect(m_undoStack, &QUndoStack::indexChanged, this, &MainWindow::updateUndoActions);

    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("stepGridMenu"));
    menu->addAction(m_undoAction);
    menu->addAction(m_redoAction);
    grid()->setContextMenu(menu);
    updateUndoActions();
}

void MainWindow::updateUndoActions()
{
    // Like the buttons that change the table, greyed while steps are sent.
    m_undoAction->setEnabled(!m_lockedForTransfer && m_undoStack->canUndo());
    m_undoAction->setText(actionText(QStringLiteral("元に戻す"), m_undoStack->undoText()));
    m_redoAction->setEnabled(!m_lockedForTransfer && m_undoStack->canRedo());
    m_redoAction->setText(actionText(QStringLiteral("やり直し"), m_undoStack->redoText()));
}

EditSnapshot MainWindow::snapshot() const
{
    return {stepTable(),       m_editor->lockedWires(), grid()->position(),
            m_editor->state(), m_editor->workStep(),    m_selectedSlot,
            m_currentFile,     m_steps->savedSteps()};
}

void MainWindow::applySnapshot(const EditSnapshot &snapshot, bool withFile)
{
    m_steps->setTable(snapshot.table);
    m_editor->lockWires(snapshot.lockedWires, true);
    grid()->setPosition(snapshot.grid);
    m_editor->setState(snapshot.editor);
    m_editor->keep(snapshot.workStep);
    m_selectedSlot = snapshot.selectedSlot;
    if (withFile) {
        m_steps->setSavedSteps(snapshot.savedSteps);
        setCurrentFile(snapshot.file);
    }
}

void MainWindow::recordChange(const EditSnapshot &before, const QString &text, bool opensProgram)
{
    if (before.table == stepTable() && before.file == m_currentFile)
        return;
    m_undoStack->push(new TableChange(text, before, snapshot(), opensProgram,
                                      [this](const EditSnapshot &snapshot, bool withFile) {
                                          applySnapshot(snapshot, withFile);
                                      }));
}
