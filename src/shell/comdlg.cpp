#include "shell/comdlg.h"

#include "shell/appdirs.h"
#include "shell/filedialogsetup.h"

#include <QFileDialog>
#include <QFileInfo>

namespace FileChoosers {

QString chooseFile(QWidget *owner, const QString &title, const QString &initialFolder, const QString &filter)
{
    QString start = initialFolder.trimmed().isEmpty() ? AppDirs::programFolder() : initialFolder;
    if (!QFileInfo(start).isDir())
        start = AppDirs::programFolder();
    QFileDialog dialog(owner, title, start);
    FileDialogSetup::useQtDialog(dialog);
    FileDialogSetup::applyFilter(dialog, filter.trimmed().isEmpty() ? QStringLiteral("*.*|*.*") : filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace FileChoosers
