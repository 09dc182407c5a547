#include "ui/programlook.h"

#include "platform/appdirs.h"
#include "platform/interfacelanguage.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

void applyProgramLook()
{
    // The main window's layout counts on its menu bar; a desktop-wide one would leave an empty
    // strip, and asking the desktop whether it offers one delays every start.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("Tahoma"), 9));
    InterfaceLanguage::install(InterfaceLanguage::ofSystem(), AppDirs::programFolder());
}
