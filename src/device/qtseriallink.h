#pragma once

#include "seriallink.h"

#include <QSerialPort>

// A serial link over Qt's serial port: a COM port, a tty device or a pseudo-terminal.
class QtSerialLink : public SerialLink
{
    Q_OBJECT
public:
    explicit QtSerialLink(QObject *parent = nullptr);

    bool open(const QString &portName) override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;
    QByteArray readAll() override;
    void close() override;

    // Blocks until more bytes arrive, at most msecs. False on timeout or when the device fails.
    bool waitForReadyRead(int msecs);

private:
    void portError(QSerialPort::SerialPortError error);

    // How long the device may take to accept the bytes of one write.
    static constexpr int WriteWaitMs = 1000;

    QSerialPort m_port;
};
