#include "shell/appdirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace AppDirs {

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QString defaultOutputFolder(const QString &programFolder)
{
    return programFolder + QStringLiteral("/output");
}

QString workFolder()
{
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    // A relative setting is no place at all (it would follow the current folder), so it is ignored.
    if (cache.isEmpty() || QDir::isRelativePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    const QString folder = cache + QStringLiteral("/tunoxa");
    if (!QDir(folder).exists()) {
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    return folder;
}

QString tmpFolder()
{
    return workFolder() + QStringLiteral("/tmp");
}

QString intermediatePath()
{
    return tmpFolder() + QStringLiteral("/tmp.mp4");
}

QString probeWavPath()
{
    return workFolder() + QStringLiteral("/tmp.wav");
}

QString tmpWavLeftover()
{
    return tmpFolder() + QStringLiteral("/tmpfile.wav");
}

QString tmpMp3Leftover()
{
    return tmpFolder() + QStringLiteral("/tmpfile1.mp3");
}

} // namespace AppDirs
