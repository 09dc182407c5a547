#include "library/librarycheck.h"

#include "conversion/outputcheck.h"
#include "library/librarymark.h"
#include "platform/regularfile.h"
#include "runner/outputparsers.h"
#include "runner/toolrunner.h"

LibraryCheck::LibraryCheck(QObject *parent)
    : QObject(parent)
    , m_probe(new ToolRunner(this))
{
    connect(m_probe, &ToolRunner::finished, this, &LibraryCheck::probeFinished);
    // Without coder the conversion cannot start either, and says so.
    connect(m_probe, &ToolRunner::startFailed, this, [this] {
        if (!m_stopped)
            emit decided(Decision::Replace);
    });
}

void LibraryCheck::start(OutputFormat format, const RecipeInput &in, const QString &outputPath,
                         std::optional<double> declared, qint64 sourceModifiedNs,
                         RegularFile::Folder *through)
{
    m_stopped = false;
    // The output is opened once, what it is and its time with it (as the file system keeps it: no
    // time zone to look up); a link in its place is no output.
    const RegularFile::Reader output(outputPath, RegularFile::Reader::Links::Refuse, through);
    if (output.kind() != RegularFile::Kind::Regular) {
        emit decided(output.kind() == RegularFile::Kind::Missing ? Decision::Convert : Decision::Occupied);
        return;
    }
    // An empty file is what a process killed while taking this name on FAT leaves.
    if (output.size() == 0) {
        emit decided(Decision::Replace);
        return;
    }
    // A file system that keeps coarse times (FAT: 2 s) can make an output written just after its
    // source look older; within that step the output counts as the newer.
    m_outputIsNewer = output.modifiedNs() + output.timeGranularityNs() > sourceModifiedNs;
    m_cut = in.cut;
    m_video = FormatTable::container(format) == AudioContainer::None;
    if (!m_video) {
        if (const std::optional<Decision> decision = audioDecision(in, output, outputPath, declared)) {
            emit decided(*decision);
            return;
        }
    }
    m_probe->start(Recipes::outputProbe(in, outputPath).command);
}

std::optional<LibraryCheck::Decision> LibraryCheck::audioDecision(const RecipeInput &in,
                                                                  const RegularFile::Reader &file,
                                                                  const QString &outputPath,
                                                                  std::optional<double> declared)
{
    const LibraryOutput output = LibraryOutput::read(file, outputPath);
    if (!output.seconds)
        return Decision::Occupied;
    const std::optional<LibraryMark> &mark = output.mark;
    if (mark && in.mark && mark->source != in.mark->source &&
        !RegularFile::isGone(LibraryMark::sourcePath(mark->source)))
        return Decision::Occupied;
    // A source that declares no length is measured by a probe, when the output may be up to date.
    if (!declared)
        return m_outputIsNewer ? std::nullopt : std::optional<Decision>(Decision::Replace);
    if (!OutputCheck::lengthWhole(output.seconds, OutputCheck::expectedSeconds(declared, m_cut)))
        return Decision::Replace;
    if (m_outputIsNewer)
        return Decision::Skip;
    const bool sameAudio =
        mark && in.mark && !in.mark->contentKey().isEmpty() && mark->contentKey() == in.mark->contentKey();
    return sameAudio ? Decision::Retag : Decision::Replace;
}

void LibraryCheck::stop()
{
    m_stopped = true;
    m_probe->terminate();
}

bool LibraryCheck::isRunning() const
{
    return m_probe->isRunning();
}

void LibraryCheck::probeFinished()
{
    if (m_stopped)
        return;
    const QString output = m_probe->output();
    const std::optional<OutputParsers::ProbedInputs> inputs = OutputParsers::probedInputs(output);
    const bool readable = inputs && OutputParsers::announcedDuration(inputs->second).value_or(0) > 0;
    if (!readable) {
        emit decided(Decision::Occupied);
        return;
    }
    if (!m_outputIsNewer) {
        emit decided(Decision::Replace);
        return;
    }
    // An MP3 was read already; the probe gave its source's length. A video is judged from the probe.
    const bool whole = OutputCheck::probedWhole(output, m_cut, m_video ? OutputCheck::VideoSlackShare : 0);
    emit decided(whole ? Decision::Skip : Decision::Replace);
}
