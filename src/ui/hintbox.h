#pragma once

#include <QFrame>

class FileList;
class QLabel;

// The hint that lies over the empty list. It follows the list's
// hint state and lets mouse events and drops pass through to the list below it.
class HintBox : public QFrame
{
    Q_OBJECT

public:
    explicit HintBox(FileList *list, QWidget *parent = nullptr);

    // "拖拽文件到这里开始转换"
    static QString dropCaption();
    // "搜索文件..."
    static QString searchingCaption();

    QString caption() const;
    void setCaption(const QString &caption);

signals:
    void captionChanged(const QString &caption);

private:
    QLabel *m_captionLabel;
};
