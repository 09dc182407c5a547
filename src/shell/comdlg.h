#pragma once

#include <QString>

class QWidget;

namespace FileChoosers {

// An open-file dialog returning the chosen existing file, "" when cancelled. It starts in
// initialFolder, or in the program folder when that is blank or no existing folder; an empty
// filter lists every file ("*.*|*.*"). The program's working folder is never changed.
QString chooseFile(QWidget *owner, const QString &title, const QString &initialFolder,
                   const QString &filter = QString());

} // namespace FileChoosers
