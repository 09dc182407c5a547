#pragma once

#include "conversion/formattable.h"
#include "conversion/job.h"
#include "conversion/runoutcome.h"
#include "conversion/runsettings.h"
#include "library/keptfolder.h"
#include "ui/mainwindowlayout.h"

#include <QObject>

class ConversionRun;
class FileList;
class MainWindowCommands;
class ProgressState;
struct ProgramSettings;
class UserServices;

// The window's side of a run: Start checks what the run cannot use and tells the user, takes the
// settings from the controls, writes the absolute output folder back into its box and holds the
// controls; each job's end is shown in the list (a converted file leaves it, a failed one stays
// marked with the reason); the run's end is shown here: the output folder opened, the sound, the
// closing caption, the boxes with failures and questions.
class WindowRun : public QObject
{
    Q_OBJECT

public:
    // Lines of the failure summary before it is cut short with "…".
    static constexpr int SummaryLines = 20;

    // window owns this; programFolder holds data/ and sound.wav.
    WindowRun(QWidget &window, FileList &files, const QString &programFolder,
              const MainWindowControls &controls, MainWindowCommands &commands, ConversionRun &run,
              ProgressState &progress, UserServices &services, const ProgramSettings &settings);

    // The Start command; ignored while a run is going on.
    void start();

private:
    // The settings boxes as a run reads them.
    EncodingSettings encodingSettings() const;
    // Takes the run's controls away (Start) or gives them back (the end of a run).
    void setRunControlsEnabled(bool enabled);
    void showJobEnd(const JobResult &result);
    void showEnd(const RunOutcome &outcome);
    // After the sound: the list's drop zone, the controls, the caption and the failures.
    void finishEnd();
    // The failures, then the notes, at most SummaryLines of them.
    void showFailureSummary();
    void showKeptFolders(const QList<KeptFolder> &folders);
    void askOrphanDeletion(qsizetype count);

    FileList &m_files;
    const QString m_programFolder;
    const MainWindowControls m_controls;
    MainWindowCommands &m_commands;
    ConversionRun &m_run;
    ProgressState &m_progress;
    UserServices &m_services;
    const ProgramSettings &m_settings;
    // The run going on, or the last one: its settings, and what befell its files worth telling.
    RunSettings m_runSettings;
    struct Told
    {
        QString path;
        QString text;
    };
    QList<Told> m_failures;
    QList<Told> m_notes;
};
