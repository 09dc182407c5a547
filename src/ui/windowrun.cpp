#include "ui/windowrun.h"

#include "conversion/conversionrun.h"
#include "conversion/cuttime.h"
#include "conversion/progressstate.h"
#include "conversion/runtexts.h"
#include "filelist/filelist.h"
#include "platform/appdirs.h"
#include "platform/productinfo.h"
#include "platform/userservices.h"
#include "runner/runnertexts.h"
#include "settings/programsettings.h"
#include "ui/hotlabel.h"
#include "ui/mainwindowcommands.h"

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
    m_run.start(settings);
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
                               RunTexts::cannotWriteOutputFolder() + m_run.settings().outputFolder);
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
    m_services.openPath(m_run.settings().outputFolder);
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
    const qsizetype failed = m_run.failures().size();
    m_progress.setCaption(failed == 0 ? RunTexts::done() : RunTexts::finishedWithFailures(failed));
    m_progress.setBar(0, 0);
    if (failed > 0 || !m_run.notes().isEmpty())
        showFailureSummary();
}

void WindowRun::showFailureSummary()
{
    // The failures first, then what was told of files that converted all the same.
    QStringList lines;
    for (const ConversionRun::Failure &failure : m_run.failures())
        lines.append(RunTexts::failureLine(failure.path, failureText(failure.failure)));
    for (const ConversionRun::Note &note : m_run.notes())
        lines.append(RunTexts::failureLine(note.path, RunTexts::noteText(note.note)));
    if (lines.size() > ConversionRun::SummaryLines) {
        lines.resize(ConversionRun::SummaryLines);
        lines.append(RunTexts::summaryCut());
    }
    const bool failed = !m_run.failures().isEmpty();
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
