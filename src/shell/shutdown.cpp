#include "shell/shutdown.h"

#include "shell/appdirs.h"

#include <QCoreApplication>
#include <QFile>

namespace Shutdown {

namespace {

bool removeFile(const QString &path, int tries)
{
    for (int i = 0; i < tries && QFile::exists(path); ++i) {
        QFile::remove(path);
        QCoreApplication::processEvents();
    }
    return !QFile::exists(path);
}

} // namespace

bool removeLeftovers(int triesPerFile)
{
    const bool wavGone = removeFile(AppDirs::tmpWavLeftover(), triesPerFile);
    const bool mp3Gone = removeFile(AppDirs::tmpMp3Leftover(), triesPerFile);
    return wavGone && mp3Gone;
}

} // namespace Shutdown
