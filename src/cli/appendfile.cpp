#include "appendfile.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

namespace {

QString systemError(DWORD code)
{
    wchar_t *text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    const QString message =
        text ? QString::fromWCharArray(text).trimmed() : QStringLiteral("error %1").arg(code);
    LocalFree(text);
    return message;
}

} // namespace

AppendFile::~AppendFile()
{
    if (m_handle)
        CloseHandle(m_handle);
}

bool AppendFile::open(const QString &path)
{
    // FILE_APPEND_DATA without FILE_WRITE_DATA: every write goes to the end, whoever else
    // writes there meanwhile.
    const QString native = QDir::toNativeSeparators(path);
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(native.utf16()), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        m_error = systemError(GetLastError());
        return false;
    }
    m_handle = handle;
    return true;
}

bool AppendFile::isOpen() const
{
    return m_handle != nullptr;
}

bool AppendFile::append(const QByteArray &bytes)
{
    DWORD written = 0;
    if (!WriteFile(m_handle, bytes.constData(), DWORD(bytes.size()), &written, nullptr)) {
        m_error = systemError(GetLastError());
        return false;
    }
    if (written != DWORD(bytes.size())) {
        m_error = QStringLiteral("only part of a line was written");
        return false;
    }
    return true;
}

#else

AppendFile::~AppendFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool AppendFile::open(const QString &path)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC,
                  0666);
    if (m_fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}

bool AppendFile::isOpen() const
{
    return m_fd >= 0;
}

bool AppendFile::append(const QByteArray &bytes)
{
    // One write: split into two, another program's line could come between the halves.
    const ssize_t written = ::write(m_fd, bytes.constData(), size_t(bytes.size()));
    if (written < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (written != ssize_t(bytes.size())) {
        m_error = QStringLiteral("only part of a line was written");
        return false;
    }
    return true;
}

#endif
