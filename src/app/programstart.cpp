#include "app/programstart.h"
#include "app/startoptions.h"
#include "platform/appdirs.h"
#include "platform/instancehandoff.h"
#include "platform/interfacelanguage.h"
#include "platform/productinfo.h"
#include "platform/shutdown.h"
#include "platform/singleinstance.h"
#include "platform/stopsignals.h"
#include "platform/userservices.h"
#include "platform/windowsystem.h"
#include "ui/desktopservices.h"
#include "ui/firstpaintwatch.h"
#include "ui/mainwindow.h"
#include "ui/programlook.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

void put(std::FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
}

void tell(const QString &text)
{
    put(stderr, QStringLiteral("tunoxa: ") + text + QLatin1Char('\n'));
}

// What the start settled before any window could be shown.
struct Settled
{
    enum class Next
    {
        ShowWindow,
        RefuseWorkFolder,
        End
    };
    Next next = Next::End;
    int exitStatus = 0;
    QString refusedFolder;
    // What the user is told when the work folder is refused or no display can be reached, worded in
    // the interface's language while an application object can load its translation.
    QString refusal = {};
    QString noDisplay = {};
    QList<QByteArray> paths = {}; // the files and folders to add, made absolute
};

Settled endWith(int exitStatus)
{
    return {Settled::Next::End, exitStatus, {}};
}

Settled lockOrHandOver(const QList<QByteArray> &paths, std::optional<SingleInstance> &instance)
{
    const std::optional<QString> workFolder = AppDirs::preparedWorkFolder();
    if (!workFolder)
        return {Settled::Next::RefuseWorkFolder, 1, AppDirs::workFolderPath()};
    // A second start while the program runs hands its files over and ends here, before any window or
    // file of its own is touched.
    instance.emplace();
    switch (InstanceHandoff::lockOrHandOver(*instance, paths)) {
    case InstanceHandoff::Outcome::Locked:
        return {Settled::Next::ShowWindow, 0, {}};
    case InstanceHandoff::Outcome::HandedOver:
        return endWith(0);
    case InstanceHandoff::Outcome::Refused:
        return {Settled::Next::RefuseWorkFolder, 1, *workFolder};
    case InstanceHandoff::Outcome::Unanswered:
        if (paths.isEmpty())
            return endWith(0);
        tell(QCoreApplication::translate("main", "the running program did not take the files"));
        return endWith(1);
    }
    return endWith(1);
}

// The work folder, the single-instance lock and the handoff need no display, so they run before
// the QApplication exists: a second start from a terminal without one still hands its files over.
Settled settle(int argc, char *argv[], const QList<QByteArray> &arguments,
               std::optional<SingleInstance> &instance)
{
    // QApplication reads the command line afresh later; this application object leaves it as it is.
    int coreArgc = argc;
    std::vector<char *> coreArgv(argv, argv + argc + 1);
    QCoreApplication core(coreArgc, coreArgv.data());
    InterfaceLanguage::install(InterfaceLanguage::ofSystem(), AppDirs::programFolder());
    const QByteArray currentFolder = QFile::encodeName(QDir::currentPath());
    const StartOptions::Reading options =
        StartOptions::read(WindowSystem::withoutQtOptions(arguments), currentFolder);
    switch (options.ask) {
    case StartOptions::Reading::Ask::Help:
        put(stdout, StartOptions::usage());
        return endWith(0);
    case StartOptions::Reading::Ask::Version:
        put(stdout, StartOptions::versionLine());
        return endWith(0);
    case StartOptions::Reading::Ask::UsageError:
        put(stderr, StartOptions::unknownOptionText(options.unknownOption));
        return endWith(2);
    case StartOptions::Reading::Ask::Window:
        break;
    }
    const QList<QByteArray> paths = InstanceHandoff::absolutePaths(options.paths, currentFolder);
    Settled settled = lockOrHandOver(paths, instance);
    settled.paths = paths;
    settled.refusal = AppDirs::unusableWorkFolderText() + settled.refusedFolder;
    settled.noDisplay = WindowSystem::noDisplayText();
    return settled;
}

QtMessageHandler qtMessageHandler = nullptr;
QString noDisplayMessage;

// Active only while the QApplication is made: Qt aborts with qFatal when no window system can be
// reached, and the user gets one line in the program's words and status 1 instead.
void endWithoutDisplay(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg) {
        if (qtMessageHandler)
            qtMessageHandler(type, context, message);
        return;
    }
    tell(noDisplayMessage);
    std::fflush(stderr);
    std::_Exit(1);
}

int showWindow(DesktopServices &desktop, const QList<QByteArray> &paths,
               const std::function<void(QWidget &window)> &beforeShow)
{
    // Only the lock holder may clear what an earlier session left: a running one still needs its files.
    Shutdown::removeLeftovers();
    HandoffServer handoffs;

    const QString programFolder = AppDirs::programFolder();
    AppDirs::prepareSettingsFolder(programFolder);
    MainWindow window(programFolder, desktop);
    desktop.setOwner(&window);
    window.startUp();
    window.acceptHandoffs(handoffs);
    // Listening waits for the first paint; a start that comes meanwhile tries again until it is answered.
    new FirstPaintWatch(
        &window, [&handoffs] { handoffs.listen(); }, 1000);
    // A logout, `kill` or a lost terminal ends the program the way Exit does.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::received, &window, &QWidget::close);
    window.addPaths(paths);
    if (beforeShow)
        beforeShow(window);
    window.show();
    return QApplication::exec();
}

} // namespace

int runProgram(int argc, char *argv[], const std::function<void(QWidget &window)> &beforeShow)
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    std::optional<SingleInstance> instance;
    const Settled settled = settle(argc, argv, arguments, instance);
    if (settled.next == Settled::Next::End)
        return settled.exitStatus;
    if (!WindowSystem::seemsReachable(arguments)) {
        tell(settled.next == Settled::Next::RefuseWorkFolder ? settled.refusal : settled.noDisplay);
        return 1;
    }

    noDisplayMessage = settled.noDisplay;
    qtMessageHandler = qInstallMessageHandler(&endWithoutDisplay);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessageHandler);
    applyProgramLook();
    DesktopServices desktop;
    // Every run keeps its intermediates and the single-instance lock in the work folder; without it
    // the program cannot run, and says why.
    if (settled.next == Settled::Next::RefuseWorkFolder) {
        desktop.showMessage(UserServices::Icon::Critical, ProductInfo::applicationTitle(), settled.refusal);
        return settled.exitStatus;
    }
    return showWindow(desktop, settled.paths, beforeShow);
}
