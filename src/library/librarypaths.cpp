#include "library/librarypaths.h"

#include <QStringList>

#include <algorithm>

namespace LibraryPaths {

namespace {

bool isFatForbidden(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x80)
        return false;
    return u < 0x20 || u == 0x7F || u == u'?' || u == u'"' || u == u':' || u == u'*' || u == u'<' ||
           u == u'>' || u == u'|' || u == u'\\';
}

bool isFatSafe(QStringView name)
{
    return !name.isEmpty() && !name.endsWith(u'.') && !name.endsWith(u' ') &&
           std::none_of(name.begin(), name.end(), isFatForbidden);
}

} // namespace

bool isFatSafePath(QStringView path)
{
    for (const QStringView name : path.split(u'/', Qt::SkipEmptyParts)) {
        if (!isFatSafe(name))
            return false;
    }
    return true;
}

QString fatSafeName(const QString &name)
{
    // Most names are safe already: they are kept as they are, with no copy.
    if (isFatSafe(name))
        return name;
    QString safe = name;
    for (QChar &c : safe) {
        if (isFatForbidden(c))
            c = u'_';
    }
    while (safe.endsWith(u'.') || safe.endsWith(u' '))
        safe.chop(1);
    return safe.isEmpty() ? QStringLiteral("_") : safe;
}

QString libraryFolder(const QString &outputFolder, const QString &inputPath, const QString &sourceFolder,
                      bool fatSafe)
{
    if (sourceFolder.isEmpty())
        return outputFolder;
    const QString below = sourceFolder == u"/" ? sourceFolder : sourceFolder + QLatin1Char('/');
    const QString name =
        sourceFolder == u"/" ? QString() : sourceFolder.mid(sourceFolder.lastIndexOf(u'/') + 1);
    const qsizetype fileStart = inputPath.lastIndexOf(QLatin1Char('/')) + 1;
    const QString inside =
        inputPath.startsWith(below) ? inputPath.mid(below.size(), fileStart - below.size()) : QString();
    QString folder = outputFolder + name;
    if (!name.isEmpty())
        folder += QLatin1Char('/');
    const QString created = name.isEmpty() ? inside : name + u'/' + inside;
    const auto namesAreSafe = [&created] {
        for (const QStringView part : QStringView(created).split(u'/', Qt::SkipEmptyParts)) {
            if (!isFatSafe(part))
                return false;
        }
        return true;
    };
    if (!fatSafe || namesAreSafe())
        return folder + inside;
    // Each name below the output folder, the added folder's own included.
    QStringList parts = created.split(u'/', Qt::SkipEmptyParts);
    for (QString &part : parts)
        part = fatSafeName(part);
    return outputFolder + (parts.isEmpty() ? QString() : parts.join(u'/') + u'/');
}

} // namespace LibraryPaths
