#include "winseriallink.h"

#include "protocol.h"

#include <qt_windows.h>

#include <mutex>
#include <thread>
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

// One overlapped read or write. The driver fills or empties the buffer and updates the
// OVERLAPPED until the operation has ended, so neither may be freed before.
struct WinSerialLink::Operation
{
    Operation() { overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    ~Operation()
    {
        if (overlapped.hEvent)
            CloseHandle(overlapped.hEvent);
    }
    Q_DISABLE_COPY_MOVE(Operation)

    // Whether it has ended, its end taken or not.
    bool hasEnded() const { return !isStarted || HasOverlappedIoCompleted(&overlapped); }

    OVERLAPPED overlapped{};
    QByteArray buffer;
    bool isStarted = false; // started and its end not yet taken
};

WinSerialLink::WinSerialLink(QObject *parent) : SerialLink(parent)
{
    m_writeTimer.setSingleShot(true);
    m_writeTimer.setInterval(WriteWaitMs);
    // The device has its full time: a coarse timer may fire a little early.
    m_writeTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_writeTimer, &QTimer::timeout, this, &WinSerialLink::writeOverdue);
    connect(&m_readNotifier, &QWinEventNotifier::activated, this, &WinSerialLink::readEnded);
    connect(&m_writeNotifier, &QWinEventNotifier::activated, this, &WinSerialLink::writeEnded);
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

namespace {

// What opening the device gives: its handle, or why it did not open.
struct Opened
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    PortOpenError error = PortOpenError::None;
};

// Opens and sets up the device: 9600 8N1, no flow control, no timeouts, nothing stale. Only
// Win32 calls on the handle, so it may run on any thread.
Opened openDevice(const std::wstring &path)
{
    Opened result;
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        result.error = openErrorOf(GetLastError());
        return result;
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

    // No timeouts: a read ends when it has all the bytes it asked for, a write when the device
    // has taken all of its bytes. The write's bound is m_writeTimer.
    COMMTIMEOUTS timeouts{};
    ready = ready && SetCommTimeouts(handle, &timeouts);

    // Bytes that arrived before the line was opened are no reply to anything sent after.
    ready =
        ready && PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    if (!ready) {
        CloseHandle(handle);
        result.error = PortOpenError::Other;
        return result;
    }
    result.handle = handle;
    return result;
}

} // namespace

// Shared by the link and the thread that opens: the thread leaves its result here and tells the
// link, unless the link has gone meanwhile.
struct WinSerialLink::PendingOpen
{
    ~PendingOpen()
    {
        // A result nobody took: the link went before it could.
        if (result.handle != INVALID_HANDLE_VALUE)
            CloseHandle(result.handle);
    }

    std::mutex mutex;
    WinSerialLink *link = nullptr; // null once the link has let the open go
    Opened result;
};

bool WinSerialLink::open(const QString &portName)
{
    if (isOpen() || m_opening) {
        m_openError = PortOpenError::Busy;
        return false;
    }
    const Opened opened = openDevice(devicePath(portName).toStdWString());
    if (opened.handle == INVALID_HANDLE_VALUE) {
        m_openError = opened.error;
        return false;
    }
    return attach(opened.handle);
}

SerialLink::OpenStart WinSerialLink::beginOpen(const QString &portName)
{
    if (isOpen() || m_opening) {
        m_openError = PortOpenError::Busy;
        return OpenStart::Failed;
    }
    auto pending = std::make_shared<PendingOpen>();
    pending->link = this;
    m_opening = pending;
    std::thread([pending, path = devicePath(portName).toStdWString()] {
        const Opened opened = openDevice(path);
        const std::lock_guard<std::mutex> lock(pending->mutex);
        pending->result = opened;
        if (!pending->link)
            return; // let go: the result is closed with pending
        // Held under the lock, the link cannot go before the call is queued; a call queued
        // for a link deleted afterwards is dropped by Qt.
        QMetaObject::invokeMethod(
            pending->link, [link = pending->link, pending] { link->openedInBackground(pending); },
            Qt::QueuedConnection);
    }).detach();
    return OpenStart::Pending;
}

void WinSerialLink::openedInBackground(const std::shared_ptr<PendingOpen> &pending)
{
    Opened opened;
    {
        const std::lock_guard<std::mutex> lock(pending->mutex);
        opened = std::exchange(pending->result, Opened());
    }
    // Closed while it opened: the device is let go again at once.
    if (pending != m_opening) {
        if (opened.handle != INVALID_HANDLE_VALUE)
            CloseHandle(opened.handle);
        return;
    }
    m_opening.reset();
    if (opened.handle == INVALID_HANDLE_VALUE) {
        m_openError = opened.error;
        emit openEnded(false);
        return;
    }
    emit openEnded(attach(opened.handle));
}

bool WinSerialLink::attach(void *handle)
{
    m_read = std::make_unique<Operation>();
    m_write = std::make_unique<Operation>();
    m_handle = handle;
    if (!m_read->overlapped.hEvent || !m_write->overlapped.hEvent || !startRead()) {
        close();
        m_openError = PortOpenError::Other;
        return false;
    }
    m_openError = PortOpenError::None;
    m_readNotifier.setHandle(m_read->overlapped.hEvent);
    m_readNotifier.setEnabled(true);
    m_writeNotifier.setHandle(m_write->overlapped.hEvent);
    m_writeNotifier.setEnabled(true);
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
    m_toWrite += bytes;
    if (!m_write->isStarted && !m_toWrite.isEmpty())
        startWrite();
    return isOpen();
}

qint64 WinSerialLink::bytesToWrite() const
{
    if (!isOpen())
        return 0;
    // A write that the device has taken is out, whether or not its end has been taken here.
    return m_toWrite.size() + (m_write->hasEnded() ? 0 : m_write->buffer.size());
}

QByteArray WinSerialLink::readAll()
{
    return std::exchange(m_received, QByteArray());
}

void WinSerialLink::close()
{
    // An open under way is let go: its device is closed when it comes.
    if (m_opening) {
        const std::lock_guard<std::mutex> lock(m_opening->mutex);
        m_opening->link = nullptr;
    }
    m_opening.reset();
    if (!isOpen())
        return;
    m_writeTimer.stop();
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    CancelIoEx(m_handle, nullptr);
    release(m_read);
    release(m_write);
    CloseHandle(m_handle);
    m_handle = nullptr;
    m_received.clear();
    m_toWrite.clear();
}

// Reading is one overlapped ReadFile always outstanding, rather than WaitCommEvent(EV_RXCHAR)
// and a read after it: with no read timeouts a read of at least one byte ends only when input
// has arrived, so it is the wait for input as well, and it fails when the device is gone.
bool WinSerialLink::startRead()
{
    // Whatever already waits in the driver is read at once; else the read waits for one byte.
    DWORD lineErrors = 0;
    COMSTAT status{};
    if (!ClearCommError(m_handle, &lineErrors, &status))
        return false;
    m_read->buffer.resize(qMax(qsizetype(1), qsizetype(status.cbInQue)));
    if (!ReadFile(m_handle, m_read->buffer.data(), DWORD(m_read->buffer.size()), nullptr,
                  &m_read->overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
        return false;
    // Ended already or not, its end is taken in readEnded().
    m_read->isStarted = true;
    return true;
}

void WinSerialLink::readEnded()
{
    if (!isOpen())
        return;
    const qsizetype before = m_received.size();
    // A read of bytes already waiting may end at once: it is taken here too, so that a reply
    // that came in pieces is told of once.
    while (m_read->isStarted && m_read->hasEnded()) {
        DWORD got = 0;
        // A device gone (a USB adapter pulled) ends the read with an error.
        if (!GetOverlappedResult(m_handle, &m_read->overlapped, &got, FALSE))
            return fail();
        m_read->isStarted = false;
        m_received.append(m_read->buffer.constData(), qsizetype(got));
        // The next read is under way before anyone hears of this one, who may close the link.
        if (!startRead())
            return fail();
    }
    if (m_received.size() > before)
        emit readyRead();
}

void WinSerialLink::startWrite()
{
    m_write->buffer = std::exchange(m_toWrite, QByteArray());
    if (!WriteFile(m_handle, m_write->buffer.constData(), DWORD(m_write->buffer.size()), nullptr,
                   &m_write->overlapped) &&
        GetLastError() != ERROR_IO_PENDING)
        return fail();
    m_write->isStarted = true;
    m_writeTimer.start();
}

void WinSerialLink::writeEnded()
{
    if (!isOpen() || !m_write->isStarted || !m_write->hasEnded())
        return;
    DWORD written = 0;
    if (!GetOverlappedResult(m_handle, &m_write->overlapped, &written, FALSE))
        return fail();
    m_writeTimer.stop();
    m_write->isStarted = false;
    // The notifier fires for as long as the event stays signalled.
    ResetEvent(m_write->overlapped.hEvent);
    if (written != DWORD(m_write->buffer.size()))
        return fail();
    if (!m_toWrite.isEmpty())
        startWrite();
    if (isOpen())
        emit bytesWritten();
}

void WinSerialLink::writeOverdue()
{
    // The write may have ended just now, its end not yet taken.
    if (m_write->hasEnded())
        return writeEnded();
    // Not taken within WriteWaitMs: the device is as good as gone.
    fail();
}

void WinSerialLink::fail()
{
    if (!isOpen())
        return;
    close();
    emit failed();
}

// Frees an operation once it has ended; close() has cancelled it.
void WinSerialLink::release(std::unique_ptr<Operation> &operation)
{
    if (!operation)
        return;
    if (!operation->hasEnded()) {
        DWORD count = 0;
        GetOverlappedResultEx(m_handle, &operation->overlapped, &count, CancelWaitMs, FALSE);
    }
    // One that still runs keeps its memory for good rather than have the driver write into
    // freed memory.
    if (!operation->hasEnded())
        static_cast<void>(operation.release());
    operation.reset();
}

} // namespace Klv
