#pragma once

#include <QString>

#include <optional>

// Library mode: the picture beside an album's tracks, which they take as their cover when they
// embed none.
namespace FolderCover {

// The cover image of an album's folder: the first file whose name is, letter case ignored, "cover",
// "folder", "front", "album", "albumart" or the folder's own name, in that order, with the extension
// "jpg", "jpeg" or "png", in that order.
struct Found
{
    QString path;
    qint64 modifiedNs = 0; // as the file system keeps it
};
std::optional<Found> inFolder(const QString &folder);

} // namespace FolderCover
