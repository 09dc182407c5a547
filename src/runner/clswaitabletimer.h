#pragma once

class QEventLoop;

// Pauses the caller without freezing the window: a nested event loop that ends when a one-shot
// timer fires, dispatching every event that arrives meanwhile.
class clsWaitableTimer
{
public:
    clsWaitableTimer() = default;
    clsWaitableTimer(const clsWaitableTimer &) = delete;
    clsWaitableTimer &operator=(const clsWaitableTimer &) = delete;

    // Returns true when the time has passed or wake() ended the wait early; false when the event
    // loop was told to exit or refused to run, which happens only while the application is ending.
    bool Wait(int MilliSeconds);

    // Ends a running Wait at once (it then returns true); does nothing when no Wait is running.
    void wake();

private:
    QEventLoop *m_loop = nullptr;
    bool m_woken = false;
};
