#pragma once

#include <QObject>

class ActionChannel;
class QAction;
class QMenu;
class QWidget;
struct CommandActions;

// Holds the main window's popup menus. It never shows itself: each item writes its command's word
// into the main window's action channel, except remove-all, which empties the file list at once.
// Each item is usable while its command is.
class PopupMenus : public QObject
{
    Q_OBJECT

public:
    // The menus are owned by `owner` (they pop up over it).
    PopupMenus(QWidget *owner, ActionChannel &channel, const CommandActions &actions);

    QMenu *filePopup() const { return m_filePopup; }
    QMenu *optionsPopup() const { return m_optionsPopup; }
    QMenu *aboutPopup() const { return m_aboutPopup; }
    QMenu *removePopup() const { return m_removePopup; }

    // Pops the Remove menu up at `globalPos`; returns once an item has done its work or the menu
    // was dismissed.
    void popupRemove(const QPoint &globalPos);

private:
    QMenu *addMenu(QWidget *owner, const QString &name, const QString &title);
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption, QAction *command);
    void addWordItem(QMenu *menu, const QString &name, const QString &caption, QAction *command);

    ActionChannel &m_channel;
    QMenu *m_filePopup;
    QMenu *m_optionsPopup;
    QMenu *m_aboutPopup;
    QMenu *m_removePopup;
};
