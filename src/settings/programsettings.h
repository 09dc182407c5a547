#pragma once

#include <QThread>
#include <QtGlobal>

#include <algorithm>

// The program-wide options: loaded from options.ini at start-up, edited by the options dialog,
// read by the end of a run. The main window holds them and hands them to those two. Each field's
// initial value is its default; ProgramOptions says how each is stored, read and offered.
struct ProgramSettings
{
    // The sound choice's entry: On plays the completion sound, Off does not. Any other value that
    // options.ini holds is kept as read: the options dialog shows no entry, and no sound plays.
    enum class SoundChoice : qint16
    {
        On = 0,
        Off = 1
    };
    // The music cutter's switch. Any other value that options.ini holds is kept as read: the options
    // dialog shows the switch off, and a run cuts.
    enum class CutterSwitch : qint16
    {
        Off = 0,
        On = 1
    };

    SoundChoice soundChoice = SoundChoice::On;
    CutterSwitch cutter = CutterSwitch::Off;
    qint32 cutStartSeconds = 0;
    qint32 cutEndSeconds = 0;
    // Files converted at once, 1 to mostSimultaneousFiles().
    int simultaneousFiles = 1;
    // Library mode: outputs keep the added folders' structure and plain names, and up-to-date
    // outputs are skipped.
    bool libraryMode = false;
    // Library mode: outputs whose source is gone are deleted at the end of a run (after a question).
    bool deleteOrphans = false;
    // Library mode: the longest edge of a cover, in pixels; a larger one is scaled down. 0 keeps it.
    qint32 coverEdge = 1000;
    // Library mode: names that FAT and exFAT can store.
    bool fatNames = true;

    // The number of processor cores.
    static int mostSimultaneousFiles() { return std::max(1, QThread::idealThreadCount()); }

    bool playsCompletionSound() const { return soundChoice == SoundChoice::On; }
    // Only a switch that is Off leaves the inputs whole.
    bool cuts() const { return cutter != CutterSwitch::Off; }

    bool operator==(const ProgramSettings &) const = default;
};
