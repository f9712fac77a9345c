#pragma once

#include "seriallink.h"

#include <QTimer>
#include <QWinEventNotifier>

#include <memory>

namespace Klv {

// A serial link over the Win32 communications API, for COM ports on Windows. The port is opened
// for overlapped I/O: one read is always outstanding and one write at a time, and the event
// loop hears of their ends through their OVERLAPPED events, so nothing polls and nothing waits.
class WinSerialLink : public SerialLink
{
    Q_OBJECT
public:
    explicit WinSerialLink(QObject *parent = nullptr);
    ~WinSerialLink() override;

    bool open(const QString &portName) override;
    // Opens on a thread of its own: CreateFileW and the line's set-up wait for the driver,
    // which a USB adapter may take its time over, and nothing else may wait meanwhile.
    OpenStart beginOpen(const QString &portName) override;
    PortOpenError openError() const override { return m_openError; }
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;
    QByteArray readAll() override;
    void close() override;

    // The device path of a port name: "COM12" is "\\.\COM12", which also reaches ports above
    // COM9; a name that is already a device path stays as it is.
    static QString devicePath(const QString &portName);

    // How long the device may take to accept the bytes of one write before it counts as failed.
    static constexpr int WriteWaitMs = 1000;
    // How long close() waits for a cancelled read or write to end. Drivers end them at once; the
    // bound only keeps a broken driver from freezing the program.
    static constexpr int CancelWaitMs = 500;

private:
    struct Operation;
    struct PendingOpen;

    // Takes an opened and set-up device into use; false when it cannot be read from.
    bool attach(void *handle);
    void openedInBackground(const std::shared_ptr<PendingOpen> &pending);

    bool startRead();
    void readEnded();
    void startWrite();
    void writeEnded();
    void writeOverdue();
    void fail();
    void release(std::unique_ptr<Operation> &operation);

    void *m_handle = nullptr; // the open device's HANDLE; null while closed
    PortOpenError m_openError = PortOpenError::None;
    std::shared_ptr<PendingOpen> m_opening; // the open under way on its thread, if any
    std::unique_ptr<Operation> m_read;      // while open, the read in progress
    std::unique_ptr<Operation> m_write;     // while open, the last write started
    QWinEventNotifier m_readNotifier;       // the read's event: it has ended
    QWinEventNotifier m_writeNotifier;      // the write's event: it has ended
    QTimer m_writeTimer;                    // bounds the write in progress by WriteWaitMs
    QByteArray m_received;
    QByteArray m_toWrite; // queued behind the write in progress
};

} // namespace Klv
