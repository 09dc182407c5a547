#include "settings/settingsfile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QStringList splitLines(const QByteArray &content, int maxLines)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = content.size();
    while (start < n && lines.size() < maxLines) {
        qsizetype end = start;
        while (end < n && content[end] != '\n' && content[end] != '\r')
            ++end;
        lines.append(QString::fromUtf8(content.constData() + start, end - start));
        if (end < n && content[end] == '\r' && end + 1 < n && content[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

} // namespace

namespace SettingsFile {

QByteArray joinLines(const QStringList &lines)
{
    QByteArray content;
    for (const QString &line : lines)
        content += line.toUtf8() + "\r\n";
    return content;
}

QStringList readLines(const QString &path, int maxLines, qint64 maxBytes)
{
    // Only regular files: opening a pipe or a device could block the start-up.
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return splitLines(file.read(maxBytes), maxLines);
}

bool writeLines(const QString &path, const QStringList &lines)
{
    const QFileInfo existing(path);
    if (existing.exists() &&
        (!existing.isFile() || !existing.isWritable() || !(existing.permissions() & QFile::WriteOwner)))
        return false;
    const QByteArray content = joinLines(lines);
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

} // namespace SettingsFile
