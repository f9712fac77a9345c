#include "singleinstance.h"

#include <QDir>

#include <unistd.h>

SingleInstance::SingleInstance() : m_lock(lockPath())
{
    // A lock left by a process that is gone is taken over at once.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryAcquire()
{
    return m_lock.tryLock(0);
}

QString SingleInstance::lockPath()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("klv90-%1.lock").arg(getuid()));
}
