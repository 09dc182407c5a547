#pragma once

#include <QString>

class QWidget;

// One-shot choosers of a file or a folder, Qt's own dialogs owned by a window. Each returns the
// chosen path, or an empty text when the user cancelled.
namespace FileChoosers {

// The output-folder browser's prompt.
QString outputFolderPrompt();
// The add-folder browser's prompt.
QString addFolderPrompt();

// An existing file. Starts in initialFolder, or in the program folder when that is blank or no
// existing folder; an empty filter lists every file ("*.*|*.*"). The program's working folder is
// never changed.
QString chooseFile(QWidget *owner, const QString &title, const QString &initialFolder,
                   const QString &filter = QString());

// A folder (only folders are listed), with prompt as its title, starting in startFolder when that
// is a folder, else in the home folder.
QString chooseFolder(QWidget *owner, const QString &prompt, const QString &startFolder = QString());

} // namespace FileChoosers
