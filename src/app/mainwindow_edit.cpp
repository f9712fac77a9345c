// Editing the step table: each handler reads the editor, calls one operation of the session and
// shows what it did.
#include "mainwindow.h"

#include "stepeditor.h"

using namespace Klv;

void MainWindow::addClicked()
{
    showResult(m_session->add(m_editor->state()));
}

void MainWindow::updateClicked()
{
    showResult(m_session->update(m_editor->state()));
}

void MainWindow::deleteClicked()
{
    showResult(m_session->remove(m_editor->state()));
}

void MainWindow::clearClicked()
{
    showResult(m_session->clear(m_editor->state()));
}

void MainWindow::stepChosen(std::optional<int> slot)
{
    showResult(m_session->select(slot));
}

void MainWindow::undoTriggered()
{
    showResult(m_session->undo());
}

void MainWindow::redoTriggered()
{
    showResult(m_session->redo());
}
