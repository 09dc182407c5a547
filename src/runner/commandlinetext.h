#pragma once

#include <QStringList>
#include <QStringView>

// Argument texts written as on a command line, as the format table's options are: blanks separate,
// double quotes group, backslashes escape a quote. Only texts of the program's own go through here;
// paths and settings are arguments of their own and are never split.
namespace CommandLineText {

QStringList splitArguments(QStringView text);

} // namespace CommandLineText
