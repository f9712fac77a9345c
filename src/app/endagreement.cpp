#include "endagreement.h"

#include <QCoreApplication>
#include <QEvent>

void EndAgreement::agree()
{
    m_agreed = true;
    qApp->installEventFilter(this);
}

bool EndAgreement::takeAgreement()
{
    const bool agreed = m_agreed;
    end();
    return agreed;
}

bool EndAgreement::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::KeyPress:
        end();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void EndAgreement::end()
{
    m_agreed = false;
    qApp->removeEventFilter(this);
}
