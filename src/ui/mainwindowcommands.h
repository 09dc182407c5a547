#pragma once

#include "ui/commandactions.h"
#include "ui/mainwindowlayout.h"

#include <QHash>
#include <QObject>
#include <QSet>

class ActionChannel;
class FileCommands;
class HotLabel;
class QWidget;
class PopupMenus;
class QAbstractButton;
class QAction;
class QMenuBar;
class UserServices;
struct ProgramSettings;

// The main window's commands. Each is one QAction, hung on every menu item, toolbar button and
// picture that offers it; a control that offers a command is usable while the command is enabled
// and nothing holds the control itself. The popup menus reach the commands through the action
// channel's words.
class MainWindowCommands : public QObject
{
    Q_OBJECT

public:
    // The options dialog shows and changes `settings`; help, the About box and the options
    // dialog's warnings go through `services`.
    // window: the main window, which the dialogs belong to; its program folder holds the guide, its
    // settings folder the options. Start is the start action's, for whoever runs conversions.
    MainWindowCommands(QWidget &window, const QString &programFolder, const QString &settingsFolder,
                       const MainWindowControls &controls, FileCommands &files, UserServices &services,
                       ProgramSettings &settings);

    const CommandActions &actions() const { return m_actions; }
    // Adds the menus and their items to the window's menu bar.
    void fillMenuBar(QMenuBar *menuBar);
    // The popup menu holder, made on first use.
    PopupMenus *popupMenus();
    // A held control stays disabled whatever its command's state, until it is let go.
    void holdControl(QWidget *control, bool held);

private:
    QAction *addAction(const QString &name, const QString &text, const QString &icon = {});
    void makeActions();
    void connectControls();
    // The button shows the command's text and icon; it is usable while the command is and the
    // button is not held. (A default action would re-enable a held button whenever the command
    // changes.)
    void offer(QAbstractButton *button, QAction *action);
    void offer(HotLabel *picture, QAction *action);
    void showEnabled(QWidget *control);
    // Start, adding a folder and emptying the list wait until a folder scan or a remove-all is over.
    void holdWhileListBusy(bool busy);

    void popUpRemoveMenu();
    void exitProgram();
    void openHelp();
    void showAbout();
    // The About box's text: the website, the build's version and the rights.
    static QString aboutText();
    void minimizeWindow();
    void showFeedback();
    void chooseOutputFolder();
    void showOptions();

    QWidget &m_window;
    const QString m_programFolder;
    const QString m_settingsFolder;
    const MainWindowControls m_controls;
    FileCommands &m_files;
    UserServices &m_services;
    ProgramSettings &m_settings;
    CommandActions m_actions;
    ActionChannel *m_channel = nullptr;
    PopupMenus *m_popupMenus = nullptr;
    QHash<QWidget *, QAction *> m_offeredBy;
    QSet<QWidget *> m_held;
};
