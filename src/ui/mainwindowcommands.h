#pragma once

#include "ui/mainwindowlayout.h"

#include <QObject>

class FileCommands;
class MainWindow;
class PopupMenus;
class QMenuBar;
class UserServices;
class WindowRunHost;
struct ProgramSettings;

// The main window's commands: every click on a control, every menu item and every action word
// ends in one of them. The menu bar and the toolbar reach them by the toolbar's indices, through
// runToolbarButton and runToolbarCommand.
class MainWindowCommands : public QObject
{
    Q_OBJECT

public:
    // Connects the controls' clicks to their commands. The options dialog shows and changes
    // `settings`; help, the About box and the options dialog's warnings go through `services`.
    MainWindowCommands(MainWindow &window, const MainWindowControls &controls, FileCommands &files,
                       WindowRunHost &runHost, UserServices &services, ProgramSettings &settings);

    // Adds the menus and their items to the window's menu bar.
    void fillMenuBar(QMenuBar *menuBar);
    // The popup menu holder, made on first use.
    PopupMenus *popupMenus();

    // The toolbar buttons (0 to 7; any other index adds files) and the menu items that share them.
    void runToolbarButton(int index);
    // The toolbar dispatch (0 to 6); an index it does not know does nothing.
    void runToolbarCommand(int index);
    void exitProgram();
    void openHelp();
    void showAbout();
    void minimizeWindow();
    void showFeedback();
    void addFileFromDialog();
    void removeSelectedFile();
    void addFolderFromDialog();
    void removeAll();
    void startConversion();
    void chooseOutputFolder();

private:
    void connectControls();
    void popupRemoveMenu();
    void showOptions();

    MainWindow &m_window;
    const MainWindowControls m_controls;
    FileCommands &m_files;
    WindowRunHost &m_runHost;
    UserServices &m_services;
    ProgramSettings &m_settings;
    PopupMenus *m_popupMenus = nullptr;
};
