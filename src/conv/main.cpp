// conv: the encoder of the program folder, taking MEncoder's command syntax and running ffmpeg.

#include "convjob.h"
#include "convmapping.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

// The ffmpeg on the PATH, else the one the build found.
ConvJob::Tools findTools()
{
    const QString built = QStringLiteral(TUNOXA_FFMPEG);
    ConvJob::Tools tools;
    tools.ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (tools.ffmpeg.isEmpty())
        tools.ffmpeg = built;
    tools.ffprobe = QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
    if (tools.ffprobe.isEmpty())
        tools.ffprobe = QFileInfo(built).dir().filePath(QStringLiteral("ffprobe"));
    return tools;
}

} // namespace

int main(int argc, char *argv[])
{
    // Ending the parent (the converter, or a terminal) ends conv, and conv ends its ffmpeg.
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        return 1;

    QCoreApplication app(argc, argv);
    const ConvMapping::Plan plan = ConvMapping::map(app.arguments().mid(1));
    if (!plan.accepted()) {
        std::fprintf(stdout, "%s\n", plan.error.toLocal8Bit().constData());
        return 1;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return 1;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
    // A reader that went away must not kill conv before it has cleaned up.
    ::signal(SIGPIPE, SIG_IGN);

    ConvJob job(plan, findTools());
    QSocketNotifier notifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &job, [&job] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[1], &byte, 1);
        job.interrupt();
    });
    QObject::connect(&job, &ConvJob::finished, &app, &QCoreApplication::exit);
    QTimer::singleShot(0, &job, &ConvJob::start);
    return app.exec();
}
