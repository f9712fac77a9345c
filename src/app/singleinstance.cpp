#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDir>

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
    // Each user has a home of their own; its path names the user on every system.
    const QByteArray user =
        QCryptographicHash::hash(QDir::homePath().toUtf8(), QCryptographicHash::Sha1).toHex();
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("klv90-%1.lock").arg(QString::fromLatin1(user.left(16))));
}
