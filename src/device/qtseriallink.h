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
    QByteArray readAll() override;
    bool waitForReadyRead(int msecs) override;
    void close() override;

private:
    void portError(QSerialPort::SerialPortError error);

    // How long the device may take to accept the bytes of one write.
    static constexpr int WriteWaitMs = 1000;

    QSerialPort m_port;
};
