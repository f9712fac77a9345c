#pragma once

#include <QObject>

// The system's log-out was told that the unsaved steps may go: the window's end that follows
// asks no more. Should the log-out be called off, the agreement ends with the user's next press
// of a button or a key, so a later end asks again.
class EndAgreement : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    void agree();
    // Whether an end now was agreed to; the agreement is used up by asking.
    bool takeAgreement();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void end();

    bool m_agreed = false;
};
