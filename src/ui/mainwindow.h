#pragma once

#include "settings/programsettings.h"
#include "ui/mainwindowlayout.h"
#include "ui/standarddialogs.h"

#include <QString>
#include <QWidget>

#include <functional>

class ConversionRun;
class FileCommands;
class HandoffServer;
class FileList;
class MainWindowCommands;
class ProgressState;
class QMenuBar;
class UserServices;
class WindowRun;
class WindowState;

// The main window: toolbar, file list, settings column, progress area and the corner hot zones.
// It wires its parts together: the layout makes the controls, the commands answer them, the action
// channel runs the popup menus' words, the window's run side starts the run and shows its end, and the window
// state keeps setup.ini. What stays here belongs to the window as a whole: its start-up, the drag
// by its bare background and the hover reset there, and its end.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    // The client area below the menu bar, in logical pixels.
    static constexpr int ClientWidth = MainWindowLayout::ClientWidth;
    static constexpr int ClientHeight = MainWindowLayout::ClientHeight;

    // `programFolder` holds help.html, sound.wav and data/; setup.ini and options.ini live in the
    // settings folder its layout gives (AppDirs::settingsFolder).
    // Message boxes, opening files and folders and the completion sound go through services.
    MainWindow(const QString &programFolder, UserServices &services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up: shared dialogs, the run, setup.ini, captions, options.ini. Runs once, before the
    // window is first shown.
    void startUp();

    // What ends the process once the window has shut down; tests replace it.
    void setProgramEnd(std::function<void()> programEnd);

    // Files and folders named on the command line: files join the list, folders are searched as
    // the add-folder command does, in their order.
    void addPaths(const QList<QByteArray> &nativePaths);
    // What later starts of the program hand over through server joins the list the same way, even
    // during a run, and the window asks to come to the front.
    void acceptHandoffs(HandoffServer &server);
    void bringToFront();

    QString programFolder() const { return m_programFolder; }
    QString settingsFolder() const { return m_settingsFolder; }
    QWidget *clientArea() const { return m_client; }
    QMenuBar *menuBar() const { return m_menuBar; }
    FileList *fileList() const { return m_fileList; }
    // The commands of the window's controls, menus and toolbar.
    MainWindowCommands *commands() const { return m_commands; }
    // The run and the window's side of it, made by the start-up.
    ConversionRun *conversionRun() const { return m_run; }
    WindowRun *windowRun() const { return m_windowRun; }
    ProgressState *progress() const { return m_progress; }
    // The options of options.ini, as the start-up read them and the options dialog changed them.
    const ProgramSettings &settings() const { return m_settings; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void backgroundPointerMoved(Qt::MouseButtons buttons);
    void resetHover();
    // Saves setup.ini, stops the run and removes what it left, then ends the program; once only.
    void shutDown();
    void showProgress();

    QString m_programFolder;
    QString m_settingsFolder;
    UserServices &m_services;
    ProgramSettings m_settings;
    std::function<void()> m_programEnd;
    bool m_shownOnce = false;
    bool m_shutDown = false;

    QMenuBar *m_menuBar = nullptr;
    QWidget *m_client = nullptr;
    MainWindowControls m_controls;
    FileList *m_fileList = nullptr;
    FileCommands *m_fileCommands = nullptr;
    ProgressState *m_progress = nullptr;
    StandardDialogs m_standardDialogs;
    WindowState *m_state = nullptr;
    MainWindowCommands *m_commands = nullptr;
    ConversionRun *m_run = nullptr;
    WindowRun *m_windowRun = nullptr;
};
