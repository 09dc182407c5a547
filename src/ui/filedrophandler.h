#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

class QWidget;

// Lets a widget take files dragged from a file manager: drags that carry files are accepted with
// the copy effect, a drop hands on every path in its order, and a left click is reported too.
class FileDropHandler : public QObject
{
    Q_OBJECT

public:
    // Starts handling drops on target (and its clicks); the handler is a child of target.
    static FileDropHandler *attach(QWidget *target);

signals:
    void filesDropped(const QList<QByteArray> &nativePaths);
    void clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit FileDropHandler(QWidget *target);

    bool m_dragHasFiles = false;
};
