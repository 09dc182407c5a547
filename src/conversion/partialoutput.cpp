#include "conversion/partialoutput.h"

#include "conversion/recipes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace PartialOutput {

namespace {

// How many hidden or final names are tried before giving up.
constexpr int Attempts = 1000;

const QString partMark = QStringLiteral(".part");

// A hidden file of another machine that has not grown for this long belongs to a writer that is gone.
constexpr qint64 OtherHostQuietSeconds = 600;

bool processRuns(qint64 processId)
{
    return ::kill(pid_t(processId), 0) == 0 || errno == EPERM;
}

bool createExclusively(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Moves from to to, refusing an existing to; 0 or the errno of the failure.
int moveNoReplace(const QByteArray &from, const QByteArray &to, Method method)
{
    if (method == Method::Best || method == Method::RenameNoReplace) {
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (method != Method::Best || (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP))
            return errno;
    }
    if (method == Method::Best || method == Method::Link) {
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            return 0;
        }
        if (method != Method::Best || (errno != EPERM && errno != ENOSYS && errno != EOPNOTSUPP))
            return errno;
    }
    // FAT and exFAT know neither: the final name is taken first, so nothing else can be in its place.
    if (!createExclusively(to))
        return errno;
    if (::rename(from.constData(), to.constData()) == 0)
        return 0;
    const int error = errno;
    ::unlink(to.constData());
    return error;
}

} // namespace

QString hostName()
{
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() || host.contains(QLatin1Char('/')) ? QStringLiteral("localhost") : host;
}

QString nameFor(const QString &finalPath, const QString &host, qint64 processId, int attempt)
{
    const qsizetype nameStart = finalPath.lastIndexOf(QLatin1Char('/')) + 1;
    qsizetype dot = finalPath.lastIndexOf(QLatin1Char('.'));
    if (dot <= nameStart)
        dot = finalPath.size();
    const QString stem = finalPath.mid(nameStart, dot - nameStart);
    QString owner = QLatin1Char('.') + host + QLatin1Char('-') + QString::number(processId);
    if (attempt > 1)
        owner += QLatin1Char('-') + QString::number(attempt);
    return finalPath.left(nameStart) +
           Recipes::fittedName(QLatin1Char('.') + stem, owner + partMark + finalPath.mid(dot));
}

QString reserve(const QString &finalPath)
{
    const QString host = hostName();
    const qint64 self = QCoreApplication::applicationPid();
    const QString first = nameFor(finalPath, host, self);
    for (int attempt = 1; attempt <= Attempts; ++attempt) {
        const QString name = attempt == 1 ? first : nameFor(finalPath, host, self, attempt);
        if (createExclusively(QFile::encodeName(name)))
            return name;
        if (errno != EEXIST)
            break;
    }
    return first;
}

Published publish(const QString &partial, const QString &wanted, Method method)
{
    const QByteArray from = QFile::encodeName(partial);
    int error = EEXIST;
    for (int attempt = 0; attempt < Attempts && error == EEXIST; ++attempt) {
        const QString candidate = Recipes::freeOutputName(wanted);
        error = moveNoReplace(from, QFile::encodeName(candidate), method);
        if (error == 0)
            return {candidate, 0};
    }
    return {QString(), error};
}

Published publishAt(const QString &partial, const QString &target, bool replace)
{
    const QByteArray from = QFile::encodeName(partial);
    const QByteArray to = QFile::encodeName(target);
    const int error = replace ? (::rename(from.constData(), to.constData()) == 0 ? 0 : errno)
                              : moveNoReplace(from, to, Method::Best);
    return error == 0 ? Published{target, 0} : Published{QString(), error};
}

bool claimedByAnother(const QString &finalPath, const QString &ownPartial)
{
    const qsizetype nameStart = finalPath.lastIndexOf(QLatin1Char('/')) + 1;
    qsizetype dot = finalPath.lastIndexOf(QLatin1Char('.'));
    if (dot <= nameStart)
        dot = finalPath.size();
    const QString folder = finalPath.left(nameStart);
    const QString stem = QLatin1Char('.') + finalPath.mid(nameStart, dot - nameStart);
    const QString suffix = partMark + finalPath.mid(dot);
    const QString ownHost = hostName() + QLatin1Char('-');
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!name.startsWith(QLatin1Char('.')) || !name.endsWith(suffix) || folder + name == ownPartial)
            continue;
        // The name is ".<name>.<owner>.part<ext>", the first part cut to fit: find the owner by
        // building the name back.
        const QString rest = name.chopped(suffix.size());
        for (qsizetype split = rest.indexOf(QLatin1Char('.'), 1); split > 0;
             split = rest.indexOf(QLatin1Char('.'), split + 1)) {
            const QString owner = rest.mid(split + 1);
            if (Recipes::fittedName(stem, QLatin1Char('.') + owner + suffix) != name)
                continue;
            if (!owner.startsWith(ownHost)) {
                const QDateTime grown = QFileInfo(folder + name).lastModified();
                if (grown.secsTo(QDateTime::currentDateTime()) < OtherHostQuietSeconds)
                    return true;
                break;
            }
            const qint64 process = owner.mid(ownHost.size()).section(QLatin1Char('-'), 0, 0).toLongLong();
            if (process > 0 && processRuns(process))
                return true;
            break;
        }
    }
    return false;
}

int removeStale(const QString &folder)
{
    // Only this machine's own names: a host name may hold "-" and ".", so it is matched as a whole.
    const QRegularExpression pattern(QStringLiteral("^\\..*\\.") + QRegularExpression::escape(hostName()) +
                                     QStringLiteral("-([0-9]+)(?:-[0-9]+)?\\.part(?:\\.[^.]*)?$"));
    const qint64 self = QCoreApplication::applicationPid();
    int removed = 0;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!name.startsWith(QLatin1Char('.')))
            continue;
        const QRegularExpressionMatch match = pattern.match(name);
        if (!match.hasMatch())
            continue;
        const qint64 owner = match.captured(1).toLongLong();
        if (owner == self || owner <= 0 || processRuns(owner))
            continue;
        if (QFile::remove(QDir(folder).filePath(name)))
            ++removed;
    }
    return removed;
}

} // namespace PartialOutput
