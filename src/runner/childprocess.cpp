#include "runner/childprocess.h"

#include <QProcess>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace ChildProcess {

void endWithParent(QProcess &process, long long memoryLimitBytes)
{
#ifdef Q_OS_LINUX
    // The kernel sends the signal when the forking *thread* ends; the program starts its tools from
    // the main thread, which lives as long as the program does.
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent, memoryLimitBytes] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The parent died between the fork and the line above: no signal will come.
        if (::getppid() != parent)
            ::_exit(127);
        // The data segment and private mappings, not the address space: the shared libraries of a
        // tool alone take more of that than any limit worth setting.
        if (memoryLimitBytes > 0) {
            const rlimit limit{rlim_t(memoryLimitBytes), rlim_t(memoryLimitBytes)};
            ::setrlimit(RLIMIT_DATA, &limit);
        }
    });
#else
    Q_UNUSED(process);
    Q_UNUSED(memoryLimitBytes);
#endif
}

} // namespace ChildProcess
