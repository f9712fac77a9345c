#include "jsonline.h"

#include <QJsonArray>
#include <QJsonDocument>

QByteArray json(const QJsonValue &value)
{
    // Qt writes whole documents only: the value is written inside an array, and taken out.
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray jsonTextOrNull(const QString &text)
{
    return text.isEmpty() ? QByteArrayLiteral("null") : json(text);
}

QByteArray jsonUsbId(std::optional<quint16> id)
{
    return id ? json(QStringLiteral("%1").arg(*id, 4, 16, QChar(u'0'))) : QByteArrayLiteral("null");
}

QByteArray jsonObject(const JsonMembers &members)
{
    QByteArray text("{");
    for (const auto &[name, value] : members) {
        if (text.size() > 1)
            text += ',';
        text += json(name) + ':' + value;
    }
    return text + '}';
}
