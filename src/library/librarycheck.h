#pragma once

#include "conversion/formattable.h"
#include "conversion/recipes.h"
#include "platform/regularfile.h"

#include <QObject>
#include <QString>

#include <optional>

class ToolRunner;

// Library mode keeps a copy of a library in step: before a file converts, this looks at what its
// output path already holds. An output that is newer than its source and whole (read back, no
// more than the output check allows shorter than the source) is up to date and skipped; an older or
// short one is converted again and replaced (or only retagged, when its mark shows that the audio
// it holds is the source's); anything that is no audio or video output (a folder, a text file, an
// MP3 of another source) is left alone and the file fails. Reading an audio output needs no tool; a video
// output, or an audio output whose source declares no length, is probed once with coder.
class LibraryCheck : public QObject
{
    Q_OBJECT

public:
    enum class Decision
    {
        Convert,  // nothing is there yet
        Replace,  // an older or incomplete output of the source is there
        Skip,     // the output is up to date
        Occupied, // something that is no output of it is there
        Retag,    // the source is newer, but its audio is the one the whole output was made of
    };
    Q_ENUM(Decision)

    explicit LibraryCheck(QObject *parent = nullptr);

    // Looks at in's output, outputPath, for the format; decided follows, within this call when no
    // probe is needed (the run goes on with the next file from its own loop), or after the probe.
    // declared: the length the source's header declares. An MP3 whose mark names another source
    // that exists is no output of in's; one whose mark has in's audio and settings needs no encode.
    // sourceModifiedNs: the source's modification time in nanoseconds, as the file system keeps it.
    // through: the folder the output is looked up from, if any.
    void start(OutputFormat format, const RecipeInput &in, const QString &outputPath,
               std::optional<double> declared, qint64 sourceModifiedNs, RegularFile::Folder *through);
    // Ends a probe that runs; no decision follows.
    void stop();
    bool isRunning() const;

signals:
    void decided(Decision decision);

private:
    // An audio output is read back with no tool; nothing when a probe must measure its source.
    std::optional<Decision> audioDecision(const RecipeInput &in, const RegularFile::Reader &file,
                                          const QString &outputPath, std::optional<double> declared);
    void probeFinished();

    ToolRunner *m_probe;
    bool m_stopped = false;
    bool m_outputIsNewer = false;
    std::optional<CutRange> m_cut;
    bool m_video = false;
};
