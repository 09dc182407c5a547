#pragma once

#include <QObject>

class QAction;
class QLineEdit;
class QMenu;
class QWidget;

// Holds the main window's popup menus. It never shows itself: each item writes its action word
// into the main window's action channel, except "移除全部", which empties the file list at once.
class frmMenu : public QObject
{
    Q_OBJECT

public:
    // The menus are owned by `owner` (they pop up over it); the words go into `txtAction`.
    frmMenu(QWidget *owner, QLineEdit *txtAction);

    QMenu *menuFile() const { return m_menuFile; }
    QMenu *menuOptions() const { return m_menuOptions; }
    QMenu *menuAbout() const { return m_menuAbout; }
    QMenu *menuRemove() const { return m_menuRemove; }

    // Pops the Remove menu up at `globalPos`; returns once an item has done its work or the menu
    // was dismissed.
    void popupRemove(const QPoint &globalPos);

signals:
    // menuRemoveAll_Click: the file list is to be emptied now.
    void removeAllRequested();

private:
    QMenu *addMenu(QWidget *owner, const QString &name, const QString &title);
    QAction *addWordItem(QMenu *menu, const QString &name, const QString &caption, const QString &word);
    void menuRemoveAll_Click();

    QLineEdit *m_txtAction;
    QMenu *m_menuFile;
    QMenu *m_menuOptions;
    QMenu *m_menuAbout;
    QMenu *m_menuRemove;
};
