#include "platform/appdirs.h"

#include "platform/userpath.h"
#include "settings/setupfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace AppDirs {

bool makePrivateFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    // A link in the folder's place is refused, not followed, so whatever it points at stays untouched;
    // the checks and the mode go through the one descriptor, so nothing can be swapped in between.
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info;
    const bool usable = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
                        ((info.st_mode & 07777) == 0700 || ::fchmod(fd, 0700) == 0);
    ::close(fd);
    return usable;
#else
    const QFileInfo info(folder);
    return !info.isSymLink() && (info.isDir() || QDir().mkdir(folder));
#endif
}

namespace {

// An XDG base folder: the variable's value, or the fallback under the home folder. A relative value
// is no place at all (it would follow the current folder), so it is ignored.
QString xdgFolder(const char *variable, const QString &homeFallback)
{
    const QString value = qEnvironmentVariable(variable);
    return value.isEmpty() || !UserPath::isAbsolute(value) ? QDir::homePath() + homeFallback : value;
}

// The copy is the user's own file, written afresh with the usual mode: a copy that kept the shipped
// file's mode would be read-only after an install into a read-only prefix, and never saved.
void copyShippedFile(const QString &from, const QString &to)
{
    QFile shipped(from);
    if (!shipped.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = shipped.readAll();
    QFile copy(to);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
        return;
    if (copy.write(bytes) != bytes.size() || !copy.flush())
        copy.remove();
}

} // namespace

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString installedMarkerName()
{
    return QStringLiteral("installed");
}

bool isInstalled(const QString &programFolder)
{
    return QFileInfo::exists(programFolder + QLatin1Char('/') + installedMarkerName());
}

QString settingsFolder(const QString &programFolder)
{
    if (!isInstalled(programFolder))
        return programFolder;
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral("/.config")) + QStringLiteral("/tunoxa");
}

QString prepareSettingsFolder(const QString &programFolder)
{
    const QString folder = settingsFolder(programFolder);
    if (folder == programFolder)
        return folder;
    const QString setupIni = SetupFile::pathIn(folder);
    // The shipped setup.ini selects MP3, so a first start converts FLAC to MP3 out of the box.
    if (QDir().mkpath(folder) && !QFileInfo::exists(setupIni))
        copyShippedFile(SetupFile::pathIn(programFolder), setupIni);
    return folder;
}

QString musicFolder()
{
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return music.isEmpty() ? QDir::homePath() : music;
}

QString outputBaseFolder(const QString &programFolder)
{
    return isInstalled(programFolder) ? musicFolder() : programFolder;
}

QString outputFolderFor(const QString &text, const QString &programFolder)
{
    return text.isEmpty() ? text : UserPath::absolute(text, outputBaseFolder(programFolder));
}

QString defaultOutputFolder(const QString &programFolder)
{
    if (isInstalled(programFolder))
        return musicFolder() + QStringLiteral("/Tunoxa");
    return programFolder + QStringLiteral("/output");
}

QString chooserStartFolder(const QString &programFolder)
{
    return isInstalled(programFolder) ? QDir::homePath() : programFolder;
}

QString unusableWorkFolderText()
{
    return QCoreApplication::translate("AppDirs", "无法使用临时文件夹：");
}

QString workFolderPath()
{
    return xdgFolder("XDG_CACHE_HOME", QStringLiteral("/.cache")) + QStringLiteral("/tunoxa");
}

std::optional<QString> preparedWorkFolder()
{
    const QString folder = workFolderPath();
    // The folders above may be links (~/.cache often is one); only the work folder itself must be private.
    if (!QDir().mkpath(QFileInfo(folder).path()) || !makePrivateFolder(folder))
        return std::nullopt;
    return folder;
}

QString workFolder()
{
    return preparedWorkFolder().value_or(QString());
}

QString tmpFolder()
{
    const QString work = workFolder();
    return work.isEmpty() ? QString() : WorkPaths::scratchFolder(work);
}

QString intermediatePath()
{
    return WorkPaths::inFolder(workFolder()).intermediate;
}

QString probeWavPath()
{
    return WorkPaths::inFolder(workFolder()).probeWav;
}

} // namespace AppDirs
