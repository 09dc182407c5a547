#pragma once

#include <QString>

// Paths the user gives: typed into the window, named on a command line, stored in a settings file
// or in the environment. Qt's file classes take a path that begins with ":" for one of the program's
// built-in resources, and call it absolute; here it is an ordinary relative name (":" is a legal
// character in file names), so such paths are judged and made absolute by their own text before any
// of Qt's file classes sees them.
namespace UserPath {

// Begins with "/" (on Windows: a drive or a network share).
bool isAbsolute(const QString &path);

// path itself when it is absolute, otherwise base + "/" + path; nothing else is changed.
QString absolute(const QString &path, const QString &base);

} // namespace UserPath
