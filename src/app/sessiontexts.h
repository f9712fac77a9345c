#pragma once

#include "editsession.h"

#include <QString>

// The words of the editing session on the window: its messages, and the names of the changes
// that undo and redo offer.
namespace SessionTexts {

// The message box's text; empty for EditMessage::None. A message about a file names it on a
// line of its own.
QString message(Klv::EditMessage message, const QString &file = {});

// "命令追加 (ステップ 3)", "読み込み (name.zzr)".
QString changeName(const Klv::ChangeName &change);

// The menu entries of undo and redo: "元に戻す: 削除 (ステップ 5)", or the verb alone.
QString undoEntry(const std::optional<Klv::ChangeName> &change);
QString redoEntry(const std::optional<Klv::ChangeName> &change);

// "ＫＬＶ－９０ - name.zzr", the file the steps came from named, with the place where a modified
// table shows its "*".
QString windowTitle(const QString &file);

// After a copy for crash recovery could not be written: the folder and the system's reason.
QString recoveryCopyFailed(const QString &folder, const QString &reason);

} // namespace SessionTexts
