#include "runner/childprocess.h"

#include <QProcess>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>
#endif

namespace ChildProcess {

void endWithParent(QProcess &process)
{
#ifdef Q_OS_LINUX
    // The kernel sends the signal when the forking *thread* ends; the program starts its tools from
    // the main thread, which lives as long as the program does.
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The parent died between the fork and the line above: no signal will come.
        if (::getppid() != parent)
            ::_exit(127);
    });
#else
    Q_UNUSED(process);
#endif
}

} // namespace ChildProcess
