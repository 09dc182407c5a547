#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QMimeData;

// The local files a drag from a file manager carries, as the exact bytes of their paths.
namespace DroppedFiles {

// The "text/uri-list" format.
QString uriListFormat();

// Paths of the file: URLs of a text/uri-list, in their order. Comment lines, URLs of other schemes
// and files on other hosts are left out. Percent escapes are decoded to bytes, so a name that is
// not valid UTF-8 comes through unchanged.
QList<QByteArray> fromUriList(const QByteArray &uriList);

// The dropped files of a drag's data; empty when it carries no file list.
QList<QByteArray> fromMimeData(const QMimeData *data);

} // namespace DroppedFiles
