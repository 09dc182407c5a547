#pragma once

#include "conversion/conversionrun.h"
#include "shell/programsettings.h"
#include "shell/standarddialogs.h"

#include <QMap>
#include <QString>
#include <QWidget>

#include <functional>

class FileCommands;
class FileList;
class FileListView;
class HintBox;
class ProgressDisplay;
class HotLabel;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QToolButton;
class UserServices;
class PopupMenus;

// The main window: toolbar, file list, settings column, progress area and the corner hot zones.
// Every command of the window ends in one of its command procedures below; menus and toolbar
// reach them through runToolbarButton and runToolbarCommand, the popup menus through m_actionChannel.
class MainWindow : public QWidget, private RunHost
{
    Q_OBJECT

public:
    // The client area below the menu bar, in logical pixels.
    static constexpr int ClientWidth = 698;
    static constexpr int ClientHeight = 455;

    // `programFolder` holds setup.ini, options.ini, help.html and data/.
    // Message boxes, opening files and folders and the completion sound go through services.
    MainWindow(const QString &programFolder, UserServices &services, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The start-up: shared dialogs, runners, defaults, setup.ini, captions, options.ini.
    // Runs once, before the window is first shown.
    void loadSettings();

    // What ends the process once the window has unloaded; tests replace it.
    void setProgramEnd(std::function<void()> programEnd);

    QWidget *clientArea() const { return m_client; }
    QMenuBar *menuBar() const { return m_menuBar; }
    FileList *fileList() const { return m_fileList; }
    // The run, made by the start-up.
    ConversionRun *conversionRun() const { return m_run; }
    ProgressDisplay *progress() const { return m_progress; }
    // The options of options.ini, as the start-up read them and the options dialog changed them.
    const ProgramSettings &settings() const { return m_settings; }
    StandardDialogs &standardDialogs() { return m_standardDialogs; }
    // The popup menu holder, made on first use.
    PopupMenus *popupMenus();

    // Command procedures.
    void runToolbarButton(int index);
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
    void loadFormatDefaults();
    void dispatchAction();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    int formatPosition() const override;
    EncodingSettings encodingSettings() const override;
    QString outputFolderText() const override;
    void setOutputFolderText(const QString &text) override;
    void setRunControlsEnabled(bool enabled) override;
    void showDropZone() override;
    QString programFolder() const override;

    void buildMenuBar();
    void buildToolbar();
    void buildCorner();
    void buildFileArea();
    void buildSettings();
    void buildOutputArea();
    void buildOffWindowControls();

    HotLabel *addHotZone(const QString &name, const QRect &rect, const QString &toolTip,
                         const QString &litPicture);
    HotLabel *addPictureButton(const QString &name, const QPoint &pos);
    QLabel *addLabel(const QString &name, const QString &text, const QPoint &pos);
    QComboBox *addCombo(const QString &name, const QRect &rect, const QStringList &entries, bool editable);

    void backgroundPointerMoved(Qt::MouseButtons buttons);
    void resetHover();
    void popupRemoveMenu();
    void showOptions();
    void writeSetupIni();
    void restoreSetupIni();
    void unload();
    void showProgress();
    void holdCommandsWhileListBusy(bool busy);
    QString setupIniPath() const;

    QString m_programFolder;
    UserServices &m_services;
    ProgramSettings m_settings;
    std::function<void()> m_programEnd;
    bool m_shownOnce = false;
    bool m_unloaded = false;

    QMenuBar *m_menuBar = nullptr;
    QWidget *m_client = nullptr;
    FileList *m_fileList = nullptr;
    FileCommands *m_fileCommands = nullptr;
    ProgressDisplay *m_progress = nullptr;
    ConversionRun *m_run = nullptr;
    StandardDialogs m_standardDialogs;
    PopupMenus *m_popupMenus = nullptr;

    QMap<int, QToolButton *> m_toolbarButtons;
    QMap<int, HotLabel *> m_hiddenToolbar;
    QLabel *m_cornerPicture = nullptr;
    HotLabel *m_helpZone = nullptr;
    HotLabel *m_minimizeZone = nullptr;
    HotLabel *m_closeZone = nullptr;
    HotLabel *m_addPicture = nullptr;
    HotLabel *m_removePicture = nullptr;
    HotLabel *m_startPicture = nullptr;
    HotLabel *m_browsePicture = nullptr;
    HotLabel *m_convertPicture = nullptr;
    FileListView *m_fileListView = nullptr;
    HintBox *m_hintBox = nullptr;
    QLabel *m_dropZone = nullptr;
    QLabel *m_barPicture = nullptr;
    QLabel *m_progressCaption = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QComboBox *m_formatCombo = nullptr;
    QComboBox *m_videoBitrateCombo = nullptr;
    QComboBox *m_frameRateCombo = nullptr;
    QComboBox *m_sizeCombo = nullptr;
    QComboBox *m_sampleRateCombo = nullptr;
    QComboBox *m_audioBitrateCombo = nullptr;
    QComboBox *m_channelCombo = nullptr;
    QLineEdit *m_outputFolderEdit = nullptr;
    QPushButton *m_browseButton = nullptr;
    QPushButton *m_startButton = nullptr;
    HotLabel *m_productLink = nullptr;
    HotLabel *m_feedbackLink = nullptr;
    QLineEdit *m_actionChannel = nullptr;
};
