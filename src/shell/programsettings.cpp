#include "shell/programsettings.h"

ProgramSettings &ProgramSettings::instance()
{
    static ProgramSettings settings;
    return settings;
}
