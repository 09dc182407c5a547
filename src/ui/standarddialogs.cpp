#include "ui/standarddialogs.h"

#include "platform/appdirs.h"
#include "ui/filechoosers.h"
#include "ui/filedialogsetup.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>

namespace {

QString upToNul(const QString &text)
{
    return text.section(QChar(0), 0, 0);
}

QColor toColor(qint32 color)
{
    return QColor(color & 0xff, (color >> 8) & 0xff, (color >> 16) & 0xff);
}

qint32 fromColor(const QColor &color)
{
    return color.red() + 256 * color.green() + 65536 * color.blue();
}

} // namespace

QString StandardDialogs::title() const
{
    return upToNul(m_title);
}

QString StandardDialogs::path() const
{
    return upToNul(m_path);
}

QString StandardDialogs::fileTitle() const
{
    return upToNul(m_fileTitle);
}

QString StandardDialogs::fileName() const
{
    return upToNul(m_fileName);
}

bool StandardDialogs::showPrinter()
{
    return false;
}

bool StandardDialogs::showPrinterProperties()
{
    return false;
}

bool StandardDialogs::showFolder()
{
    if (!m_owner)
        return false;
    const QString folder = FileChoosers::chooseFolder(m_owner, title(), path());
    if (folder.isEmpty())
        return false;
    m_path = folder;
    m_fileName.clear();
    m_fileTitle.clear();
    return true;
}

bool StandardDialogs::showColor(bool fullOpen)
{
    Q_UNUSED(fullOpen) // Qt's colour dialog always shows its custom part.
    if (!m_owner)
        return false;
    const QColor chosen =
        QColorDialog::getColor(toColor(m_color), m_owner, title(), QColorDialog::DontUseNativeDialog);
    if (!chosen.isValid())
        return false;
    m_color = fromColor(chosen);
    return true;
}

bool StandardDialogs::showFont()
{
    if (!m_owner)
        return false;
    QFont initial(m_fontName);
    if (m_fontSize > 0)
        initial.setPointSize(m_fontSize);
    initial.setBold(m_fontBold);
    initial.setItalic(m_fontItalic);
    initial.setUnderline(m_fontUnderline);
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, initial, m_owner, title(), QFontDialog::DontUseNativeDialog);
    if (!ok)
        return false;
    m_fontName = chosen.family();
    m_fontBold = chosen.bold();
    m_fontItalic = chosen.italic();
    m_fontSize = qint16(qRound(chosen.pointSizeF()));
    return true;
}

bool StandardDialogs::showOpen()
{
    return chooseFile(false);
}

bool StandardDialogs::showSave()
{
    return chooseFile(true);
}

bool StandardDialogs::chooseFile(bool save)
{
    if (!m_owner)
        return false;
    QFileDialog dialog(m_owner, save ? tr("Save") : title());
    FileDialogSetup::useQtDialog(dialog);
    FileDialogSetup::applyFilter(dialog, m_filter);
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDirectory(
            QFileInfo(path()).isDir() ? path() : AppDirs::chooserStartFolder(AppDirs::programFolder()));
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(m_defaultExtension);
        dialog.setDirectory(m_openFolder.isEmpty() ? QDir::currentPath() : m_openFolder);
    }
    if (!fileName().isEmpty())
        dialog.selectFile(fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    m_fileName = chosen.absoluteFilePath();
    m_fileTitle = chosen.fileName();
    m_path = chosen.absolutePath();
    if (!save)
        m_openFolder = m_path;
    return true;
}
