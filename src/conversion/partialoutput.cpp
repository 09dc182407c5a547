#include "conversion/partialoutput.h"

#include "conversion/recipes.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace PartialOutput {

namespace {

// How many hidden or final names are tried before giving up.
constexpr int Attempts = 1000;

QLatin1StringView stepMark(Step step)
{
    switch (step) {
    case Step::Writing:
        break;
    case Step::Publishing:
        return QLatin1StringView(".publishing");
    case Step::Moving:
        return QLatin1StringView(".moving");
    }
    return QLatin1StringView(".part");
}

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

QString ownerText(const Owner &owner)
{
    QString text = owner.host + QLatin1Char('-') + QString::number(owner.processId);
    if (owner.attempt > 1)
        text += QLatin1Char('-') + QString::number(owner.attempt);
    return text;
}

// FAT and exFAT know neither an atomic rename that refuses a target nor a second name: the final
// name is taken first, so nothing else can be in its place, and the rename then goes over it. The
// hidden file carries the step meanwhile, so that a kill between the two leaves a mark of the empty
// final name it made.
int moveOverPlaceholder(const QByteArray &from, const QByteArray &to)
{
    const std::optional<Reading> reading = readName(QFileInfo(QFile::decodeName(from)).fileName());
    const QString toPath = QFile::decodeName(to);
    const QByteArray marked =
        reading ? QFile::encodeName(nameFor(toPath, reading->owner, Step::Publishing)) : from;
    if (::rename(from.constData(), marked.constData()) != 0)
        return errno;
    int error = 0;
    if (!createExclusively(to))
        error = errno;
    else if (::rename(marked.constData(), to.constData()) != 0) {
        error = errno;
        ::unlink(to.constData());
    }
    if (error != 0)
        ::rename(marked.constData(), from.constData());
    return error;
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
    return moveOverPlaceholder(from, to);
}

// A field of an owner: digits only, no sign, no leading zero.
std::optional<qint64> ownerNumber(QStringView text)
{
    if (text.isEmpty() || text.front() == u'0' ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// The empty final name that a process ended while publishing marker on FAT left behind, if any.
void removeEmptyFinalName(const QDir &folder, const QString &marker, const Reading &reading)
{
    const QFileInfoList empty =
        folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo &candidate : empty) {
        if (candidate.size() == 0 &&
            nameFor(candidate.filePath(), reading.owner, Step::Publishing) == folder.filePath(marker)) {
            QFile::remove(candidate.filePath());
            return;
        }
    }
}

} // namespace

QString hostName()
{
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() || host.contains(QLatin1Char('/')) ? QStringLiteral("localhost") : host;
}

QString ownerHost(const QString &host)
{
    QString written = host;
    written.replace(QLatin1Char('.'), QLatin1Char('_')).replace(QLatin1Char('-'), QLatin1Char('_'));
    return written;
}

QString nameFor(const QString &finalPath, const Owner &owner, Step step)
{
    const Recipes::PathParts parts = Recipes::PathParts::of(finalPath);
    const QString stem = QLatin1Char('.') + parts.stem;
    const QString tail = QLatin1Char('.') + ownerText(owner) + stepMark(step) + parts.extension;
    const QString whole = Recipes::fittedName(stem, tail);
    if (whole.size() == stem.size() + tail.size())
        return parts.folder + whole;
    const QByteArray hash =
        QCryptographicHash::hash((parts.stem + parts.extension).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(8);
    return parts.folder + Recipes::fittedName(stem, QLatin1Char('~') + QLatin1String(hash) + tail);
}

QString nameFor(const QString &finalPath, const QString &host, qint64 processId, int attempt)
{
    return nameFor(finalPath, Owner{ownerHost(host), processId, attempt});
}

std::optional<Reading> readName(const QString &fileName)
{
    if (!fileName.startsWith(QLatin1Char('.')))
        return std::nullopt;
    QStringList parts = fileName.split(QLatin1Char('.'));
    // "", the name's parts, the owner, the step, and the extension when there is one.
    const auto isStep = [](const QString &part) {
        return part == u"part" || part == u"publishing" || part == u"moving";
    };
    if (parts.size() >= 5 && !isStep(parts.last()))
        parts.removeLast();
    if (parts.size() < 4 || !isStep(parts.last()))
        return std::nullopt;
    const qsizetype dotsAfterStep = fileName.count(QLatin1Char('.')) - (parts.size() - 1);
    Reading reading;
    const QString step = parts.takeLast();
    reading.step = step == u"part" ? Step::Writing : step == u"moving" ? Step::Moving : Step::Publishing;
    const QStringList fields = parts.last().split(QLatin1Char('-'));
    if (fields.size() < 2 || fields.size() > 3 || fields[0].isEmpty())
        return std::nullopt;
    const std::optional<qint64> processId = ownerNumber(fields[1]);
    const std::optional<qint64> attempt = fields.size() == 3 ? ownerNumber(fields[2]) : 1;
    if (!processId || !attempt || (fields.size() == 3 && *attempt < 2) || *attempt > Attempts)
        return std::nullopt;
    reading.owner = {fields[0], *processId, int(*attempt)};
    // ".<stem>.<owner>.<step><extension>": the name back, unless it was cut to fit.
    const QString stem = QStringList(parts.mid(1, parts.size() - 2)).join(QLatin1Char('.'));
    const QString extension =
        dotsAfterStep > 0 ? fileName.mid(fileName.lastIndexOf(QLatin1Char('.'))) : QString();
    const QString finalName = stem + extension;
    if (!stem.isEmpty() && nameFor(finalName, reading.owner, reading.step) == fileName)
        reading.finalName = finalName;
    return reading;
}

bool ownerBefore(const Owner &a, const Owner &b)
{
    return std::tie(a.host, a.processId, a.attempt) < std::tie(b.host, b.processId, b.attempt);
}

Owner ownOwner(int attempt)
{
    return {ownerHost(hostName()), QCoreApplication::applicationPid(), attempt};
}

QString reserve(const QString &finalPath, int *error)
{
    Owner owner = ownOwner();
    const QString first = nameFor(finalPath, owner);
    int failure = EEXIST;
    for (; owner.attempt <= Attempts && failure == EEXIST; ++owner.attempt) {
        const QString name = owner.attempt == 1 ? first : nameFor(finalPath, owner);
        if (createExclusively(QFile::encodeName(name))) {
            failure = 0;
            if (error)
                *error = 0;
            return name;
        }
        failure = errno;
    }
    if (error)
        *error = failure;
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

bool claimedByAnother(const QString &finalPath, const QString &ownPartial, bool firstOnly)
{
    const QString folder = finalPath.left(finalPath.lastIndexOf(QLatin1Char('/')) + 1);
    const std::optional<Reading> own = readName(QFileInfo(ownPartial).fileName());
    for (const QString &name : hiddenNames(folder)) {
        const std::optional<Reading> reading = readName(name);
        if (!reading || folder + name == ownPartial ||
            nameFor(finalPath, reading->owner, reading->step) != folder + name)
            continue;
        if (firstOnly && own && !ownerBefore(reading->owner, own->owner))
            continue;
        if (!isLeftOver(folder, name, *reading))
            return true;
    }
    return false;
}

bool isLeftOver(const QString &folder, const QString &name, const Reading &reading, const QString &host)
{
    if (reading.owner.host == ownerHost(host))
        return reading.owner.processId != QCoreApplication::applicationPid() &&
               !processRuns(reading.owner.processId);
    // A rename changes no modification time, but every change of the file's name or content
    // changes its status time.
    struct stat status = {};
    if (::lstat(QFile::encodeName(QDir(folder).filePath(name)).constData(), &status) != 0)
        return false;
    const qint64 changed = std::max<qint64>(status.st_mtim.tv_sec, status.st_ctim.tv_sec);
    return QDateTime::currentSecsSinceEpoch() - changed >= OtherHostQuietSeconds;
}

int removeStale(const QString &folder, const QStringList &names, const QString &host)
{
    const QString ownHost = ownerHost(host);
    const QDir dir(folder);
    int removed = 0;
    for (const QString &name : names) {
        const std::optional<Reading> reading = readName(name);
        if (!reading || reading->step == Step::Moving || reading->owner.host != ownHost ||
            !isLeftOver(folder, name, *reading, host))
            continue;
        if (reading->step == Step::Publishing)
            removeEmptyFinalName(dir, name, *reading);
        if (QFile::remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
}

int removeStale(const QString &folder, const QString &host)
{
    return removeStale(folder, hiddenNames(folder), host);
}

QStringList hiddenNames(const QString &folder)
{
    QStringList names;
    DIR *entries = ::opendir(QFile::encodeName(folder).constData());
    if (!entries)
        return names;
    while (const dirent *entry = ::readdir(entries)) {
        const QByteArrayView name(entry->d_name);
        if (name.startsWith('.') && name != "." && name != ".." && entry->d_type != DT_DIR)
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(entries);
    return names;
}

} // namespace PartialOutput
