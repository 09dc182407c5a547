#include "ui/filelistview.h"

#include "filelist/filelist.h"
#include "ui/filedrophandler.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

namespace {

class FailedRowDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!index.data(FileList::FailedRole).toBool())
            return;
        option->palette.setColor(QPalette::Text, Qt::red);
        option->palette.setColor(QPalette::HighlightedText, Qt::red);
    }
};

} // namespace

FileListView::FileListView(FileList *list, QWidget *parent)
    : QTreeView(parent)
{
    setObjectName(QStringLiteral("fileListView"));
    setModel(list);
    setItemDelegate(new FailedRowDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(FileList::NameColumn, QHeaderView::Stretch);
    header()->setSectionResizeMode(FileList::FormatColumn, QHeaderView::Fixed);
    header()->resizeSection(FileList::FormatColumn, 60);

    // Drops arrive at the viewport, which the handler answers before the view's own item moving.
    setAcceptDrops(true);
    connect(FileDropHandler::attach(viewport()), &FileDropHandler::filesDropped, this,
            &FileListView::filesDropped);
}

int FileListView::selectedRow() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}
