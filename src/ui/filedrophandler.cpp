#include "ui/filedrophandler.h"

#include "filelist/droppedfiles.h"

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QWidget>

FileDropHandler::FileDropHandler(QWidget *target)
    : QObject(target)
{
    target->setAcceptDrops(true);
    target->installEventFilter(this);
}

FileDropHandler *FileDropHandler::attach(QWidget *target)
{
    return new FileDropHandler(target);
}

bool FileDropHandler::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
        // Decided once per drag: a long file list is not read again on every mouse move.
        m_dragHasFiles =
            !DroppedFiles::fromMimeData(static_cast<QDragEnterEvent *>(event)->mimeData()).isEmpty();
        [[fallthrough]];
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (m_dragHasFiles) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QList<QByteArray> paths = DroppedFiles::fromMimeData(drop->mimeData());
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (!paths.isEmpty())
            emit filesDropped(paths);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *release = static_cast<QMouseEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (release->button() == Qt::LeftButton && widget &&
            widget->rect().contains(release->position().toPoint()))
            emit clicked();
        return false;
    }
    default:
        return false;
    }
}
