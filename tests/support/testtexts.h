#pragma once

#include <QString>

// The tool's own texts as the tests expect them, in one place. They are written out here, not
// taken from the code, so a changed text in the code fails the tests.
namespace Texts {
// Editing.
inline const QString DoubleBit = QStringLiteral("ビット増減判定のチェックは１つのみです。");
inline const QString SameKey = QStringLiteral("同じキーが存在します。");
inline const QString Full = QStringLiteral("パラメータステップがいっぱいです。");
inline const QString KeyFixed = QStringLiteral("キーは変更できません。");
inline const QString OutOfRange = QStringLiteral("レンジ外です。");

// The settings file.
inline const QString NothingToSave = QStringLiteral("保存するデータがありません。");
inline const QString WrongFile = QStringLiteral("ファイルが違います。");
inline const QString Unreadable = QStringLiteral("ファイルを読み込めませんでした。");
inline const QString NotSaved = QStringLiteral("ファイルを保存できませんでした。");

// Unsaved steps: the questions before the window ends and before another program opens, as the
// answerer notes them.
inline const QString UnsavedSteps =
    QStringLiteral("保存されていないステップがあります。\n終了する前に保存しますか？");
inline const QString OpenUnsaved =
    QStringLiteral("保存されていないステップがあります。\n開く前に保存しますか？");
inline const QString AskedBeforeOpen = QStringLiteral("KLV-90|") + OpenUnsaved;
inline const QString RecoveryNotWritten = QStringLiteral("回復用のコピーを書き込めませんでした。");

// Printing.
inline const QString PrintNotice = QStringLiteral("設定した内容で印刷します");
inline const QString Cancelled = QStringLiteral("キャンセルが選択されました。");

// The download: the message boxes, and the port status texts.
inline const QString Done = QStringLiteral("設定終了しました。");
inline const QString Failed = QStringLiteral("設定に失敗しました。");
inline const QString PortClosed = QStringLiteral("ポートクローズ");
inline const QString PortOpen = QStringLiteral("ポートオープン");
inline const QString PortAlreadyOpen = QStringLiteral("ポートオープン中");
inline const QString NotFound = QStringLiteral("KLV-90は見つかりません。");
inline const QString NoReply = QStringLiteral("KLV-90が応答しません。");
inline const QString NotTaken = QStringLiteral("KLV-90が拒否しました。");
// The message box after a failure says why on its second line, then how many steps the
// controller took and that it keeps its old program.
inline QString keptProgram(int taken, int total)
{
    return QStringLiteral(
               "\nKLV-90が受け付けたのは%2ステップ中%1ステップです。ENDを送っていないので、"
               "KLV-90は前のプログラムのままです。")
        .arg(taken)
        .arg(total);
}
inline QString failedNoReply(int taken, int total)
{
    return Failed + QStringLiteral("\nKLV-90が応答しません。") + keptProgram(taken, total);
}
inline QString failedRefused(int taken, int total)
{
    return Failed + QStringLiteral("\nKLV-90がデータを10回受け付けませんでした。") +
           keptProgram(taken, total);
}
// After a search that found nothing: the ports that would not open, and what to do.
inline QString portsDenied(const QString &ports)
{
    return QStringLiteral("次のポートを開く権限がありません: ") + ports +
           QStringLiteral("\nユーザーを dialout グループに加え（sudo usermod -aG dialout "
                          "ユーザー名）、ログインし直してください。");
}
inline QString portsDeniedUntilLoggedInAgain(const QString &ports, const QString &group)
{
    return QStringLiteral("次のポートを開く権限がありません: ") + ports +
           QStringLiteral(
               "\nユーザーは %1 グループに入っていますが、このログインの後で加わったため、"
               "まだ反映されていません。ログアウトしてログインし直してください。")
               .arg(group);
}
inline QString portsDeniedByOwner(const QString &ports, const QString &owner, const QString &group,
                                  const QString &mode)
{
    return QStringLiteral("次のポートを開く権限がありません: ") + ports +
           QStringLiteral("\n所有者 %1、グループ %2、モード %3 のデバイスです。"
                          "使えるようにするには、管理者に相談してください。")
               .arg(owner, group, mode);
}
inline QString portsBusy(const QString &ports)
{
    return QStringLiteral("次のポートは他のプログラムが使用中です: ") + ports +
           QStringLiteral("\nそのプログラムを閉じてから、もう一度お試しください。");
}
} // namespace Texts
