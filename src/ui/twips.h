#pragma once

#include <QPoint>
#include <QRect>

// The windows' layouts are kept in twips, as drawn; 15 twips make one logical pixel, and Qt's
// high-DPI scaling keeps that pixel layout on every screen.
namespace Twips {

inline int toPixels(int twips)
{
    return qRound(twips / 15.0);
}

inline QPoint point(int left, int top)
{
    return {toPixels(left), toPixels(top)};
}

inline QRect rect(int left, int top, int width, int height)
{
    return {toPixels(left), toPixels(top), toPixels(width), toPixels(height)};
}

} // namespace Twips
