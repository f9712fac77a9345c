#include "japanesefont.h"

#include <QFontDatabase>
#include <QStringList>

namespace Klv {

QString japaneseFixedFamily()
{
    static const QString family = [] {
        // Fontconfig does not map "ＭＳ ゴシック" to a substitute by itself, so look for one here.
        const QStringList preferred{
            QStringLiteral("ＭＳ ゴシック"),
            QStringLiteral("MS Gothic"),
            QStringLiteral("IPAGothic"),
            QStringLiteral("IPAゴシック"),
            QStringLiteral("TakaoGothic"),
            QStringLiteral("VL Gothic"),
            QStringLiteral("Noto Sans Mono CJK JP"),
        };
        const QStringList installed = QFontDatabase::families();
        for (const QString &name : preferred) {
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        }
        return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }();
    return family;
}

} // namespace Klv
