#pragma once

#include "conversion/conversionrun.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What the run benchmarks share: an album of FLAC files, the run driven as the main window drives
// it, and the same tool commands from a shell, one file after another or several at once.
namespace AlbumBench {

// The main window's settings for a run: MP3 at 320 kbit/s, 48000 Hz, stereo.
struct BenchHost
{
    static EncodingSettings mp3Settings();
};

// What a run benchmark's command line chooses: [files] [seconds per file] [files at once].
struct AlbumChoice
{
    int files = 0;
    double seconds = 0;
    int simultaneousFiles = 0;
};

// The choice of argv over defaults; none, with the usage printed for program, when a number is not
// positive.
std::optional<AlbumChoice> albumChoice(int argc, char *argv[], const char *program, AlbumChoice defaults);

// "01 Track.flac", "02 Track.flac", ... of sine tone in folder; empty when one cannot be made.
QStringList makeAlbum(const QString &folder, int files, double seconds);

// The shell command that gives the tools what the run gives them for every file of album, with
// simultaneousFiles files at once: one script of all commands when 1, else one script per file,
// each with a work file of its own, started by xargs -P. The scripts go into scriptFolder.
QString toolCommands(const QStringList &album, const QString &outputFolder, int simultaneousFiles,
                     const QString &scriptFolder);

// The least a shell does for the album: ffmpeg alone, each file straight to 320 kbit/s MP3,
// simultaneousFiles at once.
QString plainFfmpeg(const QStringList &album, const QString &outputFolder, int simultaneousFiles,
                    const QString &scriptFolder);

struct ShellFigures
{
    double wallSeconds = -1; // negative when the command failed
    double cpuSeconds = 0;   // of the shell and every tool it started
};

ShellFigures timeShell(const QString &command);

// Removes what a shell left in the work folder, so that it holds only what the run leaves.
void clearWorkFolder();

struct RunFigures
{
    double wallSeconds = 0; // from Start to the end of the run, the start delay included
    double cpuSeconds = 0;  // this process's CPU time meanwhile
    double toolCpuSeconds = 0;
    int converted = 0;
    double longestBlockMs = 0; // longest gap between ticks of a 1 ms timer; 0 when not watched
};

// The album through a ConversionRun as the window starts it, simultaneousFiles at once, with the
// format at this selector position.
RunFigures runAlbum(const QStringList &album, const QString &outputFolder, int simultaneousFiles,
                    bool watchEventLoop = false, int format = FormatTable::positionOf(OutputFormat::Mp3));

struct Spread
{
    double min = 0;
    double median = 0;
    double max = 0;
};

Spread spreadOf(QList<double> values);

} // namespace AlbumBench
