#pragma once

#include <QThread>
#include <QtGlobal>

#include <algorithm>

// The program-wide options: loaded from options.ini at start-up, edited by the options dialog,
// read by the end of a run. The main window holds them and hands them to those two.
struct ProgramSettings
{
    qint16 soundPromptIndex = 0; // entry of the sound choice: 0 "ON" (plays), 1 "OFF", -1 none
    qint16 cutterEnabled = 0;    // 1 when the music cutter is switched on
    qint32 cutStartSeconds = 0;
    qint32 cutEndSeconds = 0;
    // Files converted at once, 1 to mostSimultaneousFiles().
    int simultaneousFiles = 1;
    // Library mode: outputs keep the added folders' structure and plain names, and up-to-date
    // outputs are skipped.
    bool libraryMode = false;

    // The number of processor cores.
    static int mostSimultaneousFiles() { return std::max(1, QThread::idealThreadCount()); }

    // Only 0 plays the completion sound.
    bool playsCompletionSound() const { return soundPromptIndex == 0; }

    bool operator==(const ProgramSettings &) const = default;
};
