#pragma once

#include "runner/command.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

// Media made on the fly with the real ffmpeg and sox, and outputs read back with ffprobe.
namespace TestMedia {

struct ToolResult
{
    int exitCode = -1;
    bool crashed = false;
    QByteArray output; // standard output and error, merged
};

// Runs a program to its end (tests only: blocking is fine here).
ToolResult run(const QString &program, const QStringList &args, int timeoutMs = 300000);
// Runs a command the way the program does: its program with its arguments.
ToolResult runCommand(const Command &command);

// The complete program folder the build lays out (executable, data/, sound.wav, setup.ini).
QString programFolder();

// A sine-tone FLAC. bits is 16 or 24.
bool makeFlac(const QString &path, double seconds, int rate = 44100, int channels = 2, int bits = 16,
              const QMap<QString, QString> &tags = {});

// FLAC streams that the reference decoder reads and the encoder refuses, each made by the real flac
// and a few edited bytes.
enum class AwkwardFlac
{
    NoStreamInfo,      // no STREAMINFO block
    LateStreamInfo,    // STREAMINFO after the tags
    ShortMaxBlockSize, // STREAMINFO declares blocks of at most 1024 samples; they hold 4096
    BlockSize65536,    // blocks of 65536 samples (STREAMINFO says 65535, the most it can hold)
    BlockSizeOne,      // blocks of one sample each
    Bits32,            // 32 bits per sample
};

// A 44.1 kHz stereo sine tone as such a FLAC, with Vorbis comments and, unless cover is empty, that
// picture file as its front cover.
bool makeAwkwardFlac(const QString &path, AwkwardFlac kind, double seconds,
                     const QMap<QString, QString> &tags = {}, const QString &cover = {});

// Flips one byte in every 500 of the middle third of a file: a FLAC keeps most of its frame headers,
// and the encoder reports the frames it cannot decode and goes on.
bool damageFrames(const QString &path);

// A test picture, small unless a size ("3000x2000") is given; the extension chooses its format
// (".png", ".jpg").
bool makePicture(const QString &path, const QString &size = QStringLiteral("64x48"));

// A test-pattern video with a sine tone. codecArgs choose the codecs, for example
// {"-c:v", "mpeg4", "-c:a", "libmp3lame"}; empty gives ffmpeg's defaults for the extension.
bool makeVideo(const QString &path, double seconds, const QStringList &codecArgs = {},
               const QString &size = QStringLiteral("320x240"), int fps = 25);

// ffprobe -show_format -show_streams as JSON; empty when ffprobe cannot read the file.
QJsonObject probe(const QString &path);

// Convenience readers of a probe result.
QString formatName(const QJsonObject &probe);
double durationSeconds(const QJsonObject &probe);
QJsonObject firstStream(const QJsonObject &probe, const QString &codecType);
QString tag(const QJsonObject &probe, const QString &key); // format tags, else the audio's; key without case

} // namespace TestMedia
