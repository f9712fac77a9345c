#include "qtseriallink.h"

#include "protocol.h"

#include <QFileInfo>

namespace Klv {

namespace {

// Qt reports a device the user may not open and one that another program holds both as a
// permission error; the device's own permissions tell them apart.
PortOpenError openErrorOf(const QSerialPort &port, const QString &portName)
{
    switch (port.error()) {
    case QSerialPort::NoError:
        return PortOpenError::None;
    case QSerialPort::DeviceNotFoundError:
        return PortOpenError::NotFound;
    case QSerialPort::PermissionError: {
        const QFileInfo device(portName.startsWith(u'/') ? portName
                                                         : QStringLiteral("/dev/") + portName);
        if (device.exists() && !(device.isReadable() && device.isWritable()))
            return PortOpenError::PermissionDenied;
        return PortOpenError::Busy;
    }
    default:
        return PortOpenError::Other;
    }
}

} // namespace

QtSerialLink::QtSerialLink(QObject *parent) : SerialLink(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialLink::readyRead);
    connect(&m_port, &QSerialPort::bytesWritten, this, &SerialLink::bytesWritten);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::portError);
}

bool QtSerialLink::open(const QString &portName)
{
    if (m_port.isOpen()) {
        m_openError = PortOpenError::Busy;
        return false;
    }
    m_port.clearError();
    m_port.setPortName(portName);
    m_port.setBaudRate(Protocol::BaudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_openError = openErrorOf(m_port, portName);
        if (m_openError == PortOpenError::None)
            m_openError = PortOpenError::Other;
        return false;
    }
    m_openError = PortOpenError::None;
    // Qt 6.4 keeps what arrived before the port was opened: a stale reply must never count.
    m_port.clear();
    return true;
}

bool QtSerialLink::isOpen() const
{
    return m_port.isOpen();
}

bool QtSerialLink::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(bytes) != bytes.size()) {
        close();
        emit failed();
        return false;
    }
    // Hands the bytes to the device now, without waiting, rather than on the next pass of the
    // event loop: every frame's round trip is shorter by that pass.
    m_port.flush();
    return m_port.isOpen();
}

qint64 QtSerialLink::bytesToWrite() const
{
    return m_port.isOpen() ? m_port.bytesToWrite() : 0;
}

QByteArray QtSerialLink::readAll()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

bool QtSerialLink::waitForReadyRead(int msecs)
{
    if (!m_port.isOpen())
        return false;
    const bool arrived = m_port.waitForReadyRead(msecs);
    // A timeout stays set on the port until cleared; it is no failure of the device.
    if (m_port.error() == QSerialPort::TimeoutError)
        m_port.clearError();
    return arrived && m_port.isOpen();
}

void QtSerialLink::close()
{
    if (m_port.isOpen())
        m_port.close();
}

void QtSerialLink::portError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || !m_port.isOpen())
        return;
    // React once: Qt 6.4 can repeat a read error endlessly when the other end of the line has
    // gone, and the port would stay open.
    m_port.close();
    emit failed();
}

} // namespace Klv
