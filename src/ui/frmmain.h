#pragma once

#include "conversion/conversionrun.h"
#include "shell/ccommondialogs.h"

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
class frmMenu;

// The main window: toolbar, file list, settings column, progress area and the corner hot zones.
// Every command of the window ends in one of its command procedures below; menus and toolbar
// reach them through CmdToolsBar_Click and imgToolbar_Click, the popup menus through txtAction.
class frmMain : public QWidget, private RunHost
{
    Q_OBJECT

public:
    // The client area below the menu bar, in logical pixels.
    static constexpr int ClientWidth = 698;
    static constexpr int ClientHeight = 455;

    // `programFolder` holds setup.ini, options.ini, help.html and data/.
    explicit frmMain(const QString &programFolder, QWidget *parent = nullptr);
    ~frmMain() override;

    // The start-up: shared dialogs, runners, defaults, setup.ini, captions, options.ini.
    // Runs once, before the window is first shown.
    void Form_Load();

    // What ends the process once the window has unloaded; tests replace it.
    void setProgramEnd(std::function<void()> programEnd);

    QWidget *clientArea() const { return m_client; }
    QMenuBar *menuBar() const { return m_menuBar; }
    FileList *fileList() const { return m_fileList; }
    // The run, made by the start-up.
    ConversionRun *conversionRun() const { return m_run; }
    ProgressDisplay *progress() const { return m_progress; }
    CCommonDialogs &sharedDialogs() { return SharedDialogs; }
    // The popup menu holder, made on first use.
    frmMenu *menuHolder();

    // Command procedures.
    void CmdToolsBar_Click(int index);
    void imgToolbar_Click(int index);
    void imgExit_Click();
    void imgHelp_Click();
    void imgMin_Click();
    void menuAbout_Click();
    void lblFeed_Click();
    void imgAdd_Click();
    void imgRemove_Click();
    void AddFolderFiles();
    void RemoveAllRows();
    void imgStart_Click();
    void imgBrowse_Click();
    void cmbOF_Click();
    void txtAction_Change();

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

    void Form_MouseMove(Qt::MouseButtons buttons);
    void resetHover();
    void popupRemoveMenu();
    void showOptions();
    void showAboutBox();
    void writeSetupIni();
    void restoreSetupIni();
    void Form_Unload();
    void showProgress();
    void holdCommandsWhileListBusy(bool busy);
    QString setupIniPath() const;

    QString m_programFolder;
    std::function<void()> m_programEnd;
    bool m_shownOnce = false;
    bool m_unloaded = false;

    QMenuBar *m_menuBar = nullptr;
    QWidget *m_client = nullptr;
    FileList *m_fileList = nullptr;
    FileCommands *m_fileCommands = nullptr;
    ProgressDisplay *m_progress = nullptr;
    ConversionRun *m_run = nullptr;
    CCommonDialogs SharedDialogs;
    frmMenu *m_menuHolder = nullptr;

    QMap<int, QToolButton *> CmdToolsBar;
    QMap<int, HotLabel *> imgToolbar;
    QLabel *imgRightTop = nullptr;
    HotLabel *imgHelp = nullptr;
    HotLabel *imgMin = nullptr;
    HotLabel *imgExit = nullptr;
    HotLabel *imgAdd = nullptr;
    HotLabel *imgRemove = nullptr;
    HotLabel *imgStart = nullptr;
    HotLabel *imgBrowse = nullptr;
    HotLabel *imgConvert = nullptr;
    FileListView *LV = nullptr;
    HintBox *picText = nullptr;
    QLabel *picDrag = nullptr;
    QLabel *imgPB = nullptr;
    QLabel *lblPB = nullptr;
    QProgressBar *pb = nullptr;
    QComboBox *cmbOF = nullptr;
    QComboBox *cmbVB = nullptr;
    QComboBox *cmbF = nullptr;
    QComboBox *cmbS = nullptr;
    QComboBox *cmbR = nullptr;
    QComboBox *cmbBR = nullptr;
    QComboBox *cmbChannel = nullptr;
    QLineEdit *txtPath = nullptr;
    QPushButton *cmdBrowse = nullptr;
    QPushButton *Command3 = nullptr;
    HotLabel *lblWeb = nullptr;
    HotLabel *lblFeed = nullptr;
    QLineEdit *txtAction = nullptr;
};
