#include "downloadtexts.h"

using Outcome = Klv::SettingsDownload::Outcome;

namespace DownloadTexts {

QString portClosed()
{
    return QStringLiteral("ポートクローズ");
}

QString started()
{
    return {};
}

QString portPassedOver(int portNumber)
{
    return QString::number(portNumber + 1);
}

QString controllerFound()
{
    return QStringLiteral("ポートオープン");
}

QString ended(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Completed:
        return portClosed();
    case Outcome::AlreadyOpen:
        return QStringLiteral("ポートオープン中");
    case Outcome::NotFound:
        return QStringLiteral("KLV-90は見つかりません。");
    case Outcome::NoReply:
    case Outcome::LineFailed:
        return QStringLiteral("KLV-90が応答しません。");
    case Outcome::Refused:
        // Short enough for the status box; the message box says more.
        return QStringLiteral("KLV-90が拒否しました。");
    }
    return {};
}

QString endMessage(Outcome outcome)
{
    const QString failed = QStringLiteral("設定に失敗しました。\n");
    switch (outcome) {
    case Outcome::Completed:
        return QStringLiteral("設定終了しました。");
    case Outcome::NoReply:
    case Outcome::LineFailed:
        return failed + QStringLiteral("KLV-90が応答しません。");
    case Outcome::Refused:
        return failed + QStringLiteral("KLV-90がデータを%1回受け付けませんでした。")
                            .arg(Klv::SettingsDownload::MaxSends);
    case Outcome::AlreadyOpen:
    case Outcome::NotFound:
        break;
    }
    return {};
}

QString unopenedPortsMessage(const QList<UnopenedPort> &ports)
{
    QStringList denied;
    QStringList busy;
    for (const UnopenedPort &port : ports) {
        if (port.reason == Klv::PortOpenError::PermissionDenied)
            denied << port.device;
        else if (port.reason == Klv::PortOpenError::Busy)
            busy << port.device;
    }
    QStringList paragraphs;
    // Serial devices belong to the group dialout; a new member is one after logging in again.
    if (!denied.isEmpty())
        paragraphs << QStringLiteral("次のポートを開く権限がありません: %1\n"
                                     "ユーザーを dialout グループに加え"
                                     "（sudo usermod -aG dialout ユーザー名）、"
                                     "ログインし直してください。")
                          .arg(denied.join(QStringLiteral(", ")));
    if (!busy.isEmpty())
        paragraphs << QStringLiteral("次のポートは他のプログラムが使用中です: %1\n"
                                     "そのプログラムを閉じてから、もう一度お試しください。")
                          .arg(busy.join(QStringLiteral(", ")));
    return paragraphs.join(QStringLiteral("\n\n"));
}

QString lineOpen()
{
    return QStringLiteral("Open");
}

QString lineClosed()
{
    return QStringLiteral("Close");
}

} // namespace DownloadTexts
