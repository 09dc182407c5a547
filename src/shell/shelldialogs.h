#pragma once

#include <QString>

class QWidget;

namespace FileChoosers {

// The output-folder browser: "请选择一个文件夹:".
QString outputFolderPrompt();
// The add-folder browser: "选择一个文件夹:".
QString addFolderPrompt();

// A folder browser (only folders) owned by owner, with prompt as its title, starting in
// startFolder when that is a folder, else in the home folder. Returns the chosen folder's path,
// or an empty text when the user cancelled.
QString chooseFolder(QWidget *owner, const QString &prompt, const QString &startFolder = QString());

} // namespace FileChoosers
