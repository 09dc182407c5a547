#include "platform/workpaths.h"

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
