#include "receivetextcheck.h"

#include "receivetext.h"

using namespace Klv;

QString checkReceiveText(QByteArrayView input)
{
    constexpr quint8 Clear = 0xFF;
    ReceiveText text;
    QByteArray whole; // everything since the last clear: what the matching must agree with
    qsizetype at = 0;
    while (at < input.size()) {
        const auto length = static_cast<quint8>(input[at++]);
        if (length == Clear) {
            text.clear();
            whole.clear();
            continue;
        }
        const QByteArrayView read = input.sliced(at, qMin<qsizetype>(length, input.size() - at));
        at += read.size();
        text.append(read);
        whole.append(read);

        const bool welcome = whole.contains("WELCOME");
        const bool ok = whole.contains("OK");
        const bool ng = whole.contains("NG");
        if (text.contains(Reply::Welcome) != welcome)
            return QStringLiteral("WELCOME: %1, whole text: %2").arg(!welcome).arg(welcome);
        if (text.contains(Reply::Ok) != ok)
            return QStringLiteral("OK: %1, whole text: %2").arg(!ok).arg(ok);
        if (text.contains(Reply::Ng) != ng)
            return QStringLiteral("NG: %1, whole text: %2").arg(!ng).arg(ng);
        const Acknowledgement expected = ng   ? Acknowledgement::Refused
                                         : ok ? Acknowledgement::Taken
                                              : Acknowledgement::None;
        if (text.acknowledgement() != expected)
            return QStringLiteral("acknowledgement %1, expected %2")
                .arg(int(text.acknowledgement()))
                .arg(int(expected));
        if (text.keptSize() > ReceiveText::KeptBytes)
            return QStringLiteral("keeps %1 bytes").arg(text.keptSize());
    }
    return {};
}
