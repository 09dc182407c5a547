#pragma once

#include "conversion/formattable.h"
#include "conversion/recipes.h"
#include "filelist/filelist.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTime>
#include <QTimer>

#include <functional>
#include <optional>

class ToolRunner;
class ProgressDisplay;
struct ProgramSettings;
class UserServices;

// What the run needs of the main window: the settings controls it reads when it builds a command,
// the output folder box, and the controls it takes away and gives back.
class RunHost
{
public:
    virtual ~RunHost() = default;

    virtual int formatPosition() const = 0; // formatCombo
    virtual EncodingSettings encodingSettings() const = 0;
    virtual QString outputFolderText() const = 0; // txtPath
    virtual void setOutputFolderText(const QString &text) = 0;
    // Disables (Start) or enables (end of a run) the run's controls, each in its own order.
    virtual void setRunControlsEnabled(bool enabled) = 0;
    virtual void showDropZone() = 0; // dropZone
    virtual QString programFolder() const = 0;
};

// What a run works with, taken once at Start: what the user types or browses meanwhile applies to
// the next run.
struct RunSettings
{
    std::optional<OutputFormat> format;
    EncodingSettings encoding;
    QString outputFolder; // absolute, ends with "/"
};

// The Start command and the run that follows it: every file of the list, one after another, is
// taken through the stages of the chosen format by the four tool runners. The run is a chain of
// events: a stage's end starts the next stage or file from the runner's signal, so the window and
// any dialog stay live. A file follows its entry id, so rows added or removed during the run never
// make it convert or drop the wrong file. A file that fails stays in the list, marked with the
// reason; the others leave it.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Idle,
        Armed,
        Running
    };

    struct Failure
    {
        QString path;
        QString reason;
    };

    // Lines of the failure summary before it is cut short with "…".
    static constexpr int SummaryLines = 20;
    static constexpr int StartDelayMs = 100;

    // Messages, the output folder and the completion sound go through services; the sound plays
    // when settings say so at the end of the run.
    ConversionRun(RunHost &host, FileList &files, ProgressDisplay &progress, UserServices &services,
                  const ProgramSettings &settings, QObject *parent = nullptr);
    ~ConversionRun() override;

    // The clock that stamps output names; the local time unless replaced.
    void setClock(std::function<QTime()> clock) { m_clock = std::move(clock); }

    State state() const { return m_state; }
    bool isActive() const { return m_state != State::Idle; }
    // Failed files of the last run, in the order they were tried.
    const QList<Failure> &failures() const { return m_failures; }

    // Start: refused with a message for an empty list, ignored while a run is active. Takes the
    // run's settings from the window and writes the absolute output folder back into its box.
    void start();
    const RunSettings &settings() const { return m_settings; }
    // The tool of the stage that runs now ("conv", "coder", "coder2", "sox"); empty between stages.
    QString runningTool() const { return m_runningRunner ? m_runningCommand.toolName : QString(); }

    // Called when the program ends: stops the running tool and deletes the file it was writing,
    // so no half-written file is left under a final name, and the current file's intermediates.
    // The run starts nothing more.
    void stopForShutdown();

    ToolRunner &convRunner() { return *m_convRunner; }
    ToolRunner &coderRunner() { return *m_coderRunner; }
    ToolRunner &soxRunner() { return *m_soxRunner; }
    ToolRunner &probeRunner() { return *m_probeRunner; }

signals:
    // A tool stage of a file starts or has been judged (tool: "conv", "coder", "coder2", "sox").
    void stageStarted(FileList::Id id, const QString &tool);
    void stageEnded(FileList::Id id, const QString &tool, bool succeeded);
    // The run is over: finished, ended by a tool that could not start, refused its output folder,
    // or stopped because the program ends.
    void runEnded();

private:
    void startDelayElapsed();
    void beginRun();
    void decodeFinished();
    void objDuration_CommandOver();
    void objDOS_CommandOver();
    void objffmpeg_CommandOver();
    void stageFailedToStart();

    bool prepareOutputFolder(const QString &folder);
    RecipeInput recipeInput() const;
    // Goes on with the next file not yet tried; ends the run when there is none.
    void convertNextFile();
    // False when the file failed before any tool started.
    bool beginFile(FileList::Id id);
    void runStage(ToolRunner &runner, const ToolCommand &command);
    // Judges the stage that just ended; a failed stage loses the file it was writing.
    bool judgeStage(ToolRunner &runner);
    void fileConverted();
    void fileFailed(const QString &reason);
    void fileEnded();
    void removeIntermediates() const;
    void endRun();
    void finishEndOfRun();
    void abortRun();
    void endAfterShutdown();
    void showFailureSummary();

    RunHost &m_host;
    FileList &m_files;
    ProgressDisplay &m_progress;
    UserServices &m_services;
    const ProgramSettings &m_programSettings;
    ToolRunner *m_convRunner;
    ToolRunner *m_coderRunner;
    ToolRunner *m_soxRunner;
    ToolRunner *m_probeRunner;
    QTimer *m_startDelay;

    State m_state = State::Idle;
    bool m_shuttingDown = false;
    RunSettings m_settings;
    // The last file tried in this run: every row before it has been tried (or has gone).
    FileList::Id m_lastTried = 0;
    // The file being converted, as it was when its conversion began.
    FileList::Id m_currentId = 0;
    QString m_currentPath;      // as the list shows it
    QString m_currentInputPath; // as the tools are given it
    OutputFormat m_currentFormat = OutputFormat::Mp3;
    RecipeInput m_recipeInput;
    // The stage whose tool runs now.
    ToolRunner *m_runningRunner = nullptr;
    ToolCommand m_runningCommand;
    QList<Failure> m_failures;
    std::function<QTime()> m_clock = &QTime::currentTime;
};
