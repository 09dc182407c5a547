#pragma once

#include <QFrame>

class QLabel;

// The hint that lies over the empty list; the file commands show and hide it. It lets mouse events
// and drops pass through to the list below it.
class HintBox : public QFrame
{
    Q_OBJECT

public:
    explicit HintBox(QWidget *parent = nullptr);

    // While nothing is listed.
    static QString dropCaption();
    // While a folder is searched.
    static QString searchingCaption();

    QString caption() const;
    void setCaption(const QString &caption);

signals:
    void captionChanged(const QString &caption);

private:
    QLabel *m_captionLabel;
};
