#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The serial line to the controller. Kept this small so that the download runs the same over a
// real port, a pseudo-terminal or anything else that moves bytes.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the device at 9600 baud, 8 data bits, no parity, 1 stop bit, and drops whatever
    // arrived before. False when it does not exist or cannot be opened.
    virtual bool open(const QString &portName) = 0;
    virtual bool isOpen() const = 0;
    // Hands the bytes to the line. False, with the link closed, when the device fails.
    virtual bool write(const QByteArray &bytes) = 0;
    // Everything received and not yet read; possibly nothing.
    virtual QByteArray readAll() = 0;
    // Blocks until more bytes arrive, at most msecs. False on timeout or when the device fails.
    virtual bool waitForReadyRead(int msecs) = 0;
    // Closes the line and drops whatever it still holds. Closing a closed link does nothing.
    virtual void close() = 0;

signals:
    void readyRead();
    // The device failed (a read or write error, the device gone) and the link closed itself.
    void failed();
};
