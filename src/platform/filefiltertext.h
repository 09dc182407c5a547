#pragma once

#include <QString>
#include <QStringList>

// The filter text of the file dialogs, "description|pattern|description|pattern...", turned into
// Qt name filters. Patterns match without regard to letter case, as users of the program expect
// ("*.flac" lists "X.FLAC"); "*.*" lists every file, also those without an extension.
namespace FileFilterText {

// One "description (patterns)" entry per pair; the first is the one to preselect. A pair without
// a pattern lists every file.
QStringList toNameFilters(const QString &filter);

// "*.flac" -> "*.[fF][lL][aA][cC]"; "*.*" -> "*".
QString caseInsensitivePattern(const QString &pattern);

} // namespace FileFilterText
