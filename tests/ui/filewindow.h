#pragma once

// The main window's file list pieces for the file list tests, with scripted dialogs.
#include "common/listrows.h"
#include "common/testfiles.h"
#include "filelist/filelist.h"
#include "ui/filecommands.h"
#include "ui/filelistview.h"
#include "ui/hintbox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>
#include <QtTest>

using TestFiles::touch;

namespace FileListTest {

inline QStringList paths(const FileList &list)
{
    QStringList result;
    for (const FileList::Id id : rowIds(list))
        result.append(list.path(id));
    return result;
}

inline QList<bool> boolArguments(const QSignalSpy &spy)
{
    QList<bool> values;
    for (const QList<QVariant> &arguments : spy)
        values.append(arguments.at(0).toBool());
    return values;
}

// A file manager's drag: enter, then drop, delivered the way the window system delivers them.
struct DropResult
{
    bool enterAccepted = false;
    bool dropAccepted = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

inline DropResult dragAndDrop(QWidget *target, QMimeData *data)
{
    DropResult result;
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    result.enterAccepted = enter.isAccepted();
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    result.dropAccepted = drop.isAccepted();
    result.action = drop.dropAction();
    return result;
}

inline QMimeData *urls(const QStringList &localPaths)
{
    auto *data = new QMimeData;
    QList<QUrl> list;
    for (const QString &path : localPaths)
        list.append(QUrl::fromLocalFile(path));
    data->setUrls(list);
    return data;
}

struct DialogCall
{
    QString title;
    QString filter;
    QString path;
};

// The main window's pieces, as it arranges them.
struct Window
{
    QWidget frame;
    FileList *list = new FileList(&frame);
    FileListView *fileListView = new FileListView(list, &frame);
    HintBox *hintBox = new HintBox(&frame);
    QLabel *dropZone = new QLabel(QStringLiteral("Drag media files onto this DropZone"), &frame);
    FileCommands *commands = nullptr;
    QList<DialogCall> openCalls;
    QStringList openAnswers;
    QStringList folderPrompts;
    QStringList folderAnswers;
    QStringList browseAnswers;

    Window()
    {
        FileDialogs dialogs;
        dialogs.openFile = [this](const QString &title, const QString &filter, const QString &path) {
            openCalls.append({title, filter, path});
            return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
        };
        dialogs.browseFolder = [this](const QString &prompt) {
            folderPrompts.append(prompt);
            return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
        };
        dialogs.browseForFile = [this] {
            return browseAnswers.isEmpty() ? QString() : browseAnswers.takeFirst();
        };
        commands = new FileCommands(list, fileListView, hintBox, std::move(dialogs), &frame);
        commands->attachDropZone(dropZone);
        frame.resize(480, 400);
        fileListView->setGeometry(4, 90, 455, 274);
        hintBox->setGeometry(152, 208, 163, 21);
        dropZone->setGeometry(0, 0, 100, 30);
    }
    bool hintShown() const { return !hintBox->isHidden(); }
};

} // namespace FileListTest
