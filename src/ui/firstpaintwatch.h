#pragma once

#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <utility>

// Runs `work` once, from the event loop, after `window` has been painted for the first time, so
// that the whole first frame is drawn before it; given `latestMs`, also after that long for a
// window that is never painted (one started minimised). Header only, so that the start-up bench's
// bare windows watch their paint the same way without the program's libraries.
class FirstPaintWatch : public QObject
{
public:
    FirstPaintWatch(QWidget *window, std::function<void()> work, int latestMs = -1)
        : QObject(window)
        , m_work(std::move(work))
    {
        window->installEventFilter(this);
        if (latestMs >= 0)
            QTimer::singleShot(latestMs, this, &FirstPaintWatch::run);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, &FirstPaintWatch::run);
        return false;
    }

private:
    void run()
    {
        parent()->removeEventFilter(this);
        if (const std::function<void()> work = std::exchange(m_work, {}))
            work();
    }

    std::function<void()> m_work;
};
