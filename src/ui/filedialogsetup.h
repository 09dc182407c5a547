#pragma once

#include <QString>

class QFileDialog;

namespace FileDialogSetup {

// Qt's own dialog (testable anywhere), the filter text's pairs as name filters with the first one
// selected and matching without letter case, only the descriptions shown.
void applyFilter(QFileDialog &dialog, const QString &filter);
void useQtDialog(QFileDialog &dialog);

} // namespace FileDialogSetup
