#include "platform/workpaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

WorkPaths WorkPaths::inFolder(const QString &workFolder, int slot)
{
    if (workFolder.isEmpty())
        return {};
    const QString suffix = slot <= 1 ? QString() : QStringLiteral("-%1").arg(slot);
    const QString scratch = scratchFolder(workFolder);
    // The decode lies beside the scratch folder, under the same name.
    return {scratch + QStringLiteral("/tmp") + suffix + QStringLiteral(".mp4"),
            scratch + suffix + QStringLiteral(".wav"),
            scratch + QStringLiteral("/tags") + suffix + QStringLiteral(".txt"),
            scratch + QStringLiteral("/cover") + suffix,
            scratch + QStringLiteral("/tag") + suffix + QStringLiteral(".mp3")};
}

QString WorkPaths::scratchFolder(const QString &workFolder)
{
    return workFolder + QStringLiteral("/tmp");
}

QString WorkPaths::makeSourceLink(const QString &workFolder, quint64 key, const QString &shownPath,
                                  const QByteArray &native)
{
#ifdef Q_OS_UNIX
    // A work folder that cannot be used is no place for the link: the file then cannot be reached.
    if (workFolder.isEmpty())
        return {};
    const QString name = QFileInfo(readableName(shownPath)).fileName();
    const QString folder = workFolder + QStringLiteral("/names/") + QString::number(key);
    const QString link = folder + QLatin1Char('/') + name;
    QFile::remove(link); // a leftover of an earlier session with the same key
    if (!QDir().mkpath(folder))
        return {};
    if (::symlink(native.constData(), QFile::encodeName(link).constData()) != 0)
        return {};
    return link;
#else
    Q_UNUSED(workFolder);
    Q_UNUSED(key);
    Q_UNUSED(native);
    return shownPath;
#endif
}

QString WorkPaths::readableName(const QString &shownPath)
{
    QString name = shownPath;
    return name.replace(QChar::ReplacementCharacter, QLatin1Char('_'));
}

void WorkPaths::removeSourceLink(const QString &link)
{
    if (link.isEmpty())
        return;
    QFile::remove(link);
    QDir().rmdir(QFileInfo(link).path());
}
