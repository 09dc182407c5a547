#include "shell/singleinstance.h"

#include "shell/appdirs.h"

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(lockPath)
{
    // Only a dead owner makes the lock stale: a program running for hours keeps it.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryLock()
{
    return m_lock.isLocked() || m_lock.tryLock(0);
}

QString SingleInstance::defaultLockPath()
{
    return AppDirs::workFolder() + QStringLiteral("/instance.lock");
}
