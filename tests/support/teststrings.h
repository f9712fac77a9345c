#pragma once

#include "editorstate.h"
#include "step.h"

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTest>

// Readable values in failed comparisons.
inline char *toString(const Step &s)
{
    QStringList fields;
    for (int i = 0; i < Step::FieldCount; ++i)
        fields << QString::number(s.field(i));
    return QTest::toString(QStringLiteral("Step{%1}").arg(fields.join(u", ")));
}

inline char *toString(const EditorState &e)
{
    QStringList parts;
    for (int k : e.key)
        parts << QString::number(k);
    QString text = QStringLiteral("key[%1] ports[").arg(parts.join(u' '));
    for (int p : e.ports)
        text += QString::number(p);
    text += QStringLiteral("] checks %1%2%3%4%5 values[")
                .arg(e.check2)
                .arg(e.check3)
                .arg(e.check4)
                .arg(e.check5)
                .arg(e.check6);
    QStringList values;
    for (int v : e.values)
        values << QString::number(v);
    return QTest::toString(text + values.join(u' ') + u']');
}

// What the window says at the end of a download: the message boxes and the port status text.
namespace DownloadTexts {
inline const QString Done = QStringLiteral("設定終了しました。");
inline const QString Failed = QStringLiteral("設定に失敗しました。");
inline const QString NotFound = QStringLiteral("KLV-90は見つかりません。");
inline const QString NoReply = QStringLiteral("KLV-90が応答しません。");
inline const QString NotTaken = QStringLiteral("KLV-90がデータを受け付けません。");
} // namespace DownloadTexts

Q_DECLARE_METATYPE(Step)
