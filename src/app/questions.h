#pragma once

class QWidget;

namespace Klv {
struct RecoveredProgram;
}

// The questions the window asks before steps could be lost.
namespace Questions {

enum class Answer { Save, Discard, Cancel };
// What is about to happen to the unsaved steps.
enum class Before { Exit, Open };

// "保存されていないステップがあります。" with 保存, 保存しない and キャンセル; without steps to
// save, 保存 is not offered. Closing the box is キャンセル: nothing is lost by it.
Answer unsavedSteps(QWidget *parent, Before before, bool canSave);

// True to restore what a crash left, false to delete it.
bool restoreProgram(QWidget *parent, const Klv::RecoveredProgram &program);

} // namespace Questions
