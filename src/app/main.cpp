#include "shell/appdirs.h"
#include "shell/desktopservices.h"
#include "shell/singleinstance.h"
#include "shell/userservices.h"
#include "ui/frmmain.h"
#include "ui/programlook.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // A second start while the program runs ends here, before any window or file is touched.
    SingleInstance instance;
    if (!instance.tryLock())
        return 0;

    applyProgramLook();
    frmMain window(AppDirs::programFolder());
    DesktopServices desktop(&window);
    UserServices::setInstance(&desktop);
    window.Form_Load();
    window.show();
    const int status = QApplication::exec();
    UserServices::setInstance(nullptr);
    return status;
}
