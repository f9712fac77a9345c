#include "sessiontexts.h"

#include <QDir>
#include <QFileInfo>

using namespace Klv;

namespace SessionTexts {

namespace {

QString entry(const QString &verb, const std::optional<ChangeName> &change)
{
    return change ? verb + QStringLiteral(": ") + changeName(*change) : verb;
}

// The name of a change of one step, numbered as the grid numbers it.
QString stepChange(const QString &operation, int slot)
{
    return QStringLiteral("%1 (ステップ %2)").arg(operation).arg(slot + 1);
}

QString fileChange(const QString &operation, const QString &fileName)
{
    return fileName.isEmpty() ? operation : QStringLiteral("%1 (%2)").arg(operation, fileName);
}

} // namespace

QString message(EditMessage message, const QString &file)
{
    // A refusal names the file under the reason, so it is clear which one was meant.
    const QString fileLine = u'\n' + QDir::toNativeSeparators(file);
    switch (message) {
    case EditMessage::None:
        return {};
    case EditMessage::DoubleBitCondition:
        return QStringLiteral("ビット増減判定のチェックは１つのみです。");
    case EditMessage::SameKey:
        return QStringLiteral("同じキーが存在します。");
    case EditMessage::TableFull:
        return QStringLiteral("パラメータステップがいっぱいです。");
    case EditMessage::KeyCannotChange:
        return QStringLiteral("キーは変更できません。");
    case EditMessage::OutOfRange:
        return QStringLiteral("レンジ外です。");
    case EditMessage::WrongFile:
        return QStringLiteral("ファイルが違います。") + fileLine;
    case EditMessage::Unreadable:
        return QStringLiteral("ファイルを読み込めませんでした。") + fileLine;
    case EditMessage::NothingToSave:
        return QStringLiteral("保存するデータがありません。");
    case EditMessage::SaveFailed:
        return QStringLiteral("ファイルを保存できませんでした。");
    }
    return {};
}

QString changeName(const ChangeName &change)
{
    switch (change.kind) {
    case ChangeName::Kind::Add:
        return stepChange(QStringLiteral("命令追加"), change.slot);
    case ChangeName::Kind::Update:
        return stepChange(QStringLiteral("命令更新"), change.slot);
    case ChangeName::Kind::Remove:
        return stepChange(QStringLiteral("削除"), change.slot);
    case ChangeName::Kind::Clear:
        return QStringLiteral("消去");
    case ChangeName::Kind::Open:
        return fileChange(QStringLiteral("読み込み"), change.fileName);
    case ChangeName::Kind::Restore:
        return fileChange(QStringLiteral("復元"), change.fileName);
    case ChangeName::Kind::Paste:
        return QStringLiteral("貼り付け (%1 ステップ)").arg(change.slot);
    }
    return {};
}

QString undoEntry(const std::optional<ChangeName> &change)
{
    return entry(QStringLiteral("元に戻す"), change);
}

QString redoEntry(const std::optional<ChangeName> &change)
{
    return entry(QStringLiteral("やり直し"), change);
}

QString windowTitle(const QString &file)
{
    QString title = QStringLiteral("ＫＬＶ－９０");
    if (!file.isEmpty())
        title += QStringLiteral(" - ") + QFileInfo(file).fileName();
    return title + QStringLiteral("[*]");
}

QString recoveryCopyFailed(const QString &folder, const QString &reason)
{
    return QStringLiteral("回復用のコピーを書き込めませんでした。\n") +
           QDir::toNativeSeparators(folder) + u'\n' + reason;
}

} // namespace SessionTexts
