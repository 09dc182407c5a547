#include "ui/mainwindowcommands.h"

#include "conversion/conversionrun.h"
#include "filelist/filecommands.h"
#include "shell/filechoosers.h"
#include "shell/optionsdialog.h"
#include "shell/productinfo.h"
#include "shell/userservices.h"
#include "ui/actionwords.h"
#include "ui/feedbackdialog.h"
#include "ui/hotlabel.h"
#include "ui/mainwindow.h"
#include "ui/popupmenus.h"
#include "ui/windowrunhost.h"

#include <QCursor>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

namespace {

QString aboutTitle()
{
    return QStringLiteral("Tunoxa转换器");
}

QString aboutText()
{
    // The rights line also carries the build's version.
    return QStringLiteral("Tunoxa 官方网站      \r\n") + ProductInfo::versionText() +
           QStringLiteral("  版权所有 (C) Tunoxa 工作室，保留所有权利\r\nwww.tunoxa.invalid  ");
}

} // namespace

MainWindowCommands::MainWindowCommands(MainWindow &window, const MainWindowControls &controls,
                                       FileCommands &files, WindowRunHost &runHost, UserServices &services,
                                       ProgramSettings &settings)
    : QObject(&window)
    , m_window(window)
    , m_controls(controls)
    , m_files(files)
    , m_runHost(runHost)
    , m_services(services)
    , m_settings(settings)
{
    connectControls();
}

void MainWindowCommands::connectControls()
{
    const QList<QToolButton *> toolbar = m_controls.toolbarButtons();
    for (int index : {0, 1, 2, 4, 5})
        connect(toolbar[index - index / 4], &QToolButton::clicked, this,
                [this, index] { runToolbarButton(index); });
    connect(m_controls.helpZone, &HotLabel::clicked, this, &MainWindowCommands::openHelp);
    connect(m_controls.minimizeZone, &HotLabel::clicked, this, &MainWindowCommands::minimizeWindow);
    connect(m_controls.closeZone, &HotLabel::clicked, this, &MainWindowCommands::exitProgram);
    connect(m_controls.browseButton, &QPushButton::clicked, this, &MainWindowCommands::chooseOutputFolder);
    connect(m_controls.startButton, &QPushButton::clicked, this, &MainWindowCommands::startConversion);
    connect(m_controls.feedbackLink, &HotLabel::clicked, this, &MainWindowCommands::showFeedback);
    const QList<HotLabel *> pictureToolbar = {
        m_controls.toolbarAddFilePicture,  m_controls.toolbarRemovePicture, m_controls.toolbarOptionsPicture,
        m_controls.toolbarHelpPicture,     m_controls.toolbarExitPicture,   m_controls.toolbarSparePicture,
        m_controls.toolbarAddFolderPicture};
    for (int index = 0; index < pictureToolbar.size(); ++index)
        connect(pictureToolbar[index], &HotLabel::clicked, this, [this, index] { runToolbarCommand(index); });
    connect(m_controls.addPicture, &HotLabel::clicked, this, &MainWindowCommands::addFileFromDialog);
    connect(m_controls.removePicture, &HotLabel::clicked, this, &MainWindowCommands::removeSelectedFile);
    connect(m_controls.startPicture, &HotLabel::clicked, this, &MainWindowCommands::startConversion);
    connect(m_controls.browsePicture, &HotLabel::clicked, this, &MainWindowCommands::chooseOutputFolder);
    connect(m_controls.convertPicture, &HotLabel::clicked, this, &MainWindowCommands::startConversion);
}

void MainWindowCommands::fillMenuBar(QMenuBar *menuBar)
{
    const auto addItem = [this](QMenu *menu, const QString &name, const QString &caption, auto command) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, command);
    };

    QMenu *fileMenu = menuBar->addMenu(QStringLiteral("文件"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    addItem(fileMenu, QStringLiteral("addFileAction"), QStringLiteral("添加文件"),
            [this] { runToolbarButton(0); });
    addItem(fileMenu, QStringLiteral("addFolderAction"), QStringLiteral("添加文件夹"),
            [this] { runToolbarButton(1); });
    fileMenu->addSeparator()->setObjectName(QStringLiteral("fileMenuSeparator"));
    addItem(fileMenu, QStringLiteral("exitAction"), QStringLiteral("退出程序"),
            [this] { runToolbarButton(5); });

    QMenu *fileOperationsMenu = menuBar->addMenu(QStringLiteral("文件操作"));
    fileOperationsMenu->setObjectName(QStringLiteral("fileOperationsMenu"));
    addItem(fileOperationsMenu, QStringLiteral("removeSelectedAction"), QStringLiteral("移除选中文件"),
            [this] { m_controls.actionChannel->setText(ActionWords::removeSelected()); });
    addItem(fileOperationsMenu, QStringLiteral("removeAllAction"), QStringLiteral("移除全部"),
            [this] { removeAll(); });

    QMenu *reminderMenu = menuBar->addMenu(QStringLiteral("提示设置"));
    reminderMenu->setObjectName(QStringLiteral("reminderMenu"));
    addItem(reminderMenu, QStringLiteral("optionsAction"), QStringLiteral("提示设置"),
            [this] { runToolbarButton(4); });

    QMenu *aboutMenu = menuBar->addMenu(QStringLiteral("关于"));
    aboutMenu->setObjectName(QStringLiteral("aboutMenu"));
    addItem(aboutMenu, QStringLiteral("aboutAction"), QStringLiteral("关于"), [this] { showAbout(); });
}

PopupMenus *MainWindowCommands::popupMenus()
{
    if (!m_popupMenus) {
        m_popupMenus = new PopupMenus(&m_window, m_controls.actionChannel);
        connect(m_popupMenus, &PopupMenus::removeAllRequested, this, &MainWindowCommands::removeAll);
        if (m_files.isBusy())
            m_runHost.holdCommandsWhileListBusy(true);
    }
    return m_popupMenus;
}

void MainWindowCommands::runToolbarButton(int index)
{
    switch (index) {
    case 1:
        runToolbarCommand(6);
        break;
    case 2:
        runToolbarCommand(1);
        break;
    case 4:
        runToolbarCommand(2);
        break;
    case 5:
        runToolbarCommand(4);
        break;
    case 3:
    case 6:
    case 7:
        break;
    default:
        runToolbarCommand(0);
        break;
    }
}

void MainWindowCommands::runToolbarCommand(int index)
{
    switch (index) {
    case 0:
        addFileFromDialog();
        break;
    case 1:
        popupRemoveMenu();
        break;
    case 2:
        showOptions();
        break;
    case 3:
        openHelp();
        break;
    case 4:
        exitProgram();
        break;
    case 6:
        addFolderFromDialog();
        break;
    default:
        break;
    }
}

void MainWindowCommands::popupRemoveMenu()
{
    popupMenus()->popupRemove(QCursor::pos());
}

void MainWindowCommands::exitProgram()
{
    m_window.close();
}

void MainWindowCommands::openHelp()
{
    m_services.openPath(m_window.programFolder() + QStringLiteral("/help.html"));
    m_controls.helpZone->setLit(false);
}

void MainWindowCommands::minimizeWindow()
{
    m_window.showMinimized();
    m_controls.minimizeZone->setLit(false);
}

void MainWindowCommands::showAbout()
{
    m_services.showMessage(UserServices::Icon::Information, aboutTitle(), aboutText());
}

void MainWindowCommands::showFeedback()
{
    FeedbackDialog dialog(&m_window);
    dialog.exec();
}

void MainWindowCommands::addFileFromDialog()
{
    m_files.addFileFromDialog();
}

void MainWindowCommands::removeSelectedFile()
{
    m_files.removeSelectedRow();
}

void MainWindowCommands::addFolderFromDialog()
{
    m_files.addFolderFromDialog();
}

void MainWindowCommands::removeAll()
{
    m_files.removeAll();
}

void MainWindowCommands::startConversion()
{
    if (ConversionRun *run = m_window.conversionRun())
        run->start();
}

void MainWindowCommands::chooseOutputFolder()
{
    const QString folder = FileChoosers::chooseFolder(&m_window, FileChoosers::outputFolderPrompt(),
                                                      m_runHost.outputFolderText());
    // Only a chosen folder replaces the text; cancelling changes nothing.
    if (!folder.isEmpty())
        m_controls.outputFolderEdit->setText(folder);
}

void MainWindowCommands::showOptions()
{
    OptionsDialog dialog(m_settings, m_window.settingsFolder(), m_services, &m_window);
    dialog.exec();
}
