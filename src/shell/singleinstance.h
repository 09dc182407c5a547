#pragma once

#include <QLockFile>
#include <QString>

// One running program per user: a lock file in the work folder. The lock of a process that
// crashed or was killed is taken over by the next start, and so is a lock file that names no owner.
class SingleInstance
{
public:
    // The lock file is lockPath; by default "instance.lock" in the work folder.
    explicit SingleInstance(const QString &lockPath = defaultLockPath());

    // True when this process now holds the lock; false at once when another running one does.
    bool tryLock();
    bool isLocked() const { return m_lock.isLocked(); }

    static QString defaultLockPath();

private:
    QLockFile m_lock;
};
