// Steps that are not saved: the question before the window ends, and the recovery copy that
// outlives a crash.
#include "mainwindow.h"

#include "recoverycopy.h"
#include "tablechange.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

using namespace Klv;

namespace {

enum class EndAnswer { Save, Discard, Cancel };

EndAnswer askAboutUnsavedSteps(QWidget *parent)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("KLV-90"),
                    QStringLiteral("保存されていないステップがあります。\n"
                                   "終了する前に保存しますか？"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(QStringLiteral("unsavedStepsQuestion"));
    box.button(QMessageBox::Save)->setText(QStringLiteral("保存"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("保存しない"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(QMessageBox::Save);
    box.exec();
    // Closing the box is Cancel: nothing is lost by it.
    const QAbstractButton *clicked = box.clickedButton();
    if (clicked == box.button(QMessageBox::Save))
        return EndAnswer::Save;
    if (clicked == box.button(QMessageBox::Discard))
        return EndAnswer::Discard;
    return EndAnswer::Cancel;
}

// True to restore the program, false to delete it.
bool askToRestore(QWidget *parent, const RecoveredProgram &program)
{
    const QString file = program.origin.isEmpty()
                             ? QStringLiteral("（保存したことのないプログラム）")
                             : QDir::toNativeSeparators(program.origin);
    QMessageBox box(
        QMessageBox::Warning, QStringLiteral("KLV-90"),
        QStringLiteral("前回、保存されないまま終わったプログラムがあります。\n"
                       "復元しますか？\n\n"
                       "ファイル: %1\n最終変更: %2")
            .arg(file, program.lastChanged.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))),
        QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("restoreQuestion"));
    QPushButton *restore = box.addButton(QStringLiteral("復元"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QStringLiteral("削除"), QMessageBox::DestructiveRole);
    box.setDefaultButton(restore);
    box.exec();
    // Deleted only when asked for in so many words.
    return box.clickedButton() != discard;
}

} // namespace

bool MainWindow::confirmEnd()
{
    if (!m_steps->isModified())
        return true;
    switch (askAboutUnsavedSteps(this)) {
    case EndAnswer::Save:
        // To the file the steps came from; a new program goes through Save's dialog.
        return saveProgram(m_currentFile);
    case EndAnswer::Discard:
        return true;
    case EndAnswer::Cancel:
        break;
    }
    return false;
}

void MainWindow::tableChanged()
{
    m_endAgreed = false;
    updateRecoveryCopy();
}

void MainWindow::keepRecoveryCopy(RecoveryCopy *copy)
{
    const RecoveredProgram left = copy->findLeftover();
    m_recovery = copy;
    if (left.state == RecoveredProgram::State::Found && askToRestore(this, left))
        restoreProgram(left);
    // Declined, or nothing found: the table is the new start's, and the copy goes.
    updateRecoveryCopy();
}

void MainWindow::restoreProgram(const RecoveredProgram &program)
{
    // As Load opens a file, but the steps stay unsaved.
    const EditSnapshot before = snapshot();
    clearTable();
    m_steps->load(program.steps);
    setCurrentFile(program.origin);
    const QString name =
        program.origin.isEmpty()
            ? QStringLiteral("復元")
            : QStringLiteral("復元 (%1)").arg(QFileInfo(program.origin).fileName());
    recordChange(before, name, true);
}

void MainWindow::updateRecoveryCopy()
{
    if (!m_recovery)
        return;
    if (m_steps->isModified())
        m_recovery->keep(stepTable(), m_currentFile);
    else
        m_recovery->discard();
}
