#include "conversion/fileconversion.h"

#include "conversion/flacfallback.h"
#include "conversion/formatfacts.h"
#include "conversion/outputcheck.h"
#include "conversion/recipes.h"
#include "conversion/runtexts.h"
#include "conversion/sourcereading.h"
#include "conversion/stageverdict.h"
#include "library/librarytags.h"
#include "media/medialength.h"
#include "media/oggstream.h"
#include "runner/outputparsers.h"
#include "runner/toolrunner.h"
#include "settings/numbertext.h"

#include <QFile>

#include <algorithm>
#include <utility>

// The MP3 encode's side of a conversion: the readings of the source by the reference decoder and by
// the encode itself, weighed, and the encode of the decode when only the reference decoder read it
// whole.

void FileConversion::startDecode()
{
    const Step &step = currentStep();
    if (step.kind == Step::Kind::ReferenceDecode && !step.withFlac) {
        removeWorkFiles();
        m_workFilesUsed = true;
    }
    runStage(*m_soxRunner, step.withFlac ? FlacFallback::decodeCommand(m_job.recipe)
                                         : Recipes::referenceDecode(m_job.recipe));
}

void FileConversion::decodeFinished()
{
    // A decode that could not read the source is no failure yet: the encode reads the source
    // itself. One that read it only in part tells that the source is damaged.
    m_decodedSeconds = MediaLength::wavSeconds(m_work.probeWav);
    // SoX leaves a bare header behind when it cannot read the source.
    if (m_decodedSeconds && *m_decodedSeconds <= 0)
        m_decodedSeconds.reset();
    // SoX cannot read some streams that the reference decoder reads: it is asked next.
    if (!m_decodedSeconds && !currentStep().withFlac) {
        emit stageEnded(m_job.id, m_runningCommand.toolName, false);
        m_plan[m_step].withFlac = true;
        startDecode();
        return;
    }
    const std::optional<FileFailure> problem = SourceReading::decodeProblem(m_soxRunner->output());
    emit stageEnded(m_job.id, m_runningCommand.toolName, m_decodedSeconds && !problem);
    if (problem) {
        failFile(*problem);
        return;
    }
    if (currentStep().kind == Step::Kind::ReferenceDecode) {
        m_referenceDecoded = true;
        m_runningCommand = m_encodeCommand;
        sourceEncodeFinished();
        return;
    }
    runNextStep();
}

void FileConversion::startSourceEncode()
{
    // Only an encode that reads the source first knows the length from the source's header; after
    // a decode and a probe, the probe has told it.
    if (FormatTable::encodesAtOnce(m_job.format, m_job.library)) {
        if (m_job.recipe.cut && !measureCut(m_declaredSeconds)) {
            failFile({FileFailure::Kind::CutBeyondInput, {}});
            return;
        }
        if (!m_job.recipe.cut && m_declaredSeconds)
            m_toolProgress.setDurationSeconds(qint32(NumberText::roundHalfEven(*m_declaredSeconds)));
    }
    runStage(*m_coderRunner, encodeCommand());
}

ToolCommand FileConversion::encodeCommand()
{
    if (m_job.recipe.mark && container()->markWay == ContainerFacts::MarkWay::CommentsFile)
        writeCommentsFile();
    const int last = int(FormatTable::facts(m_job.format).stages.size()) - 1;
    return Recipes::stage(m_job.format, last, m_job.recipe, m_outputChooser);
}

void FileConversion::writeCommentsFile()
{
    QByteArray text = m_sourceTagsText.isEmpty() ? QByteArrayLiteral(";FFMETADATA1\n") : m_sourceTagsText;
    if (!text.endsWith('\n'))
        text += '\n';
    for (const auto &[name, value] : m_job.recipe.mark->fields())
        text += FlacFallback::ffmetadataLine(name, value);
    if (m_job.recipe.keepCover) {
        QByteArray image;
        if (m_job.recipe.coverFile.isEmpty()) {
            image = m_job.head.picture().data;
        } else {
            QFile cover(m_job.recipe.coverFile);
            if (cover.open(QIODevice::ReadOnly))
                image = cover.readAll();
        }
        if (!image.isEmpty())
            text += FlacFallback::ffmetadataLine(QStringLiteral("METADATA_BLOCK_PICTURE"),
                                                 QString::fromLatin1(OggStream::pictureComment(image)));
    }
    m_workFilesUsed = true;
    QFile file(m_work.tags);
    // Without the file the encode fails, and says so.
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
    m_job.recipe.metadataFile = m_work.tags;
}

void FileConversion::sourceEncodeFinished()
{
    m_encodeCommand = m_runningCommand;
    const QString output = m_coderRunner->output();
    const bool exited = m_coderRunner->endStatus() == ToolRunner::EndStatus::Exited;
    if (!exited || StageVerdict::mentionsFullDisk(output)) {
        if (judgeStage(*m_coderRunner, true))
            runNextStep();
        return;
    }
    if (SourceReading::reportsChecksumError(output)) {
        failEncode({FileFailure::Kind::DamagedSource, {}});
        return;
    }
    SourceReading::Lengths lengths{m_declaredSeconds, m_decodedSeconds, std::nullopt};
    if (m_coderRunner->exitCode() == 0)
        lengths.encoded = OutputCheck::audioSeconds(m_partialOutput);
    const SourceReading::Verdict verdict = SourceReading::afterEncode(lengths, m_job.recipe.cut);
    const bool decodingFailed =
        StageVerdict::coderFoundNothing(output) || StageVerdict::coderSkippedFrames(output);
    // Library mode decodes nothing before the encode: the reference decoder is asked only when the
    // encode's own reading of the source complains or falls short.
    const bool complained = decodingFailed || m_coderRunner->exitCode() != 0;
    if (FormatTable::encodesAtOnce(m_job.format, m_job.library) && !m_referenceDecoded &&
        (complained || verdict != SourceReading::Verdict::EncodeStands)) {
        insertNext({{Step::Kind::ReferenceDecode}});
        runNextStep();
        return;
    }
    if (verdict == SourceReading::Verdict::EncodeStands) {
        if (judgeStage(*m_coderRunner, true))
            runNextStep();
        return;
    }
    // A cover the MP3 cannot hold (a picture ID3 has no type for) fails the encode that keeps it;
    // the music converts all the same, without it.
    if (m_coderRunner->exitCode() != 0 && m_job.recipe.keepCover && !decodingFailed) {
        m_runningRunner = nullptr;
        emit stageEnded(m_job.id, m_encodeCommand.toolName, false);
        m_job.recipe.keepCover = false;
        runStage(*m_coderRunner, encodeCommand());
        return;
    }
    switch (verdict) {
    case SourceReading::Verdict::EncodeTheDecode:
        m_runningRunner = nullptr;
        emit stageEnded(m_job.id, m_encodeCommand.toolName, false);
        insertNext({{Step::Kind::EncodeDecode}});
        runNextStep();
        return;
    case SourceReading::Verdict::Damaged:
        failEncode({FileFailure::Kind::DamagedSource, {}});
        return;
    case SourceReading::Verdict::Undecodable:
    case SourceReading::Verdict::EncodeStands:
        failEncode({FileFailure::Kind::UndecodableSource, {}});
        return;
    }
}

void FileConversion::failEncode(const FileFailure &failure)
{
    m_runningRunner = nullptr;
    emit stageEnded(m_job.id, m_encodeCommand.toolName, false);
    failFile(failure);
}

void FileConversion::startEncodeOfDecode()
{
    m_carriedOver = FlacFallback::writeMetadata(m_job.head, m_work.tags, m_work.picture);
    if (!FormatTable::facts(m_job.format).stages.back().decodeOptions.isNull()) {
        runStage(*m_coderRunner, FlacFallback::encodeCommand(m_job.format, m_job.recipe, m_work.probeWav,
                                                             m_carriedOver, m_outputChooser));
        return;
    }
    // The others encode the decode with their own stage, the source's tags coming from the file.
    RecipeInput &recipe = m_job.recipe;
    recipe.readFrom = m_work.probeWav;
    recipe.metadataFile = m_carriedOver.tagsPath;
    if (recipe.mark && container()->markWay == ContainerFacts::MarkWay::CommentsFile) {
        QFile tags(m_carriedOver.tagsPath);
        if (!m_carriedOver.tagsPath.isEmpty() && tags.open(QIODevice::ReadOnly))
            m_sourceTagsText = tags.readAll();
    } else if (recipe.coverFile.isEmpty() && !m_carriedOver.picturePath.isEmpty() &&
               (recipe.keepCover || !m_job.library)) {
        recipe.coverFile = m_carriedOver.picturePath;
        recipe.keepCover = true;
    }
    runStage(*m_coderRunner, encodeCommand());
}

bool FileConversion::judgeStage(ToolRunner &runner, bool readsSource)
{
    StageOutcome outcome;
    outcome.crashed = runner.endStatus() != ToolRunner::EndStatus::Exited;
    outcome.exitCode = runner.exitCode();
    outcome.output = runner.output();
    outcome.writtenPath = m_runningCommand.outputPath;
    // An audio encode's reading of the source is weighed against the reference decoder's before.
    outcome.readsSource = readsSource && !isAudio();
    outcome.sourcePath = m_job.recipe.inputPath;
    if (m_job.recipe.cut && readsSource) {
        outcome.cutStartSeconds = m_job.recipe.cut->startSeconds;
        outcome.cutEndSeconds = m_job.recipe.cut->endSeconds;
    }
    if (const std::optional<SampleRange> &range = m_job.recipe.range; range && readsSource) {
        outcome.cutStartSeconds = double(range->start) / range->rate;
        outcome.cutEndSeconds = double(range->end) / range->rate;
    }
    std::optional<FileFailure> failure = StageVerdict::failure(outcome);
    emit stageEnded(m_job.id, m_runningCommand.toolName, !failure);
    if (!failure)
        return true;
    // The tool names the output by its hidden name, which means nothing to whoever reads this.
    if (failure->kind == FileFailure::Kind::ToolSaid && !m_partialOutput.isEmpty())
        failure->detail.replace(m_partialOutput, m_wantedOutput);
    // The name was free when the stage began, so the file is this stage's own.
    if (!m_runningCommand.outputPath.isEmpty())
        QFile::remove(m_runningCommand.outputPath);
    failFile(*failure);
    return false;
}

void FileConversion::probeFinished()
{
    if (!isAudio()) {
        outputProbeFinished();
        return;
    }
    emit stageEnded(m_job.id, m_runningCommand.toolName, true);
    // The decode stays until the encode has ended: the encode may have to read it instead.
    if (m_job.recipe.cut && !measureCut(OutputParsers::announcedDuration(m_probeRunner->output()))) {
        failFile({FileFailure::Kind::CutBeyondInput, {}});
        return;
    }
    runNextStep();
}

bool FileConversion::measureCut(std::optional<double> duration)
{
    if (!duration)
        return true;
    const CutRange &cut = *m_job.recipe.cut;
    if (cut.startSeconds >= *duration)
        return false;
    const double end = cut.endSeconds > 0 ? std::min<double>(cut.endSeconds, *duration) : *duration;
    // The bar runs over the part that is converted.
    m_toolProgress.setDurationSeconds(qint32(NumberText::roundHalfEven(end - cut.startSeconds)));
    return true;
}

bool FileConversion::takeRange(SampleRange range, const QString &outputStem)
{
    m_job.recipe.outputStem = outputStem;
    // The cutter cuts within the part, which stands for a whole source.
    if (const std::optional<CutRange> cut = std::exchange(m_job.recipe.cut, std::nullopt)) {
        const qint64 start = range.start + qint64(cut->startSeconds) * range.rate;
        if (start >= range.end) {
            failFile({FileFailure::Kind::CutBeyondInput, {}});
            return false;
        }
        if (cut->endSeconds > 0)
            range.end = std::min(range.end, range.start + qint64(cut->endSeconds) * range.rate);
        range.start = start;
    }
    m_job.recipe.range = range;
    m_declaredSeconds = range.seconds();
    m_job.recipe.tagOverrides = LibraryTags::trackOverrides(m_job.tags, FormatTable::container(m_job.format));
    return true;
}
