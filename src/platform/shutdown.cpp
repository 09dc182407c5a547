#include "platform/shutdown.h"

#include "platform/appdirs.h"
#include "platform/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Shutdown {

bool removeLeftovers()
{
    const QString work = AppDirs::workFolder();
    if (work.isEmpty())
        return false;
    bool allGone = true;
    for (const QString &folder : {work, AppDirs::tmpFolder()}) {
        // Links and other special files are removed themselves; what a link points at stays.
        const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QFileInfo &file : files) {
            if (!file.fileName().startsWith(SingleInstance::lockFileName()) &&
                !QFile::remove(file.filePath()))
                allGone = false;
        }
    }
    // A folder in an intermediate's place is no file, yet it keeps the stage from writing there.
    return allGone && !QFileInfo::exists(AppDirs::intermediatePath()) &&
           !QFileInfo::exists(AppDirs::probeWavPath());
}

} // namespace Shutdown
