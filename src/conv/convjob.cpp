#include "convjob.h"

#include "runner/childprocess.h"
#include "runner/toolphrases.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// ffmpeg reports a few times a second; conv prints at most one position line per report.
const QStringList encoderOptions{
    QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),      QStringLiteral("-nostats"),
    QStringLiteral("-loglevel"),    QStringLiteral("error"),         QStringLiteral("-progress"),
    QStringLiteral("pipe:1"),       QStringLiteral("-stats_period"), QStringLiteral("0.25")};

// Slack between the input's announced duration and the time the encoder reached.
constexpr double completenessSlackSeconds = 1.0;
constexpr int killAfterMs = 3000;
// A reader that polls the pipe (the program's runner reads every 50 ms) and takes the first
// percentage of each read must get the final "(100%)" in a read of its own.
constexpr qint64 minLineGapMs = 150;
constexpr qsizetype keptErrorBytes = 8192;

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

ConvJob::ConvJob(ConvMapping::Plan plan, Tools tools, QObject *parent)
    : QObject(parent)
    , m_plan(std::move(plan))
    , m_tools(std::move(tools))
{}

void ConvJob::start()
{
    const QFileInfo input(m_plan.input);
    if (!input.exists())
        return fail(QStringLiteral("File not found: '%1'").arg(m_plan.input));
    if (input.isDir())
        return fail(QStringLiteral("'%1' is a folder, not a media file").arg(m_plan.input));
    m_outputBefore = fileState(m_plan.output);
    const FileState in = fileState(m_plan.input);
    if (m_outputBefore.exists && in.exists && sameFile(in.info, m_outputBefore.info))
        return fail(QStringLiteral("The output file is the input file: '%1'").arg(m_plan.output));

    m_probe = new QProcess(this);
    connect(m_probe, &QProcess::finished, this, &ConvJob::onProbeFinished);
    startProcess(m_probe, m_tools.ffprobe, InputProbe::arguments(m_plan.input));
}

void ConvJob::interrupt()
{
    if (m_finished)
        return;
    m_interrupted = true;
    QProcess *running = nullptr;
    for (QProcess *process : {m_probe, m_encoder}) {
        if (process && process->state() != QProcess::NotRunning)
            running = process;
    }
    if (!running)
        return fail(QStringLiteral("Conversion interrupted"));
    // ffmpeg closes its output on SIGTERM; one that hangs is killed.
    running->terminate();
    QTimer::singleShot(killAfterMs, running, &QProcess::kill);
}

void ConvJob::startProcess(QProcess *process, const QString &program, const QStringList &arguments)
{
    process->setStandardInputFile(QProcess::nullDevice());
    // The tool dies with conv, even when conv itself is killed outright.
    ChildProcess::endWithParent(*process);
    connect(process, &QProcess::errorOccurred, this, [this, process, program](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(QStringLiteral("Cannot start %1: %2").arg(program, process->errorString()));
    });
    process->start(program, arguments);
}

void ConvJob::onProbeFinished(int exitCode, QProcess::ExitStatus status)
{
    if (m_interrupted)
        return fail(QStringLiteral("Conversion interrupted"));
    const QByteArray errors = m_probe->readAllStandardError();
    m_input = InputProbe::fromJson(m_probe->readAllStandardOutput());
    if (status != QProcess::NormalExit || exitCode != 0 || !m_input.readable) {
        const QString reason = lastErrorLine(errors);
        return fail(reason.isEmpty() ? QStringLiteral("Cannot read '%1' as a media file").arg(m_plan.input)
                                     : reason);
    }
    if (!m_input.hasVideo)
        return fail(QStringLiteral("Video stream is mandatory!"));
    if (m_plan.cutStart > 0 && m_input.duration >= 0 && m_input.duration <= m_plan.cutStart)
        return fail(ToolPhrases::ConvStartBeyondInput);

    m_encoder = new QProcess(this);
    connect(m_encoder, &QProcess::readyReadStandardOutput, this, &ConvJob::onEncoderOutput);
    connect(m_encoder, &QProcess::readyReadStandardError, this, [this] {
        m_errors += m_encoder->readAllStandardError();
        if (m_errors.size() > keptErrorBytes)
            m_errors.remove(0, m_errors.size() - keptErrorBytes);
    });
    connect(m_encoder, &QProcess::finished, this, &ConvJob::onEncoderFinished);
    startProcess(m_encoder, m_tools.ffmpeg, encoderOptions + m_plan.ffmpegArguments);
}

void ConvJob::onEncoderOutput()
{
    QByteArray lines;
    const QList<ProgressReader::Report> reports = m_reader.feed(m_encoder->readAllStandardOutput());
    for (const ProgressReader::Report &report : reports) {
        m_last = report;
        // ffmpeg's last report is followed at once by the final line, which says it all.
        if (report.end || (m_lineClock.isValid() && m_lineClock.elapsed() < minLineGapMs))
            continue;
        lines += ProgressText::positionLine(report.seconds, report.frames,
                                            ProgressText::percent(report.seconds, cutSeconds())) +
                 '\r';
        m_lineClock.start();
    }
    if (!lines.isEmpty())
        write(lines);
}

void ConvJob::onEncoderFinished(int exitCode, QProcess::ExitStatus status)
{
    onEncoderOutput();
    m_errors += m_encoder->readAllStandardError();
    if (m_interrupted)
        return fail(QStringLiteral("Conversion interrupted"));
    if (status != QProcess::NormalExit)
        return fail(QStringLiteral("ffmpeg crashed"));
    if (exitCode != 0) {
        const QString reason = lastErrorLine(m_errors);
        return fail(reason.isEmpty() ? QStringLiteral("ffmpeg failed with exit status %1").arg(exitCode)
                                     : reason);
    }
    // A cut without a single picture: past the last one (an input whose duration was unknown or
    // rounded up shows it only now), or too short to reach the next one.
    if (m_last.frames == 0 && (m_plan.cutStart > 0 || m_plan.cutLength >= 0)) {
        const bool endsInside = m_plan.cutLength >= 0 && m_input.duration >= 0 &&
                                m_plan.cutStart + m_plan.cutLength < m_input.duration;
        return fail(endsInside ? QStringLiteral("No picture lies between the start and the end position.")
                               : QString(ToolPhrases::ConvStartBeyondInput));
    }
    const QFileInfo output(m_plan.output);
    if (!output.exists() || output.size() == 0)
        return fail(QStringLiteral("ffmpeg wrote no output to '%1'").arg(m_plan.output));
    // A damaged input can end the decoder early while ffmpeg still reports success.
    const double wanted = cutSeconds();
    if (wanted >= 0 && m_last.seconds < wanted - completenessSlackSeconds)
        return fail(
            ToolPhrases::ConvIncompleteOutput +
            QStringLiteral(" %1 s of %2 s encoded").arg(m_last.seconds, 0, 'f', 1).arg(wanted, 0, 'f', 1));
    const qint64 wait = m_lineClock.isValid() ? std::max<qint64>(0, minLineGapMs - m_lineClock.elapsed()) : 0;
    QTimer::singleShot(wait, this, [this] {
        if (m_finished)
            return;
        write(ProgressText::positionLine(m_last.seconds, m_last.frames, 100) + '\n');
        finish(0);
    });
}

void ConvJob::fail(const QString &message)
{
    if (m_finished)
        return;
    if (outputWasWritten())
        QFile::remove(m_plan.output);
    write('\n' + message.toLocal8Bit() + '\n');
    finish(1);
}

void ConvJob::finish(int exitCode)
{
    if (m_finished)
        return;
    m_finished = true;
    emit finished(exitCode);
}

// Only a file that this run created or truncated is removed: a file that was already there and
// that ffmpeg never opened stays as it was.
bool ConvJob::outputWasWritten() const
{
    const FileState now = fileState(m_plan.output);
    if (!now.exists || !m_encoder)
        return false;
    if (!m_outputBefore.exists)
        return true;
    const struct stat &a = m_outputBefore.info;
    const struct stat &b = now.info;
    return !sameFile(a, b) || a.st_size != b.st_size || a.st_mtim.tv_sec != b.st_mtim.tv_sec ||
           a.st_mtim.tv_nsec != b.st_mtim.tv_nsec;
}

// The seconds the output should hold: the cut, ending at the input's end at the latest;
// negative when neither the input nor the cut says.
double ConvJob::cutSeconds() const
{
    double end = m_input.duration;
    const double cutEnd = m_plan.cutStart + m_plan.cutLength;
    if (m_plan.cutLength >= 0 && (end < 0 || cutEnd < end))
        end = cutEnd;
    return end < 0 ? -1 : std::max(0.0, end - m_plan.cutStart);
}

// ffmpeg closes a failure with a general line ("Conversion failed!", "Error initializing output
// stream ..."); the line before it names the cause.
QString ConvJob::lastErrorLine(const QByteArray &errors)
{
    const QList<QByteArray> lines = errors.split('\n');
    QString fallback;
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = QString::fromLocal8Bit(it->trimmed());
        if (line.isEmpty())
            continue;
        const bool general =
            line == ToolPhrases::ConversionFailed || line.startsWith(ToolPhrases::OutputStreamFailed);
        if (!general)
            return line;
        if (fallback.isEmpty())
            fallback = line;
    }
    return fallback;
}

ConvJob::FileState ConvJob::fileState(const QString &path)
{
    FileState state;
    state.exists = ::stat(QFile::encodeName(path).constData(), &state.info) == 0;
    return state;
}

void ConvJob::write(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fflush(stdout);
}
