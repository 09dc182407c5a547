#include "batch/batchworkfolder.h"

#include "platform/appdirs.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <signal.h>
#endif

namespace {

const QString folderPrefix = QStringLiteral("batch-");
const QString lockName = QStringLiteral("batch.lock");

bool processExists(qint64 processId)
{
#ifdef Q_OS_UNIX
    return ::kill(pid_t(processId), 0) == 0 || errno == EPERM;
#else
    Q_UNUSED(processId);
    return true;
#endif
}

// A folder is abandoned when its lock can be taken (QLockFile checks whether its process still
// runs), or, when it has none yet, when no process of its id exists. A batch that has just made
// its folder and not yet its lock is such a process, so its folder stays.
bool isAbandoned(const QString &folder, qint64 processId, qint64 ownId)
{
    const QString lockPath = folder + QLatin1Char('/') + lockName;
    if (!QFileInfo::exists(lockPath))
        return processId == ownId || !processExists(processId);
    QLockFile lock(lockPath);
    if (processId == ownId) {
        // The id is this process's now, so a lock made with it on this machine is a dead one's.
        qint64 lockId = 0;
        QString host;
        QString application;
        return !lock.getLockInfo(&lockId, &host, &application) || host.isEmpty() ||
               host == QSysInfo::machineHostName();
    }
    // Only a process that is gone gives up its lock; age alone never does.
    lock.setStaleLockTime(0);
    return lock.tryLock(0);
}

void removeAbandoned(const QString &workFolder, qint64 ownId)
{
    const QFileInfoList folders =
        QDir(workFolder).entryInfoList({folderPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoSymLinks);
    for (const QFileInfo &folder : folders) {
        bool isNumber = false;
        const qint64 processId = folder.fileName().mid(folderPrefix.size()).toLongLong(&isNumber);
        if (isNumber && processId > 0 && isAbandoned(folder.filePath(), processId, ownId))
            QDir(folder.filePath()).removeRecursively();
    }
}

} // namespace

BatchWorkFolder::~BatchWorkFolder()
{
    remove();
}

QString BatchWorkFolder::pathFor(const QString &workFolder, qint64 processId)
{
    return workFolder + QLatin1Char('/') + folderPrefix + QString::number(processId);
}

bool BatchWorkFolder::prepare(const QString &workFolder, qint64 processId)
{
    removeAbandoned(workFolder, processId);
    const QString folder = pathFor(workFolder, processId);
    if (!AppDirs::makePrivateFolder(folder))
        return false;
    m_lock = std::make_unique<QLockFile>(folder + QLatin1Char('/') + lockName);
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    m_path = folder;
    return true;
}

void BatchWorkFolder::remove()
{
    if (m_path.isEmpty())
        return;
    m_lock.reset();
    // Links in it are removed themselves; what they point at stays.
    QDir(m_path).removeRecursively();
    m_path.clear();
}
