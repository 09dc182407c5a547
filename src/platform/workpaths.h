#pragma once

#include <QByteArray>
#include <QString>

// The work files of one file being converted.
struct WorkPaths
{
    QString intermediate; // between the two stages of RMVB, RM, MOV and the phone formats
    QString probeWav;     // the decode the MP3 duration probe reads
    // The source's tags and cover, for an MP3 encoded from the decode; the cover's name gains the
    // extension of its type.
    QString tags = {};
    QString picture = {};
    // Library mode: a new ID3v2 tag for an output's audio, written by the encoder with one frame
    // of silence after it.
    QString tag = {};

    // The work files of the run's file slot `slot` in workFolder: slot 1 uses "tmp/tmp.mp4",
    // "tmp.wav", "tmp/tags.txt", "tmp/cover" and "tmp/tag.mp3", slot k "tmp/tmp-k.mp4",
    // "tmp-k.wav", "tmp/tags-k.txt", "tmp/cover-k" and "tmp/tag-k.mp3". All empty for an empty folder.
    static WorkPaths inFolder(const QString &workFolder, int slot = 1);
    // workFolder + "/tmp": the folder of the work files that every run creates.
    static QString scratchFolder(const QString &workFolder);

    // A path the tools can be given for a file whose name is not valid UTF-8: a symbolic link in
    // workFolder + "/names/" + key that points at the exact bytes native and is named as the
    // readable part of shownPath, its unreadable characters as "_" (so outputs named after it stay
    // recognisable). Empty when it cannot be made.
    static QString makeSourceLink(const QString &workFolder, quint64 key, const QString &shownPath,
                                  const QByteArray &native);
    // A shown path as the tools' path for it reads: its unreadable characters as "_".
    static QString readableName(const QString &shownPath);
    // Removes a link makeSourceLink made, and its folder.
    static void removeSourceLink(const QString &link);
};
