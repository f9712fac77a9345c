#pragma once

#include "seriallink.h"

#include <QByteArrayList>
#include <QSet>

// A serial link in memory: the devices that open are named, every write is kept, and the test
// plays the controller's part, with or without the link announcing what arrived.
class FakeLink : public Klv::SerialLink
{
    Q_OBJECT
public:
    explicit FakeLink(QSet<QString> devices) : m_devices(std::move(devices)) {}

    bool open(const QString &portName) override
    {
        if (m_open || !m_devices.contains(portName)) {
            m_openError = Klv::PortOpenError::NotFound;
            return false;
        }
        m_openError = Klv::PortOpenError::None;
        m_open = true;
        m_opened << portName;
        m_pending.clear();
        return true;
    }
    // While opens are held, each is left pending until the test ends it.
    OpenStart beginOpen(const QString &portName) override
    {
        if (!m_holdsOpens)
            return SerialLink::beginOpen(portName);
        m_pendingOpen = portName;
        return OpenStart::Pending;
    }
    void holdOpens() { m_holdsOpens = true; }
    void endPendingOpen()
    {
        const QString name = std::exchange(m_pendingOpen, QString());
        if (!name.isEmpty())
            emit openEnded(open(name));
    }
    Klv::PortOpenError openError() const override { return m_openError; }
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray &bytes) override
    {
        if (!m_open)
            return false;
        if (m_writesLeft == 0) {
            // As a real link does: it closes, says so, and the write fails.
            m_open = false;
            emit failed();
            return false;
        }
        if (m_writesLeft > 0)
            --m_writesLeft;
        m_written << bytes;
        return true;
    }
    qint64 bytesToWrite() const override { return 0; }
    QByteArray readAll() override { return std::exchange(m_pending, {}); }
    void close() override
    {
        m_open = false;
        m_pendingOpen.clear();
    }

    // The controller's reply, announced as arrived.
    void reply(const QByteArray &bytes)
    {
        m_pending += bytes;
        emit readyRead();
    }
    // Bytes that are there to be read, not yet announced.
    void holdUnannounced(const QByteArray &bytes) { m_pending += bytes; }

    // The device fails after taking count more writes.
    void failAfterWrites(int count) { m_writesLeft = count; }

    const QByteArrayList &written() const { return m_written; }
    const QStringList &opened() const { return m_opened; }

private:
    QSet<QString> m_devices;
    bool m_open = false;
    Klv::PortOpenError m_openError = Klv::PortOpenError::None;
    QByteArray m_pending;
    QByteArrayList m_written;
    QStringList m_opened;
    int m_writesLeft = -1; // no limit
    bool m_holdsOpens = false;
    QString m_pendingOpen;
};
