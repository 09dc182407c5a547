#pragma once

#include "ui/firstpaintwatch.h"

#include <QCoreApplication>

#include <cstdio>

// Once `window` has been painted for the first time it prints "painted" and ends the event loop, so
// the program closes as it normally would (releasing its single-instance lock) and the timing
// parent reads the moment from the line.
inline void quitAfterFirstPaint(QWidget &window)
{
    new FirstPaintWatch(&window, [] {
        std::puts("painted");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
}
