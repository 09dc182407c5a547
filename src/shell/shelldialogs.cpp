#include "shell/shelldialogs.h"

#include "shell/filedialogsetup.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace FileChoosers {

QString outputFolderPrompt()
{
    return QStringLiteral("请选择一个文件夹:");
}

QString addFolderPrompt()
{
    return QStringLiteral("选择一个文件夹:");
}

QString chooseFolder(QWidget *owner, const QString &prompt, const QString &startFolder)
{
    QFileDialog dialog(owner, prompt);
    FileDialogSetup::useQtDialog(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(!startFolder.isEmpty() && QFileInfo(startFolder).isDir() ? startFolder
                                                                                 : QDir::homePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::cleanPath(dialog.selectedFiles().constFirst());
}

} // namespace FileChoosers
