#include "conversion/conversionrun.h"

#include "conversion/fileconversion.h"
#include "library/covercache.h"

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
    const int files = m_jobsEnded + busy + m_queue->countAfter(m_lastTried);
    if (files == 0)
        return;
    m_shownShare = std::max(m_shownShare, (m_jobsEnded + running) / files);
    emit shareProgressed(m_shownShare);
}

void ConversionRun::endRun(RunOutcome::End end)
{
    m_covers->end();
    // Moves that a killed process left unfinished and that nobody took are outputs as before.
    if (m_settings.library && !m_dryRun)
        m_orphans->putBackMoves();
    letGoOfAll();
    m_state = State::Idle;
    m_waitingForAnswer = false;
    RunOutcome outcome = m_counts;
    outcome.end = end;
    if (m_toolProblem)
        outcome.toolProblem = *m_toolProblem;
    emit finished(outcome);
}
