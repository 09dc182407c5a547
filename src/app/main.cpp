#include "runner/runnertexts.h"
#include "shell/appdirs.h"
#include "shell/desktopservices.h"
#include "shell/instancehandoff.h"
#include "shell/shutdown.h"
#include "shell/singleinstance.h"
#include "shell/userservices.h"
#include "ui/mainwindow.h"
#include "ui/programlook.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

// Every run keeps its intermediates and the single-instance lock in the work folder; without it the
// program cannot run, and says why.
int refuseWorkFolder(UserServices &services, const QString &folder)
{
    services.showMessage(UserServices::Icon::Critical, RunnerTexts::applicationTitle(),
                         AppDirs::unusableWorkFolderText() + folder);
    return 1;
}

int run(DesktopServices &desktop, const QList<QByteArray> &paths)
{
    const std::optional<QString> workFolder = AppDirs::preparedWorkFolder();
    if (!workFolder)
        return refuseWorkFolder(desktop, AppDirs::workFolderPath());
    // A second start while the program runs hands its files over and ends here, before any window or
    // file of its own is touched.
    SingleInstance instance;
    switch (InstanceHandoff::lockOrHandOver(instance, paths)) {
    case InstanceHandoff::Outcome::Locked:
        break;
    case InstanceHandoff::Outcome::HandedOver:
        return 0;
    case InstanceHandoff::Outcome::Refused:
        return refuseWorkFolder(desktop, *workFolder);
    case InstanceHandoff::Outcome::Unanswered:
        if (paths.isEmpty())
            return 0;
        std::fputs("tunoxa: the running program did not take the files\n", stderr);
        return 1;
    }
    // Only the lock holder may clear what an earlier session left: a running one still needs its files.
    Shutdown::removeLeftovers();
    // Listening starts before the window is made; starts that come meanwhile are answered once it runs.
    HandoffServer handoffs;
    handoffs.listen();

    const QString programFolder = AppDirs::programFolder();
    AppDirs::prepareSettingsFolder(programFolder);
    MainWindow window(programFolder, desktop);
    desktop.setOwner(&window);
    window.loadSettings();
    window.acceptHandoffs(handoffs);
    window.addPaths(paths);
    window.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    applyProgramLook();
    // What is left of the command line once Qt has taken its own options: files and folders to add.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    DesktopServices desktop;
    return run(desktop, InstanceHandoff::absolutePaths(arguments, QFile::encodeName(QDir::currentPath())));
}
