#pragma once

// Helpers of the settings-file tests: files on disk, records, and a full disk on demand.
#include "step.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A step of its own for each slot, every field different; keyData rises with the slot, so a
// run of them is in table order.
inline Klv::Step stepFor(int slot)
{
    Klv::Step step;
    for (int i = 0; i < Klv::Step::FieldCount; ++i)
        step.setField(i, qint16((slot * 7 + i * 31) % 256));
    step.keyData = qint16(slot % 256);
    return step;
}

inline QList<Klv::Step> stepsFor(int count)
{
    QList<Klv::Step> steps;
    for (int slot = 0; slot < count; ++slot)
        steps << stepFor(slot);
    return steps;
}

inline QByteArray record(const Klv::Step &step)
{
    QByteArray bytes;
    for (int i = 0; i < Klv::Step::FieldCount; ++i)
        bytes.append(char(step.field(i)));
    return bytes;
}

// The magic, the steps' records, then extra bytes.
inline QByteArray fileOf(const QList<Klv::Step> &steps, const QByteArray &extra = {})
{
    QByteArray bytes("KLV");
    for (const Klv::Step &step : steps)
        bytes += record(step);
    return bytes + extra;
}

#ifdef Q_OS_UNIX
// While it lives, no file of this process can grow past the given size, root included: writing
// more fails as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
#endif
