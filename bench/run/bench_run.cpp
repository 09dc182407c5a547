// Prints what the conversion run costs over running its tool commands one after another from a
// shell script: an album of FLAC files to 320 kbit/s MP3, the wall-time ratio, the program's own
// CPU time and its peak memory, the longest time the event loop is blocked during the run and the
// disk the run leaves in the work folder; then the run's own walk over a long list.
//
// bench_run [files] [seconds per file]   (default: 10 files of 240 s)

#include "common/processusage.h"
#include "common/recordingservices.h"
#include "common/testmedia.h"
#include "conversion/conversionrun.h"
#include "filelist/filelist.h"
#include "runner/commandlinetext.h"
#include "runner/progressdisplay.h"
#include "shell/appdirs.h"
#include "shell/programsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

class BenchHost final : public RunHost
{
public:
    QString outputFolder;
    int format = FormatTable::positionOf(OutputFormat::Mp3);

    int formatPosition() const override { return format; }
    EncodingSettings encodingSettings() const override { return mp3Settings(); }
    QString outputFolderText() const override { return outputFolder; }
    void setOutputFolderText(const QString &text) override { outputFolder = text; }
    void setRunControlsEnabled(bool) override {}
    void showDropZone() override {}
    QString programFolder() const override { return TestMedia::programFolder(); }

    static EncodingSettings mp3Settings()
    {
        EncodingSettings settings;
        settings.sampleRate = QStringLiteral("48000");
        settings.audioBitrate = QStringLiteral("320");
        settings.channelIndex = 1;
        return settings;
    }
};

QString shellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The three commands the run gives the tools for each file, as a shell script.
QString scriptFor(const QStringList &inputs, const QString &outputFolder)
{
    QString script = QStringLiteral("set -e\n");
    for (const QString &input : inputs) {
        RecipeInput in;
        in.programFolder = TestMedia::programFolder();
        in.inputPath = input;
        in.outputFolder = outputFolder + QLatin1Char('/');
        in.settings = BenchHost::mp3Settings();
        in.clock = QTime::currentTime();
        in.work = WorkPaths::standard();
        const QList<ToolCommand> commands{Recipes::soxDecode(in), Recipes::durationProbe(in),
                                          Recipes::mp3Encode(in, &Recipes::freeOutputName)};
        for (const ToolCommand &command : commands) {
            const CommandLineText::Split split = CommandLineText::split(command.commandLine);
            QStringList words{shellQuoted(split.program)};
            for (const QString &argument : split.arguments)
                words.append(shellQuoted(argument));
            // The probe names no output and always ends with an error status.
            script += words.join(QLatin1Char(' ')) + QStringLiteral(" >/dev/null 2>&1") +
                      (command.outputPath.isEmpty() ? QStringLiteral(" || true\n") : QStringLiteral("\n"));
        }
    }
    return script;
}

double runScript(const QString &scriptPath)
{
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult r = TestMedia::run(QStringLiteral("sh"), {scriptPath}, 3600000);
    if (r.exitCode != 0)
        std::fprintf(stderr, "script failed: %s\n", r.output.constData());
    return clock.nsecsElapsed() / 1e9;
}

struct RunFigures
{
    double wallSeconds = 0;
    double cpuSeconds = 0;
    int converted = 0;
    double longestBlockMs = 0;
    qint64 workFolderBytes = 0;
};

// Bytes of every file under the work folder once a run is over.
qint64 workFolderBytes()
{
    qint64 bytes = 0;
    QDirIterator it(AppDirs::workFolder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

RunFigures runConversion(const QStringList &inputs, const QString &outputFolder)
{
    RecordingServices services;
    BenchHost host;
    host.outputFolder = outputFolder;
    FileList files;
    ProgressDisplay progress;
    ProgramSettings settings{1, 0, 0, 0}; // no completion sound
    ConversionRun run(host, files, progress, services, settings);
    for (const QString &input : inputs)
        files.addFile(input);

    QEventLoop loop;
    QObject::connect(&run, &ConversionRun::runEnded, &loop, &QEventLoop::quit);
    // A 1 ms ticker: the longest gap between its ticks is the longest the window would freeze.
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        longestGap = std::max(longestGap, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    const double cpuBefore = ProcessUsage::cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    run.start();
    sinceTick.start();
    ticker.start(1);
    loop.exec();
    ticker.stop();
    // The start delay belongs to the click, not to the conversion.
    const double wall = clock.nsecsElapsed() / 1e9 - ConversionRun::StartDelayMs / 1000.0;
    return {wall, ProcessUsage::cpuSeconds() - cpuBefore, int(inputs.size() - files.count()),
            longestGap / 1e6, workFolderBytes()};
}

// A list of many rows with no format selected: every file fails before any tool starts, so the
// time is the run's own work per row (finding the next file, marking, the events between files).
double walkSeconds(int rows, const QString &outputFolder)
{
    RecordingServices services;
    BenchHost host;
    host.outputFolder = outputFolder;
    host.format = -1;
    FileList files;
    ProgressDisplay progress;
    ProgramSettings settings{1, 0, 0, 0}; // no completion sound
    ConversionRun run(host, files, progress, services, settings);
    for (int i = 0; i < rows; ++i)
        files.addFile(QStringLiteral("/m/%1.flac").arg(i));

    QEventLoop loop;
    QObject::connect(&run, &ConversionRun::runEnded, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    run.start();
    loop.exec();
    return clock.nsecsElapsed() / 1e9 - ConversionRun::StartDelayMs / 1000.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int fileCount = argc > 1 ? std::atoi(argv[1]) : 10;
    const double seconds = argc > 2 ? std::atof(argv[2]) : 240;
    if (fileCount < 1 || seconds <= 0) {
        // The run refuses an empty list, and would leave nothing to wait for.
        std::fprintf(stderr, "usage: bench_run [files, at least 1] [seconds per file]\n");
        return 2;
    }

    QTemporaryDir dir;
    qputenv("XDG_CACHE_HOME", dir.filePath(QStringLiteral("cache")).toUtf8());

    QStringList album;
    for (int i = 1; i <= fileCount; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1 Track.flac").arg(i, 2, 10, QLatin1Char('0')));
        if (!TestMedia::makeFlac(path, seconds, 44100, 2, 16,
                                 {{QStringLiteral("TITLE"), QStringLiteral("Track %1").arg(i)}})) {
            std::fprintf(stderr, "cannot make %s\n", qPrintable(path));
            return 1;
        }
        album.append(path);
    }
    std::printf("album: %d FLAC files of %.0f s, to MP3 at 320 kbit/s\n", fileCount, seconds);

    // Alternate the two ways and keep the best of each, so neither gains from a warmer cache.
    constexpr int rounds = 2;
    double bestScript = 1e30;
    RunFigures bestRun{1e30, 0, 0};
    for (int round = 0; round < rounds; ++round) {
        const QString scriptOut = dir.filePath(QStringLiteral("script%1").arg(round));
        QDir().mkpath(scriptOut);
        const QString scriptPath = dir.filePath(QStringLiteral("album%1.sh").arg(round));
        QFile script(scriptPath);
        if (!script.open(QIODevice::WriteOnly))
            return 1;
        script.write(scriptFor(album, scriptOut).toUtf8());
        script.close();
        const double scriptSeconds = runScript(scriptPath);
        const RunFigures figures = runConversion(album, dir.filePath(QStringLiteral("run%1").arg(round)));
        std::printf("round %d: script %.2f s, run %.2f s (%d of %d converted), run CPU %.3f s, event loop "
                    "blocked at most %.1f ms, %lld bytes left in the work folder\n",
                    round + 1, scriptSeconds, figures.wallSeconds, figures.converted, fileCount,
                    figures.cpuSeconds, figures.longestBlockMs, figures.workFolderBytes);
        bestScript = std::min(bestScript, scriptSeconds);
        if (figures.wallSeconds < bestRun.wallSeconds)
            bestRun = figures;
    }
    std::printf("wall time: script %.2f s, run %.2f s, ratio %.3f (target at most 1.10)\n", bestScript,
                bestRun.wallSeconds, bestRun.wallSeconds / bestScript);
    std::printf("program CPU time during the run: %.3f s (%.2f%% of its wall time)\n", bestRun.cpuSeconds,
                100.0 * bestRun.cpuSeconds / bestRun.wallSeconds);
    std::printf("peak memory of the program: %ld KiB\n", ProcessUsage::peakKilobytes());
    for (const int rows : {10000, 40000}) {
        const double walk = walkSeconds(rows, dir.filePath(QStringLiteral("walk")));
        std::printf("run over %d rows that fail at once: %.3f s (%.1f us per row)\n", rows, walk,
                    1e6 * walk / rows);
    }
    return 0;
}
