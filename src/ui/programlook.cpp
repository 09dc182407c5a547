#include "ui/programlook.h"

#include "platform/appdirs.h"
#include "platform/interfacelanguage.h"

#include "ui/artwork.h"

#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QProxyStyle>
#include <QStyleFactory>

namespace {

// Fusion, with the arrow of a menu bar too narrow for its menus drawn from the program's artwork:
// Fusion's own is an image whose format Qt finds by loading every image plugin, which every start
// would pay for, since each menu bar asks for the arrow when it is made.
class ProgramStyle : public QProxyStyle
{
public:
    ProgramStyle()
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
    {}

    QIcon standardIcon(StandardPixmap icon, const QStyleOption *option, const QWidget *widget) const override
    {
        if (icon == SP_ToolBarHorizontalExtensionButton)
            return Artwork::icon(QStringLiteral("more"));
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

} // namespace

void applyProgramLook()
{
    // The main window's layout counts on its menu bar; a desktop-wide one would leave an empty
    // strip, and asking the desktop whether it offers one delays every start.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication::setStyle(new ProgramStyle);
    // Where Tahoma is missing, the desktop's choice for it is asked once and named as its substitute;
    // otherwise every bold or resized variant would ask the font configuration again.
    const QFont tahoma(QStringLiteral("Tahoma"), 9);
    const QString shown = QFontInfo(tahoma).family();
    if (shown.compare(tahoma.family(), Qt::CaseInsensitive) != 0)
        QFont::insertSubstitution(tahoma.family(), shown);
    QApplication::setFont(tahoma);
    InterfaceLanguage::install(InterfaceLanguage::ofSystem(), AppDirs::programFolder());
}
