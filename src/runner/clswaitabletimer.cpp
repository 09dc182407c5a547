#include "runner/clswaitabletimer.h"

#include <QEventLoop>
#include <QTimer>

bool clsWaitableTimer::Wait(int MilliSeconds)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the passes must be at least the given time apart.
    timer.setTimerType(Qt::PreciseTimer);
    bool fired = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        fired = true;
        loop.quit();
    });
    m_woken = false;
    m_loop = &loop;
    timer.start(qMax(0, MilliSeconds));
    loop.exec();
    m_loop = nullptr;
    return fired || m_woken;
}

void clsWaitableTimer::wake()
{
    if (!m_loop)
        return;
    m_woken = true;
    m_loop->quit();
}
