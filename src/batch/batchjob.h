#pragma once

#include "batch/batchconsole.h"
#include "batch/batchoptions.h"
#include "batch/batchtexts.h"
#include "conversion/filefailure.h"
#include "conversion/runoutcome.h"
#include "filelist/filelist.h"
#include "settings/programsettings.h"

#include <QObject>
#include <QTimer>

class ConversionRun;
namespace FileSearch {
class FolderScan;
}

// One tunoxa-batch command: its files and folders go into a file list as the window's add
// commands put them there, the window's run converts them with the command line's settings, and
// the console tells how each file ends. finished carries the exit status.
class BatchJob : public QObject
{
    Q_OBJECT

public:
    static constexpr int BarRefreshMs = 200;

    BatchJob(const BatchOptions &options, const QString &workFolder, QObject *parent = nullptr);

    // Scans the folders given, then starts the run.
    void start();
    // Ctrl-C, SIGTERM or SIGHUP: the running tools end, the files they were writing are deleted, and the job
    // finishes with status 1.
    void stop();

signals:
    void finished(int exitStatus);

private:
    // The inputs one after another: a file is added at once, a folder is scanned first.
    void addNextInput();
    // A folder given has been searched: the folders in it that could not be read are failures.
    void scanFinished();
    void startRun();
    // A job's end: its line, and its entry leaves the list when it is done with.
    void reportResult(const JobResult &result);
    void reportDeleted(const QString &outputPath);
    // The run's closing line: done, the count of failures, or in library mode the counts of what
    // happened.
    QString closingLine(const RunOutcome &outcome) const;
    void showBars();
    void runEnded(const RunOutcome &outcome);
    void printProblem(const QString &problem);
    void end(int exitStatus);

    const BatchOptions m_options;
    BatchConsole m_console;
    ProgramSettings m_settings;
    FileList *m_files;
    ConversionRun *m_run;
    FileSearch::FolderScan *m_scan;
    QTimer m_barTimer;

    qsizetype m_nextInput = 0;
    bool m_stopping = false;
    bool m_ended = false;
    bool m_unreadableFolders = false;
    bool m_keptLibraryFolders = false;
    QString m_outputFolder; // the run's, absolute
    // The failures of the run, as a log gets them again at its end.
    QStringList m_failureLines;
};
