#include "albumbench.h"

#include "common/processusage.h"
#include "common/recordingservices.h"
#include "common/testmedia.h"
#include "conversion/fileconversion.h"
#include "filelist/filelist.h"
#include "platform/appdirs.h"
#include "settings/programsettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace AlbumBench {

EncodingSettings BenchHost::mp3Settings()
{
    EncodingSettings settings;
    settings.sampleRate = QStringLiteral("48000");
    settings.audioBitrate = QStringLiteral("320");
    settings.channelIndex = 1;
    return settings;
}

std::optional<AlbumChoice> albumChoice(int argc, char *argv[], const char *program, AlbumChoice defaults)
{
    AlbumChoice choice = defaults;
    if (argc > 1)
        choice.files = std::atoi(argv[1]);
    if (argc > 2)
        choice.seconds = std::atof(argv[2]);
    if (argc > 3)
        choice.simultaneousFiles = std::atoi(argv[3]);
    if (choice.files < 1 || choice.seconds <= 0 || choice.simultaneousFiles < 1) {
        // The run refuses an empty list, and would leave nothing to wait for.
        std::fprintf(stderr, "usage: %s [files, at least 1] [seconds per file] [files at once]\n", program);
        return std::nullopt;
    }
    return choice;
}

QStringList makeAlbum(const QString &folder, int files, double seconds)
{
    QStringList album;
    QDir().mkpath(folder);
    for (int i = 1; i <= files; ++i) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("%1 Track.flac").arg(i, 2, 10, QLatin1Char('0')));
        if (!TestMedia::makeFlac(path, seconds, 44100, 2, 16,
                                 {{QStringLiteral("TITLE"), QStringLiteral("Track %1").arg(i)}}))
            return {};
        album.append(path);
    }
    return album;
}

namespace {

QString shellQuoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// The three commands the run gives the tools for one file, as shell lines.
QString fileCommands(const QString &input, const QString &outputFolder, const WorkPaths &work)
{
    RecipeInput in;
    in.programFolder = TestMedia::programFolder();
    in.inputPath = input;
    in.outputFolder = outputFolder + QLatin1Char('/');
    in.settings = BenchHost::mp3Settings();
    in.clock = QTime::currentTime();
    in.work = work;
    const QList<ToolCommand> commands{Recipes::referenceDecode(in), Recipes::stage(OutputFormat::Mp3, 1, in),
                                      Recipes::stage(OutputFormat::Mp3, 2, in, &Recipes::freeOutputName)};
    QString lines;
    for (const ToolCommand &command : commands) {
        QStringList words{shellQuoted(command.command.program)};
        for (const QString &argument : command.command.arguments)
            words.append(shellQuoted(argument));
        // The probe names no output and always ends with an error status.
        lines += words.join(QLatin1Char(' ')) + QStringLiteral(" >/dev/null 2>&1") +
                 (command.outputPath.isEmpty() ? QStringLiteral(" || true\n") : QStringLiteral("\n"));
    }
    return lines;
}

// CPU time of the ended child processes and everything they waited for.
double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

} // namespace

QString toolCommands(const QStringList &album, const QString &outputFolder, int simultaneousFiles,
                     const QString &scriptFolder)
{
    QDir().mkpath(outputFolder);
    QDir().mkpath(scriptFolder);
    const QDir scripts(scriptFolder);
    if (simultaneousFiles <= 1) {
        QString script = QStringLiteral("set -e\n");
        for (const QString &input : album)
            script += fileCommands(input, outputFolder, WorkPaths::inFolder(AppDirs::workFolder()));
        const QString path = scripts.filePath(QStringLiteral("album.sh"));
        writeText(path, script);
        return QStringLiteral("sh ") + shellQuoted(path);
    }
    QString list;
    for (qsizetype i = 0; i < album.size(); ++i) {
        const QString path = scripts.filePath(QStringLiteral("file%1.sh").arg(i + 1));
        writeText(path, QStringLiteral("set -e\n") +
                            fileCommands(album[i], outputFolder,
                                         WorkPaths::inFolder(AppDirs::workFolder(), int(i) + 1)));
        list += path + QLatin1Char('\n');
    }
    const QString listPath = scripts.filePath(QStringLiteral("files.txt"));
    writeText(listPath, list);
    return QStringLiteral("xargs -d '\\n' -n1 -P%1 sh < %2")
        .arg(simultaneousFiles)
        .arg(shellQuoted(listPath));
}

QString plainFfmpeg(const QStringList &album, const QString &outputFolder, int simultaneousFiles,
                    const QString &scriptFolder)
{
    QDir().mkpath(outputFolder);
    QDir().mkpath(scriptFolder);
    QString pairs;
    for (const QString &input : album)
        pairs += input + QLatin1Char('\n') + QDir(outputFolder).filePath(QFileInfo(input).baseName()) +
                 QStringLiteral(".mp3\n");
    const QString listPath = QDir(scriptFolder).filePath(QStringLiteral("ffmpeg.txt"));
    writeText(listPath, pairs);
    return QStringLiteral("xargs -d '\\n' -n2 -P%1 sh -c "
                          "'exec ffmpeg -nostdin -loglevel error -y -i \"$1\" -b:a 320k \"$2\"' ffmpeg < %2")
        .arg(simultaneousFiles)
        .arg(shellQuoted(listPath));
}

ShellFigures timeShell(const QString &command)
{
    const double cpuBefore = childrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    const TestMedia::ToolResult r =
        TestMedia::run(QStringLiteral("sh"), {QStringLiteral("-c"), command}, 3600000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (r.exitCode != 0) {
        std::fprintf(stderr, "shell command failed: %s\n%s\n", qPrintable(command), r.output.constData());
        return {};
    }
    return {seconds, childrenCpuSeconds() - cpuBefore};
}

void clearWorkFolder()
{
    const QString folder = AppDirs::workFolder();
    if (folder.isEmpty())
        return;
    QDir work(folder);
    for (const QFileInfo &entry :
         work.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.isDir())
            QDir(entry.filePath()).removeRecursively();
        else
            work.remove(entry.fileName());
    }
}

RunFigures runAlbum(const QStringList &album, const QString &outputFolder, int simultaneousFiles,
                    bool watchEventLoop, int format)
{
    FileList files;
    ProgramSettings settings{ProgramSettings::SoundChoice::Off, ProgramSettings::CutterSwitch::Off, 0, 0,
                             simultaneousFiles};
    ConversionRun run;
    int converted = 0;
    QObject::connect(&run, &ConversionRun::jobEnded, &run, [&converted](const JobResult &result) {
        converted += result.kind == JobResult::Kind::Converted ? 1 : 0;
    });
    for (const QString &input : album)
        files.addFile(input);

    QEventLoop loop;
    QObject::connect(&run, &ConversionRun::finished, &loop, &QEventLoop::quit);
    // The longest gap between the ticks of a 1 ms timer is the longest the window would freeze.
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        longestGap = std::max(longestGap, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    const double cpuBefore = ProcessUsage::cpuSeconds();
    const double toolCpuBefore = childrenCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    run.start(RunSettings::take(format, BenchHost::mp3Settings(), outputFolder, TestMedia::programFolder(),
                                settings),
              files);
    if (watchEventLoop) {
        sinceTick.start();
        ticker.start(1);
    }
    loop.exec();
    ticker.stop();
    return {clock.nsecsElapsed() / 1e9, ProcessUsage::cpuSeconds() - cpuBefore,
            childrenCpuSeconds() - toolCpuBefore, converted, longestGap / 1e6};
}

Spread spreadOf(QList<double> values)
{
    if (values.isEmpty())
        return {};
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {values.front(), median, values.back()};
}

} // namespace AlbumBench
