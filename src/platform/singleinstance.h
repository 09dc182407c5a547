#pragma once

#include <QLockFile>
#include <QString>

// One running program per user: a lock file in the work folder. The lock of a process that
// crashed or was killed is taken over by the next start, and so is a lock file that names no owner.
class SingleInstance
{
public:
    // The lock file is lockPath; by default lockFileName() in the work folder.
    explicit SingleInstance(const QString &lockPath = defaultLockPath());

    // True when this process now holds the lock; false at once when it does not.
    bool tryLock();
    // After a failed tryLock: true when another running start holds the lock (or is taking it),
    // false when the lock could not be checked at all (no work folder, no file can be made there).
    bool heldByAnother() const { return m_heldByAnother; }

    // "instance.lock"; the lock keeps companion files whose names begin with it.
    static QString lockFileName();
    // The lock file in the work folder; empty when the work folder is refused.
    static QString defaultLockPath();

private:
    QLockFile m_lock;
    bool m_heldByAnother = false;
};
