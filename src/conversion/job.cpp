#include "conversion/job.h"

#include <QFile>

bool Job::pathIsExact() const
{
    // The name survives a trip through text, which is what every tool's arguments are.
    return QFile::encodeName(QFile::decodeName(native)) == native;
}
