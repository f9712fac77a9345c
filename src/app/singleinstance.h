#pragma once

#include <QLockFile>
#include <QString>

// A per-user lock that tells whether the tool is already running for this user.
class SingleInstance
{
public:
    SingleInstance();

    // Takes the lock; false when another running instance holds it.
    bool tryAcquire();

    // Where the lock lives: the temporary directory, one file per user.
    static QString lockPath();

private:
    QLockFile m_lock;
};
