#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

// Answers every modal message box that opens while it lives, the way a user would: it notes the
// caption and the text, then presses the box's OK button; a question without one gets the
// button named by the next choice queued, or is closed.
class MessageBoxAnswerer : public QObject
{
public:
    struct Message
    {
        QString caption;
        QString text;
    };

    MessageBoxAnswerer();

    const QList<Message> &messages() const { return m_messages; }
    QStringList texts() const;
    void clear() { m_messages.clear(); }
    void choose(const QString &button) { m_choices << button; }

private:
    void answer();

    QTimer m_timer;
    QList<Message> m_messages;
    QStringList m_choices;
};
