#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// JSON written on one line with an object's members in the order given, as people read them
// (QJsonObject would sort them).

// A value as JSON text.
QByteArray json(const QJsonValue &value);
// A text, or null when it is empty (unknown).
QByteArray jsonTextOrNull(const QString &text);
// A USB id as four hex digits ("0403"), or null when unknown.
QByteArray jsonUsbId(std::optional<quint16> id);

// An object of these members, each value JSON text already.
using JsonMembers = QList<std::pair<QString, QByteArray>>;
QByteArray jsonObject(const JsonMembers &members);
