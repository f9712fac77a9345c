#pragma once

#include "seriallink.h"

#include <QSerialPort>

namespace Klv {

// A serial link over Qt's serial port: a tty device or a pseudo-terminal.
class QtSerialLink : public SerialLink
{
    Q_OBJECT
public:
    explicit QtSerialLink(QObject *parent = nullptr);

    bool open(const QString &portName) override;
    PortOpenError openError() const override { return m_openError; }
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;
    QByteArray readAll() override;
    void close() override;

    // Blocks until more bytes arrive, at most msecs, for callers without an event loop. False
    // on timeout, which leaves the link open, or when the device fails.
    bool waitForReadyRead(int msecs);

private:
    void portError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    PortOpenError m_openError = PortOpenError::None;
};

} // namespace Klv
