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
    QAbstractButton *press = box->button(QMessageBox::Ok);
    const QString choice = press || m_choices.isEmpty() ? QString() : m_choices.takeFirst();
    for (QAbstractButton *button : box->buttons())
        press = button->text() == choice ? button : press;
    if (press)
        QTest::mouseClick(press, Qt::LeftButton);
    else
        box->reject();
}
