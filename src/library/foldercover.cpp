#include "library/foldercover.h"

#include <QFile>
#include <QMap>
#include <QStringList>

#include <algorithm>
#include <iterator>

#include <dirent.h>
#include <sys/stat.h>

namespace FolderCover {

std::optional<Found> inFolder(const QString &folder)
{
    const QString own = folder.mid(folder.lastIndexOf(u'/') + 1).toCaseFolded();
    const QStringList bases{QStringLiteral("cover"), QStringLiteral("folder"),   QStringLiteral("front"),
                            QStringLiteral("album"), QStringLiteral("albumart"), own};
    static constexpr const char *extensions[] = {"jpg", "jpeg", "png"};
    constexpr qsizetype extensionCount = std::size(extensions);
    // Read with no look at each entry: most folders hold tracks alone, told apart by their
    // extension with no text made of their names.
    DIR *entries = ::opendir(QFile::encodeName(folder).constData());
    if (!entries)
        return std::nullopt;
    // The candidates by rank; the first that is a regular file is the cover (a dangling link or a
    // folder named like a cover hides none behind it).
    QMap<qsizetype, QString> candidates;
    while (const dirent *entry = ::readdir(entries)) {
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            continue;
        const QByteArrayView raw(entry->d_name);
        const qsizetype dot = raw.lastIndexOf('.');
        if (dot <= 0)
            continue;
        const QByteArrayView rawExtension = raw.sliced(dot + 1);
        const auto known =
            std::find_if(std::begin(extensions), std::end(extensions), [&](const char *extension) {
                return qstrnicmp(rawExtension.data(), rawExtension.size(), extension) == 0;
            });
        if (known == std::end(extensions))
            continue;
        const qsizetype extension = known - std::begin(extensions);
        const qsizetype base = bases.indexOf(QFile::decodeName(raw.first(dot).toByteArray()).toCaseFolded());
        if (base >= 0 && !candidates.contains(base * extensionCount + extension))
            candidates.insert(base * extensionCount + extension, QFile::decodeName(entry->d_name));
    }
    ::closedir(entries);
    for (const QString &name : std::as_const(candidates)) {
        struct stat status = {};
        const QString path = folder + u'/' + name;
        if (::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode))
            return Found{path, qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
    }
    return std::nullopt;
}

} // namespace FolderCover
