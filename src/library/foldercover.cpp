#include "library/foldercover.h"

#include <QFile>
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
    qsizetype best = bases.size() * extensionCount;
    QString bestName;
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
        if (base < 0 || base * extensionCount + extension >= best)
            continue;
        best = base * extensionCount + extension;
        bestName = QFile::decodeName(entry->d_name);
    }
    ::closedir(entries);
    struct stat status = {};
    const QString path = folder + u'/' + bestName;
    if (bestName.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0 ||
        !S_ISREG(status.st_mode))
        return std::nullopt;
    return Found{path, qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

} // namespace FolderCover
