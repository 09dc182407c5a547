#pragma once

#include <functional>

class QWidget;

// The window program from its command line to the end of its event loop: the work folder, the
// single-instance lock or the handoff to the running program, then the main window. beforeShow,
// when given, sees the main window just before it is first shown.
int runProgram(int argc, char *argv[], const std::function<void(QWidget &window)> &beforeShow = {});
