#include "shell/appdirs.h"
#include "shell/desktopservices.h"
#include "shell/userservices.h"
#include "ui/frmmain.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    frmMain window(AppDirs::programFolder());
    DesktopServices desktop(&window);
    UserServices::setInstance(&desktop);
    window.Form_Load();
    window.show();
    const int status = app.exec();
    UserServices::setInstance(nullptr);
    return status;
}
