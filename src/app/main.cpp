#include "shell/appdirs.h"
#include "shell/desktopservices.h"
#include "shell/singleinstance.h"
#include "shell/userservices.h"
#include "ui/frmmain.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // A second start while the program runs ends here, before any window or file is touched.
    SingleInstance instance;
    if (!instance.tryLock())
        return 0;

    // One look on every desktop; the dialogs share the main window's face.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setFont(QFont(QStringLiteral("Tahoma"), 9));
    frmMain window(AppDirs::programFolder());
    DesktopServices desktop(&window);
    UserServices::setInstance(&desktop);
    window.Form_Load();
    window.show();
    const int status = QApplication::exec();
    UserServices::setInstance(nullptr);
    return status;
}
