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

QString portPassedOver(const Klv::PortInfo &passed, const std::optional<Klv::PortInfo> &next)
{
    if (next)
        return next->number != 0 ? QString::number(next->number) : next->name;
    // The last port searched: after port 30 the box has always shown 31.
    return passed.number != 0 ? QString::number(passed.number + 1) : passed.name;
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

QString endMessage(Outcome outcome, int stepsTaken, int stepCount)
{
    const QString failed = QStringLiteral("設定に失敗しました。\n");
    // "END" follows only a full transfer: the controller never takes a partial program.
    const QString kept = QStringLiteral("\nKLV-90が受け付けたのは%2ステップ中%1ステップです。"
                                        "ENDを送っていないので、KLV-90は前のプログラムのままです。")
                             .arg(stepsTaken)
                             .arg(stepCount);
    switch (outcome) {
    case Outcome::Completed:
        return QStringLiteral("設定終了しました。");
    case Outcome::NoReply:
    case Outcome::LineFailed:
        return failed + QStringLiteral("KLV-90が応答しません。") + kept;
    case Outcome::Refused:
        return failed +
               QStringLiteral("KLV-90がデータを%1回受け付けませんでした。")
                   .arg(Klv::SettingsDownload::MaxSends) +
               kept;
    case Outcome::AlreadyOpen:
    case Outcome::NotFound:
        break;
    }
    return {};
}

namespace {

// What a user who may not open the device can do about it (remedyFor() chooses); empty when
// nothing is known.
QString deniedRemedy(const Klv::DeviceAccess &access)
{
    switch (Klv::remedyFor(access)) {
    case Klv::AccessRemedy::Unknown:
        return {};
    case Klv::AccessRemedy::LogInAgain:
        return QStringLiteral(
                   "ユーザーは %1 グループに入っていますが、このログインの後で加わったため、"
                   "まだ反映されていません。ログアウトしてログインし直してください。")
            .arg(access.group);
    case Klv::AccessRemedy::JoinDialout:
        return QStringLiteral("ユーザーを dialout グループに加え"
                              "（sudo usermod -aG dialout ユーザー名）、"
                              "ログインし直してください。");
    case Klv::AccessRemedy::AskOwner:
        break;
    }
    return QStringLiteral("所有者 %1、グループ %2、モード %3 のデバイスです。"
                          "使えるようにするには、管理者に相談してください。")
        .arg(access.owner, access.group)
        .arg(access.mode, 4, 8, QChar(u'0'));
}

// The device as the user knows it: COM3 on Windows, /dev/ttyUSB0 elsewhere.
QString deviceOf(const Klv::SettingsDownload::UnopenedPort &port)
{
    return Klv::deviceName(port.port);
}

} // namespace

QString unopenedPortsMessage(const QList<Klv::SettingsDownload::UnopenedPort> &ports)
{
    // The ports the user may not open, gathered by what mends them, each remedy said once.
    QStringList remedies;
    QList<QStringList> denied;
    QStringList busy;
    for (const Klv::SettingsDownload::UnopenedPort &port : ports) {
        if (port.reason == Klv::PortOpenError::PermissionDenied) {
            const QString remedy = deniedRemedy(port.access);
            qsizetype group = remedies.indexOf(remedy);
            if (group < 0) {
                remedies << remedy;
                denied << QStringList();
                group = remedies.size() - 1;
            }
            denied[group] << deviceOf(port);
        } else if (port.reason == Klv::PortOpenError::Busy) {
            busy << deviceOf(port);
        }
    }
    QStringList paragraphs;
    for (qsizetype i = 0; i < remedies.size(); ++i) {
        QString paragraph = QStringLiteral("次のポートを開く権限がありません: %1")
                                .arg(denied[i].join(QStringLiteral(", ")));
        if (!remedies[i].isEmpty())
            paragraph += u'\n' + remedies[i];
        paragraphs << paragraph;
    }
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
