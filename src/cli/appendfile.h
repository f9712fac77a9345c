#pragma once

#include <QByteArray>
#include <QString>

// A file that is only ever appended to, each record in one write, so that several programs can
// share it without one's lines cutting into another's: opened with O_APPEND on POSIX systems,
// with FILE_APPEND_DATA on Windows (QFile's Append does neither there).
class AppendFile
{
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile &) = delete;
    AppendFile &operator=(const AppendFile &) = delete;

    // Opens the file, made when it is not there; false, with error() saying why, when it cannot.
    bool open(const QString &path);
    bool isOpen() const;
    // Appends the bytes in one write at the file's end; false, with error(), when they did not
    // all go.
    bool append(const QByteArray &bytes);
    QString error() const { return m_error; }

private:
#ifdef Q_OS_WIN
    void *m_handle = nullptr;
#else
    int m_fd = -1;
#endif
    QString m_error;
};
