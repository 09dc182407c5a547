#include "platform/singleinstance.h"

#include "platform/appdirs.h"

#include <QDateTime>
#include <QFileInfo>

namespace {

// A start writes its name into the lock file right after creating it; a file that still names no
// owner after this long was left by a start that died in between, or emptied by a power cut.
constexpr qint64 OwnerlessGraceMs = 2000;

} // namespace

SingleInstance::SingleInstance(const QString &lockPath)
    : m_lock(lockPath)
{
    // Only a dead owner makes the lock stale: a program running for hours keeps it.
    m_lock.setStaleLockTime(0);
}

bool SingleInstance::tryLock()
{
    m_heldByAnother = false;
    if (m_lock.isLocked() || m_lock.tryLock(0))
        return true;
    if (m_lock.error() != QLockFile::LockFailedError)
        return false;
    // QLockFile has already taken over the lock of a dead owner, so a named owner is running.
    if (m_lock.getLockInfo(nullptr, nullptr, nullptr)) {
        m_heldByAnother = true;
        return false;
    }
    // QLockFile judges staleness only by the owner the file names, so an ownerless one would keep
    // every later start out for good.
    const QDateTime written = QFileInfo(m_lock.fileName()).lastModified();
    if (qAbs(written.msecsTo(QDateTime::currentDateTime())) < OwnerlessGraceMs) {
        m_heldByAnother = true;
        return false;
    }
    const bool cleared = m_lock.removeStaleLockFile();
    if (cleared && m_lock.tryLock(0))
        return true;
    m_heldByAnother = cleared && m_lock.error() == QLockFile::LockFailedError;
    return false;
}

QString SingleInstance::lockFileName()
{
    return QStringLiteral("instance.lock");
}

QString SingleInstance::defaultLockPath()
{
    const QString work = AppDirs::workFolder();
    return work.isEmpty() ? QString() : work + QLatin1Char('/') + lockFileName();
}
