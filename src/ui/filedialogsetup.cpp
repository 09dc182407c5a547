#include "ui/filedialogsetup.h"

#include "platform/filefiltertext.h"

#include <QFileDialog>

namespace FileDialogSetup {

void useQtDialog(QFileDialog &dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
}

void applyFilter(QFileDialog &dialog, const QString &filter)
{
    const QStringList filters = FileFilterText::toNameFilters(filter);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
}

} // namespace FileDialogSetup
