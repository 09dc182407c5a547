#include "conversion/job.h"

#include <QFile>

bool Job::pathIsExact() const
{
    // The name survives a trip through text, which is what every tool's arguments are.
    return QFile::encodeName(QFile::decodeName(native)) == native;
}

QString Job::label() const
{
    return track > 0 ? path + QStringLiteral(" [%1]").arg(track, 2, 10, QLatin1Char('0')) : path;
}
