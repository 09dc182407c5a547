#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// Lengths read straight from files, with no tool: what a WAV holds and what an MP3 plays (what a
// FLAC declares is FlacMetadata::streamInfo's). Reading takes a few header bytes (an MP3 without a frame
// count is walked frame by frame through a mapping of the file), so a finished output can be checked at once.
namespace MediaLength {

// The length of the samples a WAV file holds, in seconds: its data chunk, as far as the file
// really reaches. Nothing when the file is no readable WAV.
std::optional<double> wavSeconds(const QString &path);

// The playing time of an MPEG audio layer III file, in seconds: the frame count of its Info/Xing
// frame when it gives the stream's byte count too and that agrees with the file's size, otherwise the frames
// walked one by one up to the first that is not whole. Nothing when no frame can be read.
std::optional<double> mp3Seconds(const QString &path);
// The same of a file's bytes.
std::optional<double> mp3Seconds(QByteArrayView file);
// The same from the first frame alone (the bytes after the ID3v2 tag), when its Info/Xing frame
// tells it for the audioBytes that follow the tag; nothing when the frames would have to be walked.
std::optional<double> infoFrameSeconds(QByteArrayView firstFrame, qint64 audioBytes);

} // namespace MediaLength
