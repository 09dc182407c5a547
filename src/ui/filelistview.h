#pragma once

#include <QByteArray>
#include <QList>
#include <QTreeView>

class FileList;

// fileListView: the file list as a report with a name and a format column. Rows whose conversion
// failed are drawn in red with the reason as their tooltip. Files dragged from a file manager can be
// dropped on it.
class FileListView : public QTreeView
{
    Q_OBJECT

public:
    explicit FileListView(FileList *list, QWidget *parent = nullptr);

    // The selected row, -1 without a selection.
    int selectedRow() const;

signals:
    void filesDropped(const QList<QByteArray> &nativePaths);
};
