#pragma once

#include "seriallink.h"

#include <QTimer>

namespace Klv {

// A serial link over the Win32 communications API, for COM ports on Windows. Reads never wait:
// a short timer takes what has arrived while the line is open. A write waits at most
// WriteWaitMs for the device to take its bytes.
class WinSerialLink : public SerialLink
{
    Q_OBJECT
public:
    explicit WinSerialLink(QObject *parent = nullptr);
    ~WinSerialLink() override;

    bool open(const QString &portName) override;
    PortOpenError openError() const override { return m_openError; }
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    // write() returns once the device has taken the bytes: none are left waiting.
    qint64 bytesToWrite() const override { return 0; }
    QByteArray readAll() override;
    void close() override;

    // The device path of a port name: "COM12" is "\\.\COM12", which also reaches ports above
    // COM9; a name that is already a device path stays as it is.
    static QString devicePath(const QString &portName);

    // How long the device may take to accept the bytes of one write.
    static constexpr int WriteWaitMs = 1000;
    // How often the line is looked at while it is open.
    static constexpr int PollIntervalMs = 2;

private:
    void poll();
    void fail();

    void *m_handle = nullptr; // the open device's HANDLE; null while closed
    PortOpenError m_openError = PortOpenError::None;
    QByteArray m_received;
    QTimer m_pollTimer;
};

} // namespace Klv
