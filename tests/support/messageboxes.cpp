#include "messageboxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

MessageBoxAnswerer::MessageBoxAnswerer()
{
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxAnswerer::answer);
    m_timer.start(5);
}

QStringList MessageBoxAnswerer::texts() const
{
    QStringList list;
    for (const Message &m : m_messages)
        list << m.text;
    return list;
}

void MessageBoxAnswerer::answer()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    m_messages.append({box->windowTitle(), box->text()});
    const bool asks = !box->button(QMessageBox::Ok) && !m_choices.isEmpty();
    pressOkOr(box, asks ? m_choices.takeFirst() : QString());
}

void pressOkOr(QMessageBox *box, const QString &choice)
{
    QAbstractButton *ok = box->button(QMessageBox::Ok);
    for (QAbstractButton *button : box->buttons()) {
        if (button == ok || (!ok && button->text() == choice)) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    box->reject();
}
