#include "runner/toolprocessname.h"

QString ToolProcessName;
