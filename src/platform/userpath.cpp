#include "platform/userpath.h"

#include <QDir>

namespace UserPath {

bool isAbsolute(const QString &path)
{
    return !path.startsWith(QLatin1Char(':')) && QDir::isAbsolutePath(path);
}

QString absolute(const QString &path, const QString &base)
{
    return isAbsolute(path) ? path : base + QLatin1Char('/') + path;
}

} // namespace UserPath
