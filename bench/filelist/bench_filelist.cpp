// Prints how long searching a large folder tree and filling the list takes, against find(1) on the
// same tree, how long removeAll takes, and the longest pause between two handled window events
// while each runs. Both go through the file commands, as the window starts them.
// Run it by hand: bench_filelist [files] [folders]
#include "filelist/filelist.h"
#include "ui/filecommands.h"
#include "ui/filelistview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Folders in two levels (at most 100 per folder) with the files spread evenly, plus one other file
// per folder that the search must pass over.
bool makeTree(const QByteArray &root, int files, int folders)
{
    const int perGroup = 100;
    for (int f = 0; f < folders; ++f) {
        const QByteArray group = root + "/group" + QByteArray::number(f / perGroup);
        if (f % perGroup == 0 && ::mkdir(group.constData(), 0700) != 0)
            return false;
        const QByteArray folder = group + "/album " + QByteArray::number(f);
        if (::mkdir(folder.constData(), 0700) != 0)
            return false;
        const int here = files / folders + (f < files % folders ? 1 : 0);
        for (int i = 0; i <= here; ++i) {
            const QByteArray name =
                i == here ? QByteArray("/cover.jpg") : "/track " + QByteArray::number(i) + ".flac";
            const int fd = ::open((folder + name).constData(), O_CREAT | O_WRONLY, 0600);
            if (fd < 0)
                return false;
            ::close(fd);
        }
    }
    return true;
}

// Records the longest time between two ticks of a 1 ms timer, which runs only when window events do.
class GapMeter : public QObject
{
public:
    GapMeter()
    {
        m_timer.setInterval(1);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_sinceTick.nsecsElapsed());
            m_sinceTick.restart();
        });
    }
    void start()
    {
        m_longest = 0;
        m_sinceTick.start();
        m_timer.start();
    }
    double stopMs()
    {
        m_timer.stop();
        m_longest = std::max(m_longest, m_sinceTick.nsecsElapsed());
        return m_longest / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

double findMs(const QString &root, int *count)
{
    QElapsedTimer timer;
    timer.start();
    QProcess find;
    find.start(QStringLiteral("find"), {root, QStringLiteral("-iname"), QStringLiteral("*.flac")});
    find.waitForFinished(-1);
    const double ms = timer.nsecsElapsed() / 1e6;
    *count = int(find.readAllStandardOutput().count('\n'));
    return ms;
}

// Runs the event loop until the folder search or remove-all of commands has ended.
void waitUntilIdle(FileCommands &commands)
{
    if (!commands.isBusy())
        return;
    QEventLoop loop;
    QObject::connect(&commands, &FileCommands::busyChanged, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? atoi(argv[1]) : 20000;
    const int folders = argc > 2 ? atoi(argv[2]) : 2000;

    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    if (!makeTree(root, files, folders)) {
        std::fprintf(stderr, "could not build the tree in %s\n", root.constData());
        return 1;
    }
    std::printf("tree: %d FLAC files (and %d other files) in %d folders\n", files, folders, folders);

    FileList list;
    FileListView view(&list);
    view.resize(455, 274);
    view.show();
    FileCommands commands(&list, &view, nullptr, FileDialogs());
    GapMeter gaps;

    int found = 0;
    findMs(dir.path(), &found); // both runs read a warm cache
    double bestFind = 1e9;
    double bestScan = 1e9;
    double worstScanGap = 0;
    double worstRemoveGap = 0;
    double bestRemove = 1e9;
    const int rounds = 3;
    for (int round = 0; round < rounds; ++round) {
        bestFind = std::min(bestFind, findMs(dir.path(), &found));

        QElapsedTimer timer;
        gaps.start();
        timer.start();
        commands.addFolder(dir.path());
        waitUntilIdle(commands);
        bestScan = std::min(bestScan, timer.nsecsElapsed() / 1e6);
        worstScanGap = std::max(worstScanGap, gaps.stopMs());
        if (list.count() != files || found != files) {
            std::fprintf(stderr, "found %d with the search, %d with find, expected %d\n", int(list.count()),
                         found, files);
            return 1;
        }

        gaps.start();
        timer.restart();
        commands.removeAll();
        waitUntilIdle(commands);
        bestRemove = std::min(bestRemove, timer.nsecsElapsed() / 1e6);
        worstRemoveGap = std::max(worstRemoveGap, gaps.stopMs());
    }

    std::printf("find -iname '*.flac':          %8.1f ms (best of %d)\n", bestFind, rounds);
    std::printf("search and list (with view):   %8.1f ms (best of %d)\n", bestScan, rounds);
    std::printf("ratio search+list / find:      %8.2f\n", bestScan / bestFind);
    std::printf("removeAll, %d rows:     %8.1f ms (best of %d)\n", files, bestRemove, rounds);
    std::printf("longest event gap, search:     %8.1f ms (worst of %d)\n", worstScanGap, rounds);
    std::printf("longest event gap, removal:    %8.1f ms (worst of %d)\n", worstRemoveGap, rounds);
    return 0;
}
