#include "shell/atomicfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace AtomicFile {

bool write(const QString &path, const QByteArray &content)
{
    const QFileInfo existing(path);
    if (existing.exists() &&
        (!existing.isFile() || !existing.isWritable() || !(existing.permissions() & QFile::WriteOwner)))
        return false;
    QSaveFile file(path);
    // Unbuffered, so a short write (a full disk, a size limit) shows in write()'s result: a
    // buffered flush can lose the rest silently and commit a cut file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

QByteArray readHead(const QString &path, qint64 maxBytes)
{
    // Only regular files: opening a pipe or a device could block the start-up.
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(maxBytes);
}

} // namespace AtomicFile
