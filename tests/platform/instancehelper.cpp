// Holds the program's single-instance lock the way a start of the program does: prints "locked"
// and stays until killed, or prints "busy" and ends with status 3 when another process holds it.
#include "platform/singleinstance.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SingleInstance instance;
    if (!instance.tryLock()) {
        std::puts("busy");
        return 3;
    }
    std::puts("locked");
    std::fflush(stdout);
    return app.exec();
}
