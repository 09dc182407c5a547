#pragma once

#include <QObject>

class QLineEdit;
class QMenu;
class QWidget;

// Holds the main window's popup menus. It never shows itself: each item writes its action word
// into the main window's action channel, except "移除全部", which empties the file list at once.
class PopupMenus : public QObject
{
    Q_OBJECT

public:
    // The menus are owned by `owner` (they pop up over it); the words go into `actionChannel`.
    PopupMenus(QWidget *owner, QLineEdit *actionChannel);

    QMenu *filePopup() const { return m_filePopup; }
    QMenu *optionsPopup() const { return m_optionsPopup; }
    QMenu *aboutPopup() const { return m_aboutPopup; }
    QMenu *removePopup() const { return m_removePopup; }

    // Pops the Remove menu up at `globalPos`; returns once an item has done its work or the menu
    // was dismissed.
    void popupRemove(const QPoint &globalPos);

signals:
    // The file list is to be emptied now.
    void removeAllRequested();

private:
    QMenu *addMenu(QWidget *owner, const QString &name, const QString &title);
    void addWordItem(QMenu *menu, const QString &name, const QString &caption, const QString &word);

    QLineEdit *m_actionChannel;
    QMenu *m_filePopup;
    QMenu *m_optionsPopup;
    QMenu *m_aboutPopup;
    QMenu *m_removePopup;
};
