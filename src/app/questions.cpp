#include "questions.h"

#include "recoverycopy.h"

#include <QDir>
#include <QMessageBox>
#include <QPushButton>

namespace Questions {

Answer unsavedSteps(QWidget *parent, Before before, bool canSave)
{
    const QString question = before == Before::Exit ? QStringLiteral("終了する前に保存しますか？")
                                                    : QStringLiteral("開く前に保存しますか？");
    // An empty table cannot be saved, so 保存 would only end in a refusal.
    const QMessageBox::StandardButtons buttons =
        (canSave ? QMessageBox::Save : QMessageBox::NoButton) | QMessageBox::Discard |
        QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("KLV-90"),
                    QStringLiteral("保存されていないステップがあります。\n") + question, buttons,
                    parent);
    box.setObjectName(QStringLiteral("unsavedStepsQuestion"));
    if (canSave)
        box.button(QMessageBox::Save)->setText(QStringLiteral("保存"));
    box.button(QMessageBox::Discard)->setText(QStringLiteral("保存しない"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("キャンセル"));
    box.setDefaultButton(canSave ? QMessageBox::Save : QMessageBox::Cancel);
    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    if (canSave && clicked == box.button(QMessageBox::Save))
        return Answer::Save;
    if (clicked == box.button(QMessageBox::Discard))
        return Answer::Discard;
    return Answer::Cancel;
}

bool restoreProgram(QWidget *parent, const Klv::RecoveredProgram &program)
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

} // namespace Questions
