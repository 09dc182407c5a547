#pragma once

#include <QString>

// Name of the tool the run is about to start ("conv", "coder", "coder2", "sox"). The run writes it
// before every stage so the window and the logs can tell which tool is working; the runner itself
// decides a tool's end from its own child process, never by looking for this name.
extern QString ToolProcessName;
