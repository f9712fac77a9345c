#pragma once

#include "editorstate.h"
#include "step.h"

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTest>

// Readable values in failed comparisons; QTest finds them beside the types.
namespace Klv {

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
                .arg(e.keyFlag)
                .arg(e.instruction2)
                .arg(e.waitForEnd)
                .arg(e.bitIncrease)
                .arg(e.bitDecrease);
    QStringList values;
    for (int v : e.values)
        values << QString::number(v);
    return QTest::toString(text + values.join(u' ') + u']');
}

} // namespace Klv

Q_DECLARE_METATYPE(Klv::Step)
