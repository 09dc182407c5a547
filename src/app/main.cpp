#include "runner/runnertexts.h"
#include "shell/appdirs.h"
#include "shell/desktopservices.h"
#include "shell/shutdown.h"
#include "shell/singleinstance.h"
#include "shell/userservices.h"
#include "ui/mainwindow.h"
#include "ui/programlook.h"

#include <QApplication>

namespace {

// Every run keeps its intermediates and the single-instance lock in the work folder; without it the
// program cannot run, and says why.
int refuseWorkFolder(UserServices &services, const QString &folder)
{
    services.showMessage(UserServices::Icon::Critical, RunnerTexts::applicationTitle(),
                         QStringLiteral("无法使用临时文件夹：") + folder);
    return 1;
}

int run(DesktopServices &desktop)
{
    const std::optional<QString> workFolder = AppDirs::preparedWorkFolder();
    if (!workFolder)
        return refuseWorkFolder(desktop, AppDirs::workFolderPath());
    // A second start while the program runs ends here, before any window or file is touched.
    SingleInstance instance;
    if (!instance.tryLock())
        return instance.heldByAnother() ? 0 : refuseWorkFolder(desktop, *workFolder);
    // Only the lock holder may clear what an earlier session left: a running one still needs its files.
    Shutdown::removeLeftovers();

    MainWindow window(AppDirs::programFolder(), desktop);
    desktop.setOwner(&window);
    window.loadSettings();
    window.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    applyProgramLook();
    DesktopServices desktop;
    return run(desktop);
}
