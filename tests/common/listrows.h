#pragma once

#include "filelist/filelist.h"

#include <QList>

// The file list as its view reads it: each row's id and failed mark, through the model's roles.

// The id of the entry at row; 0 outside the list.
inline FileList::Id rowId(const FileList &list, int row)
{
    return list.index(row, 0).data(FileList::IdRole).value<FileList::Id>();
}

// The ids of the rows, top to bottom.
inline QList<FileList::Id> rowIds(const FileList &list)
{
    QList<FileList::Id> ids;
    for (int row = 0; row < list.rowCount(); ++row)
        ids.append(rowId(list, row));
    return ids;
}

// The row of the entry shows the failed mark.
inline bool markedFailed(const FileList &list, FileList::Id id)
{
    const int row = list.rowOf(id);
    return row >= 0 && list.index(row, 0).data(FileList::FailedRole).toBool();
}
