#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <cstdio>

// Installed on the application: once `window` has been painted for the first time it prints
// "painted" and ends the event loop, so the program closes as it normally would (releasing its
// single-instance lock) and the timing parent reads the moment from the line.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget *window)
        : QObject(window)
        , m_window(window)
    {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (!m_seen && event->type() == QEvent::Paint && widget && widget->window() == m_window) {
            m_seen = true;
            // Queued, so the whole frame (children included) has been painted first.
            QTimer::singleShot(0, [] {
                std::puts("painted");
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget *m_window;
    bool m_seen = false;
};
