#include "conversion/conversionrun.h"

#include "conversion/covercache.h"
#include "conversion/fileconversion.h"
#include "conversion/runtexts.h"
#include "platform/userservices.h"
#include "runner/progressstate.h"
#include "settings/programsettings.h"

#include <algorithm>

// How a run shows its share while several files convert at once, and how it ends.

void ConversionRun::showOverallProgress()
{
    if (m_settings.simultaneousFiles == 1 || m_state != State::Running)
        return;
    double running = 0;
    int busy = 0;
    for (qsizetype k = 0; k < m_settings.simultaneousFiles; ++k) {
        if (m_slots[k]->isBusy()) {
            running += m_slots[k]->fraction();
            ++busy;
        }
    }
    const int files = m_filesEnded + busy + m_files.countAfter(m_lastTried);
    if (files == 0)
        return;
    m_shownShare = std::max(m_shownShare, (m_filesEnded + running) / files);
    m_progress.showShare(m_shownShare);
}

void ConversionRun::endRun()
{
    if (m_settings.deleteOrphans && !m_orphansSwept) {
        sweepOrphans();
        return;
    }
    m_services.openPath(m_settings.outputFolder);
    if (!m_programSettings.playsCompletionSound()) {
        finishEndOfRun();
        return;
    }
    m_services.playSound(m_host.programFolder() + QStringLiteral("/sound.wav"), this,
                         [this] { finishEndOfRun(); });
}

void ConversionRun::finishEndOfRun()
{
    m_covers->end();
    m_host.showDropZone();
    m_host.setRunControlsEnabled(true);
    m_progress.setCaption(m_failures.isEmpty() ? RunTexts::done()
                                               : RunTexts::finishedWithFailures(m_failures.size()));
    m_progress.setBar(0, 0);
    m_state = State::Idle;
    if (!m_failures.isEmpty())
        showFailureSummary();
    emit runEnded();
}

void ConversionRun::abortRun()
{
    m_covers->end();
    m_host.setRunControlsEnabled(true);
    m_progress.setCaption(RunTexts::aborted());
    m_state = State::Idle;
    emit runEnded();
}

void ConversionRun::endAfterShutdown()
{
    m_covers->end();
    m_state = State::Idle;
    emit runEnded();
}

void ConversionRun::showFailureSummary()
{
    QStringList lines;
    for (const Failure &failure : std::as_const(m_failures)) {
        if (lines.size() == SummaryLines) {
            lines.append(RunTexts::summaryCut());
            break;
        }
        lines.append(RunTexts::failureLine(failure.path, failure.reason));
    }
    m_services.showMessage(UserServices::Icon::Warning, RunTexts::failedTitle(),
                           lines.join(QLatin1Char('\n')));
}
