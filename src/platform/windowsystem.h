#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What the window needs from the desktop before it can be made, read without making it: whether a
// window system can be reached at all, and which command-line words belong to Qt's window system.
namespace WindowSystem {

// What the user is told on a terminal when no window can be shown.
QString noDisplayText();

// False when the environment already shows that the window system Qt would use cannot be reached:
// X11 (named by -platform or QT_QPA_PLATFORM, or Qt's choice when neither names one) without DISPLAY,
// and for Qt's own choice no Wayland session either. Any other platform is left for Qt to try.
bool seemsReachable(const QList<QByteArray> &arguments);

// The command line without the options that QApplication takes for itself ("-platform offscreen",
// "-style Fusion", "-reverse", ...), so that they are never taken for files.
QList<QByteArray> withoutQtOptions(const QList<QByteArray> &arguments);

} // namespace WindowSystem
