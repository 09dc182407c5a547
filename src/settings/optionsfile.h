#pragma once

#include "settings/programsettings.h"

#include <QByteArray>
#include <QString>

// options.ini: the program-wide options, one bare decimal integer per line, CR LF endings:
// the sound choice, the cutter switch, cutStartSeconds, cutEndSeconds, then by position
// simultaneousFiles, library mode, deleting orphans, the largest cover edge (pixels, 0: any) and
// FAT-safe names ("1": on, "0": off), each written when it or a later line differs from its default.
namespace OptionsFile {

QString fileName(); // "options.ini"
// Its path in the settings folder.
QString pathIn(const QString &settingsFolder);

QByteArray compose(const ProgramSettings &settings);

// Each line's leading number, rounded half to even; a missing line gives 0, and so does a missing or
// unreadable file. A value too large for its variable gives 0, except the cut times: they keep to the
// nearest 32-bit bound, so that a huge stored time still reads as beyond the cutter's limit. The cover
// edge keeps its default unless the line starts with an ASCII number --cover-size takes.
ProgramSettings read(const QString &path);
// Replaces the file atomically; false (and the old file untouched) when it could not.
bool write(const QString &path, const ProgramSettings &settings);

} // namespace OptionsFile
