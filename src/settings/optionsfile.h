#pragma once

#include "settings/programsettings.h"

#include <QByteArray>
#include <QString>

// options.ini: the program-wide options, one bare decimal integer per line in the order of
// ProgramOptions::all(), CR LF endings. A line is written when its option is always written (the
// first four) or when it or a later line differs from its default, so that a file with the later
// options at their defaults is as it was before they came.
namespace OptionsFile {

QString fileName(); // "options.ini"
// Its path in the settings folder.
QString pathIn(const QString &settingsFolder);

QByteArray compose(const ProgramSettings &settings);

// Each line as its option's Reading says; a missing line gives the default, and so does a missing or
// unreadable file.
ProgramSettings read(const QString &path);
// Replaces the file atomically; false (and the old file untouched) when it could not.
bool write(const QString &path, const ProgramSettings &settings);

} // namespace OptionsFile
