#include "ui/mainwindowcommands.h"

#include "platform/appdirs.h"
#include "platform/interfacelanguage.h"
#include "platform/productinfo.h"
#include "platform/userservices.h"
#include "ui/actionchannel.h"
#include "ui/artwork.h"
#include "ui/feedbackdialog.h"
#include "ui/filechoosers.h"
#include "ui/filecommands.h"
#include "ui/hotlabel.h"
#include "ui/optionsdialog.h"
#include "ui/popupmenus.h"

#include <QAction>
#include <QCursor>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::StringLiterals;

QString MainWindowCommands::aboutText()
{
    // The rights line also carries the build's version.
    return tr("Tunoxa 官方网站      \r\n") + ProductInfo::versionText() +
           tr("  版权所有 (C) Tunoxa 工作室，保留所有权利\r\nwww.tunoxa.invalid  ");
}

MainWindowCommands::MainWindowCommands(QWidget &window, const QString &programFolder,
                                       const QString &settingsFolder, const MainWindowControls &controls,
                                       FileCommands &files, UserServices &services, ProgramSettings &settings)
    : QObject(&window)
    , m_window(window)
    , m_programFolder(programFolder)
    , m_settingsFolder(settingsFolder)
    , m_controls(controls)
    , m_files(files)
    , m_services(services)
    , m_settings(settings)
{
    makeActions();
    // The words the popup menus write, in the order the channel tests them.
    m_channel = new ActionChannel(m_controls.actionChannel,
                                  {{u"RemoveSelected"_s, m_actions.removeSelected},
                                   {u"A"_s, m_actions.about},
                                   {u"AddaFile"_s, m_actions.addFile},
                                   {u"menuAddaFolder"_s, m_actions.addFolder},
                                   {u"menuExit"_s, m_actions.exit},
                                   {u"menuHelp"_s, m_actions.help},
                                   {u"menuOption"_s, m_actions.options}},
                                  this);
    connectControls();
    connect(&m_files, &FileCommands::busyChanged, this, &MainWindowCommands::holdWhileListBusy);
}

QAction *MainWindowCommands::addAction(const QString &name, const QString &text, const QString &icon)
{
    auto *action = new QAction(text, this);
    action->setObjectName(name);
    if (!icon.isEmpty())
        action->setIcon(Artwork::icon(icon));
    // The menus show captions only, as they always did.
    action->setIconVisibleInMenu(false);
    return action;
}

void MainWindowCommands::makeActions()
{
    CommandActions &a = m_actions;
    a.addFile = addAction(u"addFileAction"_s, tr("添加文件"), u"add-file"_s);
    a.addFolder = addAction(u"addFolderAction"_s, tr("添加文件夹"), u"add-folder"_s);
    a.removeSelected = addAction(u"removeSelectedAction"_s, tr("移除选中文件"));
    a.removeAll = addAction(u"removeAllAction"_s, tr("移除全部"));
    a.popUpRemoveMenu = addAction(u"removeMenuAction"_s, tr("移除文件"), u"remove"_s);
    a.options = addAction(u"optionsAction"_s, tr("提示设置"), u"options"_s);
    a.help = addAction(u"helpAction"_s, tr("帮助"));
    a.about = addAction(u"aboutAction"_s, tr("关于"));
    a.exit = addAction(u"exitAction"_s, tr("退出程序"), u"exit-program"_s);
    a.start = addAction(u"startAction"_s, tr("立刻开始转换！"), u"start"_s);
    a.chooseOutputFolder = addAction(u"chooseOutputFolderAction"_s, tr("浏览"));

    connect(a.addFile, &QAction::triggered, &m_files, &FileCommands::addFileFromDialog);
    connect(a.addFolder, &QAction::triggered, &m_files, &FileCommands::addFolderFromDialog);
    connect(a.removeSelected, &QAction::triggered, &m_files, &FileCommands::removeSelectedRow);
    connect(a.removeAll, &QAction::triggered, &m_files, &FileCommands::removeAll);
    connect(a.popUpRemoveMenu, &QAction::triggered, this, &MainWindowCommands::popUpRemoveMenu);
    connect(a.options, &QAction::triggered, this, &MainWindowCommands::showOptions);
    connect(a.help, &QAction::triggered, this, &MainWindowCommands::openHelp);
    connect(a.about, &QAction::triggered, this, &MainWindowCommands::showAbout);
    connect(a.exit, &QAction::triggered, this, &MainWindowCommands::exitProgram);
    connect(a.chooseOutputFolder, &QAction::triggered, this, &MainWindowCommands::chooseOutputFolder);
}

void MainWindowCommands::connectControls()
{
    const MainWindowControls &c = m_controls;
    const CommandActions &a = m_actions;
    offer(c.addFileButton, a.addFile);
    offer(c.addFolderButton, a.addFolder);
    offer(c.removeButton, a.popUpRemoveMenu);
    offer(c.optionsButton, a.options);
    offer(c.exitButton, a.exit);
    offer(c.startButton, a.start);
    offer(c.browseButton, a.chooseOutputFolder);
    offer(c.addPicture, a.addFile);
    offer(c.removePicture, a.removeSelected);
    offer(c.startPicture, a.start);
    offer(c.browsePicture, a.chooseOutputFolder);
    offer(c.convertPicture, a.start);
    // Nothing ever disables the picture toolbar: its pictures only trigger their commands.
    const QList<std::pair<HotLabel *, QAction *>> pictureToolbar = {
        {c.toolbarAddFilePicture, a.addFile}, {c.toolbarRemovePicture, a.popUpRemoveMenu},
        {c.toolbarOptionsPicture, a.options}, {c.toolbarHelpPicture, a.help},
        {c.toolbarExitPicture, a.exit},       {c.toolbarAddFolderPicture, a.addFolder}};
    for (const auto &[picture, action] : pictureToolbar)
        connect(picture, &HotLabel::clicked, action, &QAction::trigger);

    connect(c.helpZone, &HotLabel::clicked, a.help, &QAction::trigger);
    connect(c.closeZone, &HotLabel::clicked, a.exit, &QAction::trigger);
    connect(c.minimizeZone, &HotLabel::clicked, this, &MainWindowCommands::minimizeWindow);
    connect(c.feedbackLink, &HotLabel::clicked, this, &MainWindowCommands::showFeedback);
}

void MainWindowCommands::offer(QAbstractButton *button, QAction *action)
{
    button->setText(action->text());
    if (!action->icon().isNull())
        button->setIcon(action->icon());
    connect(button, &QAbstractButton::clicked, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, button, [this, button] { showEnabled(button); });
    m_offeredBy.insert(button, action);
}

void MainWindowCommands::offer(HotLabel *picture, QAction *action)
{
    connect(picture, &HotLabel::clicked, action, &QAction::trigger);
    connect(action, &QAction::enabledChanged, picture, [this, picture] { showEnabled(picture); });
    m_offeredBy.insert(picture, action);
}

void MainWindowCommands::holdControl(QWidget *control, bool held)
{
    if (held)
        m_held.insert(control);
    else
        m_held.remove(control);
    showEnabled(control);
}

void MainWindowCommands::showEnabled(QWidget *control)
{
    const QAction *command = m_offeredBy.value(control);
    control->setEnabled(!m_held.contains(control) && (!command || command->isEnabled()));
}

void MainWindowCommands::holdWhileListBusy(bool busy)
{
    for (QAction *action : {m_actions.start, m_actions.addFolder, m_actions.removeAll})
        action->setEnabled(!busy);
}

void MainWindowCommands::fillMenuBar(QMenuBar *menuBar)
{
    const auto addMenu = [menuBar](const QString &name, const QString &title) {
        QMenu *menu = menuBar->addMenu(title);
        menu->setObjectName(name);
        return menu;
    };
    QMenu *fileMenu = addMenu(u"fileMenu"_s, tr("文件"));
    fileMenu->addActions({m_actions.addFile, m_actions.addFolder});
    fileMenu->addSeparator()->setObjectName(u"fileMenuSeparator"_s);
    fileMenu->addAction(m_actions.exit);
    addMenu(u"fileOperationsMenu"_s, tr("文件操作"))
        ->addActions({m_actions.removeSelected, m_actions.removeAll});
    addMenu(u"reminderMenu"_s, tr("提示设置"))->addAction(m_actions.options);
    addMenu(u"aboutMenu"_s, tr("关于"))->addAction(m_actions.about);
}

PopupMenus *MainWindowCommands::popupMenus()
{
    if (!m_popupMenus)
        m_popupMenus = new PopupMenus(&m_window, *m_channel, m_actions);
    return m_popupMenus;
}

void MainWindowCommands::popUpRemoveMenu()
{
    popupMenus()->popupRemove(QCursor::pos());
}

void MainWindowCommands::exitProgram()
{
    m_window.close();
}

void MainWindowCommands::openHelp()
{
    m_services.openPath(m_programFolder + QLatin1Char('/') + InterfaceLanguage::helpFileName());
    m_controls.helpZone->setLit(false);
}

void MainWindowCommands::minimizeWindow()
{
    m_window.showMinimized();
    m_controls.minimizeZone->setLit(false);
}

void MainWindowCommands::showAbout()
{
    m_services.showMessage(UserServices::Icon::Information, ProductInfo::applicationTitle(), aboutText());
}

void MainWindowCommands::showFeedback()
{
    FeedbackDialog dialog(&m_window);
    dialog.exec();
}

void MainWindowCommands::chooseOutputFolder()
{
    const QString folder = FileChoosers::chooseFolder(
        &m_window, FileChoosers::outputFolderPrompt(),
        AppDirs::outputFolderFor(m_controls.outputFolderEdit->text(), m_programFolder));
    // Only a chosen folder replaces the text; cancelling changes nothing.
    if (!folder.isEmpty())
        m_controls.outputFolderEdit->setText(folder);
}

void MainWindowCommands::showOptions()
{
    OptionsDialog dialog(m_settings, m_settingsFolder, m_services, &m_window);
    dialog.exec();
}
