#pragma once

class QProcess;

// Tools started by the program end with it, however it ends: a crash or a kill included.
namespace ChildProcess {

// Makes the process, once started, receive SIGKILL when the thread that started it dies; a child
// whose parent is already gone by the time it runs ends at once instead of running on unowned.
// With a memory limit, the process can allocate no more data than that. Call it before start.
void endWithParent(QProcess &process, long long memoryLimitBytes = 0);

} // namespace ChildProcess
