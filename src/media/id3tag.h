#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

// The ID3v2 tag at the start of an MP3, read and written with no tool.
namespace Id3Tag {

using Fetch = std::function<QByteArray(qint64 offset, qsizetype count)>;

// The bytes of an ID3v2 tag that starts header (its header, body and footer); 0 when none does.
qint64 tagSize(QByteArrayView header);

// What is read of a tag at a time: the frames of a few user texts fit.
inline constexpr qsizetype PartBytes = 4096;

// The user texts (TXXX frames) of the ID3v2.3 or 2.4 tag at the file's start, description and
// value, in file order, bytes coming as fetch(offset, count) gives them: only the tag's header, the
// frames' headers and the user texts are asked for, a few kilobytes at a time, so a picture costs
// nothing. Empty for a file with no such tag, or an unsynchronised one.
QList<QPair<QString, QString>> userTexts(const Fetch &fetch);

// Writes target anew: the ID3v2 tag of tagFrom, then the audio of audioFrom (all that follows its
// own ID3v2 tag) byte for byte. False when either cannot be read, tagFrom has no tag, or target
// cannot be written whole.
bool splice(const QString &tagFrom, const QString &audioFrom, const QString &target);

} // namespace Id3Tag
