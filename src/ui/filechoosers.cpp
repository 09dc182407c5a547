#include "ui/filechoosers.h"

#include "platform/appdirs.h"
#include "platform/userpath.h"
#include "ui/filedialogsetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace FileChoosers {

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(FileChoosers)
};

} // namespace

QString outputFolderPrompt()
{
    return Texts::tr("请选择一个文件夹:");
}

QString addFolderPrompt()
{
    return Texts::tr("选择一个文件夹:");
}

QString chooseFolder(QWidget *owner, const QString &prompt, const QString &startFolder)
{
    QFileDialog dialog(owner, prompt);
    FileDialogSetup::useQtDialog(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(
        UserPath::isAbsolute(startFolder) && QFileInfo(startFolder).isDir() ? startFolder : QDir::homePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return QDir::cleanPath(dialog.selectedFiles().constFirst());
}

QString chooseFile(QWidget *owner, const QString &title, const QString &initialFolder, const QString &filter)
{
    const QString fallback = AppDirs::chooserStartFolder(AppDirs::programFolder());
    QString start = initialFolder.trimmed().isEmpty() ? fallback : initialFolder;
    if (!QFileInfo(start).isDir())
        start = fallback;
    QFileDialog dialog(owner, title, start);
    FileDialogSetup::useQtDialog(dialog);
    FileDialogSetup::applyFilter(dialog, filter.trimmed().isEmpty() ? QStringLiteral("*.*|*.*") : filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace FileChoosers
