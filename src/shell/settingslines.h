#pragma once

#include <QByteArray>
#include <QStringList>

// The settings files are read line by line; a line ends at CR LF, LF or CR.
namespace SettingsLines {

// At most maxLines lines of UTF-8 text; a last line without an ending counts.
QStringList split(const QByteArray &content, int maxLines);

} // namespace SettingsLines
