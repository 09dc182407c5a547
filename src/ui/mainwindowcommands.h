#pragma once

#include "ui/mainwindowlayout.h"

#include <QHash>
#include <QObject>
#include <QSet>

class ActionChannel;
class FileCommands;
class HotLabel;
class MainWindow;
class PopupMenus;
class QAbstractButton;
class QAction;
class QMenuBar;
class UserServices;
struct ProgramSettings;

// One action per command of the main window, each with its text, icon and enabled state.
struct CommandActions
{
    QAction *addFile = nullptr;
    QAction *addFolder = nullptr;
    QAction *removeSelected = nullptr;
    QAction *removeAll = nullptr;
    QAction *popUpRemoveMenu = nullptr;
    QAction *options = nullptr;
    QAction *help = nullptr;
    QAction *about = nullptr;
    QAction *exit = nullptr;
    QAction *start = nullptr;
    QAction *chooseOutputFolder = nullptr;
};

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
    MainWindowCommands(MainWindow &window, const MainWindowControls &controls, FileCommands &files,
                       UserServices &services, ProgramSettings &settings);

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
    void startConversion();
    void chooseOutputFolder();
    void showOptions();

    MainWindow &m_window;
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
