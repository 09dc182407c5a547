#include "ui/windowrun.h"

#include "conversion/conversionrun.h"
#include "conversion/cuttime.h"
#include "conversion/runtexts.h"
#include "filelist/filelist.h"
#include "platform/appdirs.h"
#include "platform/productinfo.h"
#include "platform/userservices.h"
#include "runner/runnertexts.h"
#include "settings/programsettings.h"
#include "ui/hotlabel.h"
#include "ui/mainwindowcommands.h"
#include "ui/progressstate.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

WindowRun::WindowRun(QWidget &window, FileList &files, const QString &programFolder,
                     const MainWindowControls &controls, MainWindowCommands &commands, ConversionRun &run,
                     ProgressState &progress, UserServices &services, const ProgramSettings &settings)
    : QObject(&window)
    , m_files(files)
    , m_programFolder(programFolder)
    , m_controls(controls)
    , m_commands(commands)
    , m_run(run)
    , m_progress(progress)
    , m_services(services)
    , m_settings(settings)
{
    // Every file is tried again: the marks of the last run go once this one could begin.
    connect(&m_run, &ConversionRun::begun, &m_files, &FileList::clearFailedMarks);
    connect(&m_run, &ConversionRun::jobProgressed, &m_progress,
            [this](JobId, const JobProgress &reading) { m_progress.show(reading); });
    connect(&m_run, &ConversionRun::shareProgressed, &m_progress, &ProgressState::showShare);
    connect(&m_run, &ConversionRun::jobEnded, this, &WindowRun::showJobEnd);
    connect(&m_run, &ConversionRun::finished, this, &WindowRun::showEnd);
    connect(&m_run, &ConversionRun::libraryFoldersKept, this, &WindowRun::showKeptFolders);
    connect(&m_run, &ConversionRun::orphansFound, this, &WindowRun::askOrphanDeletion);
}

void WindowRun::start()
{
    if (m_run.isActive())
        return;
    if (m_files.isEmpty()) {
        m_services.showMessage(UserServices::Icon::Warning, RunTexts::addTitle(), RunTexts::addFileFirst());
        return;
    }
    // A range the options dialog would refuse (an older options.ini) is no range to cut.
    if (m_settings.cuts()) {
        if (const std::optional<CutTime::RangeProblem> problem =
                CutTime::rangeProblem(m_settings.cutStartSeconds, m_settings.cutEndSeconds)) {
            m_services.showMessage(UserServices::Icon::Warning, problem->title, problem->text);
            return;
        }
    }
    const RunSettings settings =
        RunSettings::take(m_controls.formatCombo->currentIndex(), encodingSettings(),
                          m_controls.outputFolderEdit->text(), m_programFolder, m_settings);
    // Settings restored as list positions can name a value the format's encoder refuses.
    if (settings.format) {
        const QString refused = FormatTable::refusedSetting(*settings.format, settings.encoding);
        if (!refused.isEmpty()) {
            m_services.showMessage(UserServices::Icon::Warning, RunTexts::settingRefusedTitle(), refused);
            return;
        }
    }
    if (!settings.outputFolder.isEmpty())
        m_controls.outputFolderEdit->setText(settings.outputFolder);
    setRunControlsEnabled(false);
    m_runSettings = settings;
    m_failures.clear();
    m_notes.clear();
    m_run.start(settings, m_files);
}

void WindowRun::showJobEnd(const JobResult &result)
{
    for (const FileNote note : result.notes)
        m_notes.append({result.source, RunTexts::noteText(note)});
    const bool oneAtATime = m_runSettings.simultaneousFiles == 1;
    switch (result.kind) {
    case JobResult::Kind::Failed: {
        const QString reason = failureText(result.failure);
        m_files.markFailed(result.id, reason);
        m_failures.append({result.source, reason});
        return;
    }
    case JobResult::Kind::Skipped:
        if (oneAtATime)
            m_progress.setCaption(result.skipReason == SkipReason::UpToDate
                                      ? RunTexts::upToDate()
                                      : RunTexts::anotherProcessConverts());
        break;
    case JobResult::Kind::Retagged:
        if (oneAtATime)
            m_progress.setCaption(RunTexts::retagged());
        break;
    case JobResult::Kind::Moved:
        if (oneAtATime)
            m_progress.setCaption(RunTexts::moved());
        break;
    case JobResult::Kind::Converted:
    case JobResult::Kind::Planned:
    case JobResult::Kind::Repeated:
        break;
    }
    // Gone already when the user removed the row while it was converting.
    if (result.leavesTheQueue())
        m_files.removeId(result.id);
}

EncodingSettings WindowRun::encodingSettings() const
{
    EncodingSettings settings;
    settings.videoBitrate = m_controls.videoBitrateCombo->currentText();
    settings.frameRate = m_controls.frameRateCombo->currentText();
    settings.size = m_controls.sizeCombo->currentText();
    settings.sampleRate = m_controls.sampleRateCombo->currentText();
    settings.audioBitrate = m_controls.audioBitrateCombo->currentText();
    settings.channelIndex = m_controls.channelCombo->currentIndex();
    return settings;
}

void WindowRun::setRunControlsEnabled(bool enabled)
{
    // The toolbar, Start, the settings and the feedback link; the menus stay usable during a run.
    QList<QWidget *> taken = {m_controls.startButton};
    for (QToolButton *button : m_controls.toolbarButtons())
        taken.append(button);
    for (QComboBox *box : m_controls.settingsBoxes())
        taken.append(box);
    taken += {m_controls.convertPicture, m_controls.feedbackLink};
    for (QWidget *control : std::as_const(taken))
        m_commands.holdControl(control, !enabled);
}

void WindowRun::showEnd(const RunOutcome &outcome)
{
    switch (outcome.end) {
    case RunOutcome::End::Stopped:
        return;
    case RunOutcome::End::NothingToDo:
        m_services.showMessage(UserServices::Icon::Warning, RunTexts::addTitle(), RunTexts::addFileFirst());
        setRunControlsEnabled(true);
        return;
    case RunOutcome::End::OutputFolderRefused:
        m_services.showMessage(UserServices::Icon::Warning, RunTexts::outputPathTitle(),
                               RunTexts::cannotWriteOutputFolder() + m_runSettings.outputFolder);
        setRunControlsEnabled(true);
        return;
    case RunOutcome::End::ToolMissing:
        m_services.showMessage(UserServices::Icon::Critical, ProductInfo::applicationTitle(),
                               RunnerTexts::startProblem(outcome.toolProblem));
        setRunControlsEnabled(true);
        m_progress.setCaption(RunTexts::aborted());
        return;
    case RunOutcome::End::Finished:
        break;
    }
    m_services.openPath(m_runSettings.outputFolder);
    if (!m_settings.playsCompletionSound()) {
        finishEnd();
        return;
    }
    m_services.playSound(m_programFolder + QStringLiteral("/sound.wav"), this, [this] { finishEnd(); });
}

void WindowRun::finishEnd()
{
    m_controls.dropZone->setVisible(true);
    setRunControlsEnabled(true);
    const qsizetype failed = m_failures.size();
    m_progress.setCaption(failed == 0 ? RunTexts::done() : RunTexts::finishedWithFailures(failed));
    m_progress.setBar(0, 0);
    if (failed > 0 || !m_notes.isEmpty())
        showFailureSummary();
}

void WindowRun::showFailureSummary()
{
    // The failures first, then what was told of files that converted all the same.
    QStringList lines;
    for (const Told &told : m_failures + m_notes)
        lines.append(RunTexts::failureLine(told.path, told.text));
    if (lines.size() > SummaryLines) {
        lines.resize(SummaryLines);
        lines.append(RunTexts::summaryCut());
    }
    const bool failed = !m_failures.isEmpty();
    m_services.showMessage(failed ? UserServices::Icon::Warning : UserServices::Icon::Information,
                           failed ? RunTexts::failedTitle() : RunTexts::notesTitle(),
                           lines.join(QLatin1Char('\n')));
}

void WindowRun::showKeptFolders(const QList<KeptFolder> &folders)
{
    QStringList lines;
    for (const KeptFolder &kept : folders)
        lines.append(RunTexts::keptFolder(kept));
    m_services.showMessage(UserServices::Icon::Warning, RunTexts::libraryModeTitle(), lines.join(u'\n'));
}

void WindowRun::askOrphanDeletion(qsizetype count)
{
    m_services.askYesNo(RunTexts::libraryModeTitle(), RunTexts::deleteOrphansQuestion(count), this,
                        [this](bool yes) { m_run.answerOrphanDeletion(yes); });
}
