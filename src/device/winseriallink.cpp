#include "winseriallink.h"

#include "protocol.h"

#include <qt_windows.h>

#include <array>
#include <string>
#include <utility>

namespace Klv {

namespace {

// A COM port that another program holds answers "access denied"; Windows has no permissions of
// its own on COM ports.
PortOpenError openErrorOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return PortOpenError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return PortOpenError::Busy;
    default:
        return PortOpenError::Other;
    }
}

} // namespace

WinSerialLink::WinSerialLink(QObject *parent) : SerialLink(parent)
{
    m_pollTimer.setInterval(PollIntervalMs);
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pollTimer, &QTimer::timeout, this, &WinSerialLink::poll);
}

WinSerialLink::~WinSerialLink()
{
    close();
}

QString WinSerialLink::devicePath(const QString &portName)
{
    if (portName.startsWith(QStringLiteral("\\\\")))
        return portName;
    return QStringLiteral("\\\\.\\") + portName;
}

bool WinSerialLink::open(const QString &portName)
{
    if (isOpen()) {
        m_openError = PortOpenError::Busy;
        return false;
    }
    const std::wstring path = devicePath(portName).toStdWString();
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_openError = openErrorOf(GetLastError());
        return false;
    }

    DCB settings{};
    settings.DCBlength = sizeof settings;
    bool ready = GetCommState(handle, &settings);
    settings.BaudRate = Protocol::BaudRate;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fDtrControl = DTR_CONTROL_ENABLE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    settings.fErrorChar = FALSE;
    settings.fNull = FALSE;
    // A line error must not stop every later read until it is cleared.
    settings.fAbortOnError = FALSE;
    ready = ready && SetCommState(handle, &settings);

    // A read returns at once with what has arrived; a write gives up after WriteWaitMs.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.WriteTotalTimeoutConstant = WriteWaitMs;
    ready = ready && SetCommTimeouts(handle, &timeouts);

    // Bytes that arrived before the line was opened are no reply to anything sent after.
    ready =
        ready && PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    if (!ready) {
        CloseHandle(handle);
        m_openError = PortOpenError::Other;
        return false;
    }
    m_openError = PortOpenError::None;
    m_handle = handle;
    m_received.clear();
    m_pollTimer.start();
    return true;
}

bool WinSerialLink::isOpen() const
{
    return m_handle != nullptr;
}

bool WinSerialLink::write(const QByteArray &bytes)
{
    if (!isOpen())
        return false;
    DWORD written = 0;
    if (!WriteFile(m_handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr) ||
        written != DWORD(bytes.size())) {
        // Not taken within WriteWaitMs, or refused: the device is as good as gone.
        fail();
        return false;
    }
    QMetaObject::invokeMethod(this, &SerialLink::bytesWritten, Qt::QueuedConnection);
    return true;
}

QByteArray WinSerialLink::readAll()
{
    return std::exchange(m_received, QByteArray());
}

void WinSerialLink::close()
{
    if (!isOpen())
        return;
    m_pollTimer.stop();
    CloseHandle(m_handle);
    m_handle = nullptr;
    m_received.clear();
}

void WinSerialLink::poll()
{
    // A device that is gone (a USB adapter pulled) shows here: reads alone may just return
    // nothing.
    DWORD lineErrors = 0;
    COMSTAT status{};
    if (!ClearCommError(m_handle, &lineErrors, &status)) {
        fail();
        return;
    }
    std::array<char, 4096> buffer;
    DWORD got = 0;
    if (!ReadFile(m_handle, buffer.data(), DWORD(buffer.size()), &got, nullptr)) {
        fail();
        return;
    }
    if (got == 0)
        return;
    m_received.append(buffer.data(), qsizetype(got));
    emit readyRead();
}

void WinSerialLink::fail()
{
    close();
    emit failed();
}

} // namespace Klv
