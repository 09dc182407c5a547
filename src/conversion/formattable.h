#pragma once

#include "conversion/outputformat.h"

#include <QString>
#include <QStringList>

#include <optional>

// The output formats and their encoding settings: the entries of the format selector and of the
// six settings boxes, their captions, the defaults that choosing a format loads, and which tools
// each format runs. The main window fills its combo boxes from here.

// Texts a format's choice writes into the settings boxes, in the order they are written:
// videoBitrateCombo, frameRateCombo, sizeCombo, sampleRateCombo, audioBitrateCombo, then the selected
// position of channelCombo. A video text left empty (MP3) means the box keeps whatever it shows.
struct FormatDefaults
{
    std::optional<QString> videoBitrate; // videoBitrateCombo
    std::optional<QString> frameRate;    // frameRateCombo
    std::optional<QString> size;         // sizeCombo
    QString sampleRate;                  // sampleRateCombo
    QString audioBitrate;                // audioBitrateCombo
    int channelIndex = 1;                // channelCombo
};

// The settings as the boxes show them when a command is built.
struct EncodingSettings
{
    QString videoBitrate;  // videoBitrateCombo text
    QString frameRate;     // frameRateCombo text
    QString size;          // sizeCombo text
    QString sampleRate;    // sampleRateCombo text
    QString audioBitrate;  // audioBitrateCombo text
    int channelIndex = -1; // channelCombo position; -1 when none is selected
};

// Positions the settings boxes get at start-up, before any saved settings; setting formatCombo last
// loads that format's defaults over sampleRateCombo and audioBitrateCombo.
struct StartupPositions
{
    int audioBitrate = 7; // audioBitrateCombo: "96"
    int sampleRate = 1;   // sampleRateCombo: "44100"
    int channel = 1;      // channelCombo: "双声道"
    int format = 0;       // formatCombo: RMVB
};

namespace FormatTable {

// The format at a selector position; none outside 0..11.
std::optional<OutputFormat> formatAt(int position);

// Entries of the combo boxes, in list order.
QStringList formatEntries();       // formatCombo
QStringList videoBitrateEntries(); // videoBitrateCombo
QStringList frameRateEntries();    // frameRateCombo
QStringList sizeEntries();         // sizeCombo
QStringList sampleRateEntries();   // sampleRateCombo
QStringList audioBitrateEntries(); // audioBitrateCombo
QStringList channelEntries();      // channelCombo

// The sizeCombo entry that keeps the input's frame size, in the interface's language.
QString originalSize();
// The text keeps the input's frame size: that entry in this language or in the original one (a
// setting written in Chinese, tunoxa-batch -s). Any other text names a size.
bool keepsOriginalSize(const QString &sizeText);

// Caption labels of the settings area.
QString outputFormatCaption(); // formatLabel
QString mp3Caption();          // mp3Label
QString videoBitrateCaption(); // videoBitrateLabel
QString frameRateCaption();    // frameRateLabel
QString sizeCaption();         // sizeLabel
QString sampleRateCaption();   // sampleRateLabel
QString audioBitrateCaption(); // audioBitrateLabel
QString channelCaption();      // channelLabel
QString outputPathCaption();   // outputFolderLabel

// What loadFormatDefaults loads for a format.
FormatDefaults defaultsFor(OutputFormat format);
// The format's defaults as settings to convert with; the video texts of an audio format are
// empty, since its recipes read none of them.
EncodingSettings defaultSettings(OutputFormat format);

// The format's name on a command line: "mp3", "rmvb", "rm", "mpg", "avi", "mp4hd", "mov",
// "mp4mobile", "3gp", "opus", "aac", "vorbis".
QString commandName(OutputFormat format);
// The format of that name; none for any other text.
std::optional<OutputFormat> formatNamed(const QString &commandName);

StartupPositions startupPositions();

// File extension of the final output, with its dot: ".rmvb", ..., ".mp3", ".opus", ".m4a", ".ogg".
QString extension(OutputFormat format);

// How the format's output holds its audio and tags; None for the video formats.
AudioContainer container(OutputFormat format);
// The container of an output by its file name's extension; None for any other name.
AudioContainer containerOfPath(QStringView path);

// The encoder converts the source in one run that reads it itself: every audio format in library
// mode, and in any mode one whose only stage is that encode.
bool encodesAtOnce(OutputFormat format, bool library);

// A setting the format's encoder would refuse, as "kbit/s" or "Hz" text for a warning, in the
// interface's language: a bitrate outside its range, or a sample rate it does not take. Empty
// when it takes them all.
QString refusedSetting(OutputFormat format, const EncodingSettings &settings);
// Whether the format's encoder takes a sample rate text.
bool takesSampleRate(OutputFormat format, const QString &rate);
// The sample rate the format always encodes at; empty when the rate box decides.
QString fixedSampleRate(OutputFormat format);

// RMVB, RM, MOV and the two phone formats convert to an intermediate first, then from it.
bool isTwoStage(OutputFormat format);

// The tool names of the stages, in the order they run: "conv" then "coder" or "coder2" for the
// two-stage formats, "conv" alone for MPG, AVI and HD MP4, and "sox", "coder" (duration probe),
// "coder" (encode) for MP3, "coder" alone for the other audio formats.
QStringList stageTools(OutputFormat format);

} // namespace FormatTable
