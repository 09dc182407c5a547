#pragma once

#include "common/listrows.h"
#include "common/testmedia.h"
#include "conversion/conversionrun.h"
#include "conversion/formattable.h"
#include "filelist/filelist.h"
#include "settings/programsettings.h"

#include <QDir>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

// What the window gives a run at Start, as a test chooses it.
struct TestHost
{
    int format = FormatTable::positionOf(OutputFormat::Mp3);
    EncodingSettings settings;
    QString outputFolder;
    QString program = TestMedia::programFolder();

    TestHost() { useDefaultsOf(OutputFormat::Mp3); }

    void useDefaultsOf(OutputFormat f)
    {
        format = FormatTable::positionOf(f);
        settings = FormatTable::defaultSettings(f);
    }
};

// One run's parts, wired as the window wires them, with a log of stages and rows leaving.
struct RunFixture
{
    QTemporaryDir dir;
    TestHost host;
    FileList files;
    ProgramSettings settings;
    ConversionRun run;
    QStringList log;
    // The ends of the last run's jobs, in the order they came.
    QList<JobResult> results;
    // How the last run ended; library mode answers the question about orphans with deleteOrphans.
    std::optional<RunOutcome> outcome;
    bool deleteOrphans = true;
    QList<qsizetype> orphanQuestions;

    RunFixture()
    {
        host.outputFolder = dir.filePath(QStringLiteral("out"));
        QObject::connect(&run, &ConversionRun::finished, &run,
                         [this](const RunOutcome &ended) { outcome = ended; });
        // The list shows each job's end as the window's does.
        QObject::connect(&run, &ConversionRun::begun, &files, &FileList::clearFailedMarks);
        QObject::connect(&run, &ConversionRun::jobEnded, &run, [this](const JobResult &result) {
            results.append(result);
            if (result.kind == JobResult::Kind::Failed)
                files.markFailed(result.id, failureText(result.failure));
            else if (result.leavesTheQueue())
                files.removeId(result.id);
        });
        QObject::connect(&run, &ConversionRun::orphansFound, &run, [this](qsizetype count) {
            orphanQuestions.append(count);
            QTimer::singleShot(0, &run, [this] { run.answerOrphanDeletion(deleteOrphans); });
        });
        QObject::connect(&run, &ConversionRun::stageStarted, &run,
                         [this](FileList::Id id, const QString &tool) {
                             log.append(QStringLiteral("start %1 %2").arg(id).arg(tool));
                         });
        QObject::connect(&run, &ConversionRun::stageEnded, &run,
                         [this](FileList::Id id, const QString &tool, bool ok) {
                             log.append(QStringLiteral("end %1 %2 %3")
                                            .arg(id)
                                            .arg(tool, ok ? QStringLiteral("ok") : QStringLiteral("failed")));
                         });
        QObject::connect(&files, &QAbstractItemModel::rowsAboutToBeRemoved, &files,
                         [this](const QModelIndex &, int first, int last) {
                             for (int row = first; row <= last; ++row)
                                 log.append(QStringLiteral("removed %1").arg(rowId(files, row)));
                         });
    }

    QString path(const QString &name) const { return dir.filePath(name); }

    FileList::Id addFlac(const QString &name, double seconds, const QMap<QString, QString> &tags = {})
    {
        const QString p = path(name);
        if (!TestMedia::makeFlac(p, seconds, 44100, 2, 16, tags))
            return 0;
        return files.addFile(p);
    }

    // Start, with the settings the window would take now; the absolute output folder goes back into
    // its box, as the window writes it.
    // The results of one kind.
    QList<JobResult> ended(JobResult::Kind kind) const
    {
        QList<JobResult> found;
        for (const JobResult &result : results) {
            if (result.kind == kind)
                found.append(result);
        }
        return found;
    }

    void start()
    {
        outcome.reset();
        results.clear();
        const RunSettings taken =
            RunSettings::take(host.format, host.settings, host.outputFolder, host.program, settings);
        if (!taken.outputFolder.isEmpty())
            host.outputFolder = taken.outputFolder;
        run.start(taken, files);
    }

    // Starts and waits for the end of the run; false when it did not end in time or did not start.
    bool startAndWait(int timeoutMs = 120000)
    {
        QSignalSpy ended(&run, &ConversionRun::finished);
        start();
        if (!run.isActive())
            return false;
        return ended.wait(timeoutMs) || ended.count() > 0;
    }

    QStringList outputs() const
    {
        return QDir(host.outputFolder).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    }
};
