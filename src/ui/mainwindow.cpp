#include "ui/mainwindow.h"

#include "conversion/formattable.h"
#include "filelist/filecommands.h"
#include "filelist/filelist.h"
#include "filelist/filelistview.h"
#include "filelist/hintbox.h"
#include "runner/progressdisplay.h"
#include "shell/appdirs.h"
#include "shell/optionsdialog.h"
#include "shell/optionsfile.h"
#include "shell/productinfo.h"
#include "shell/programsettings.h"
#include "shell/setupfile.h"
#include "shell/filechoosers.h"
#include "shell/shutdown.h"
#include "shell/userservices.h"
#include "ui/actionwords.h"
#include "ui/feedbackdialog.h"
#include "ui/hotlabel.h"
#include "ui/popupmenus.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QWindow>

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

// Sets a settings box the way a typed or chosen value reads: an entry's text selects that entry,
// any other text stands as typed with no entry selected.
void setComboText(QComboBox *combo, const QString &text)
{
    const int entry = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (entry >= 0) {
        combo->setCurrentIndex(entry);
        return;
    }
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

// The entry a settings box shows, as saved in setup.ini: -1 when its text is no entry.
int shownEntry(const QComboBox *combo)
{
    return combo->findText(combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

// A saved entry that names a position of the list; "-1" (no entry) would leave a settings box
// empty and the run without a value, so it is not applied either.
std::optional<int> entryToRestore(std::optional<int> saved, const QComboBox *combo)
{
    if (!saved || *saved < 0 || *saved >= combo->count())
        return std::nullopt;
    return saved;
}

} // namespace

MainWindow::MainWindow(const QString &programFolder, UserServices &services, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , m_programFolder(programFolder)
    , m_services(services)
    , m_programEnd([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("MainWindow"));
    setFont(QFont(QStringLiteral("Tahoma"), 9));
    setWindowIcon(QIcon(QStringLiteral(":/icons/tunoxa.svg")));

    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    // The client area's layout is measured from the foot of this bar.
    m_menuBar->setNativeMenuBar(false);
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("clientArea"));
    // Hover resets and the background drag need every pointer move over the bare background.
    m_client->setMouseTracking(true);
    m_client->installEventFilter(this);

    m_fileList = new FileList(this);
    m_progress = new ProgressDisplay(this);
    connect(m_progress, &ProgressDisplay::changed, this, &MainWindow::showProgress);
    // A session that ends closes no window: what the user chose is kept all the same.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &MainWindow::writeSetupIni);

    buildMenuBar();
    buildToolbar();
    buildCorner();
    buildFileArea();
    buildSettings();
    buildOutputArea();
    buildOffWindowControls();

    const int menuHeight = m_menuBar->sizeHint().height();
    m_menuBar->setGeometry(0, 0, ClientWidth, menuHeight);
    m_client->setGeometry(0, menuHeight, ClientWidth, ClientHeight);
    setFixedSize(ClientWidth, menuHeight + ClientHeight);
}

MainWindow::~MainWindow() = default;

void MainWindow::setProgramEnd(std::function<void()> programEnd)
{
    m_programEnd = std::move(programEnd);
}

void MainWindow::buildMenuBar()
{
    const auto addItem = [this](QMenu *menu, const QString &name, const QString &caption, auto command) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, command);
    };

    QMenu *fileMenu = m_menuBar->addMenu(QStringLiteral("文件"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    addItem(fileMenu, QStringLiteral("addFileAction"), QStringLiteral("添加文件"),
            [this] { runToolbarButton(0); });
    addItem(fileMenu, QStringLiteral("addFolderAction"), QStringLiteral("添加文件夹"),
            [this] { runToolbarButton(1); });
    fileMenu->addSeparator()->setObjectName(QStringLiteral("fileMenuSeparator"));
    addItem(fileMenu, QStringLiteral("exitAction"), QStringLiteral("退出程序"),
            [this] { runToolbarButton(5); });

    QMenu *fileOperationsMenu = m_menuBar->addMenu(QStringLiteral("文件操作"));
    fileOperationsMenu->setObjectName(QStringLiteral("fileOperationsMenu"));
    addItem(fileOperationsMenu, QStringLiteral("removeSelectedAction"), QStringLiteral("移除选中文件"),
            [this] { m_actionChannel->setText(ActionWords::removeSelected()); });
    addItem(fileOperationsMenu, QStringLiteral("removeAllAction"), QStringLiteral("移除全部"),
            [this] { removeAll(); });

    QMenu *reminderMenu = m_menuBar->addMenu(QStringLiteral("提示设置"));
    reminderMenu->setObjectName(QStringLiteral("reminderMenu"));
    addItem(reminderMenu, QStringLiteral("optionsAction"), QStringLiteral("提示设置"),
            [this] { runToolbarButton(4); });

    QMenu *aboutMenu = m_menuBar->addMenu(QStringLiteral("关于"));
    aboutMenu->setObjectName(QStringLiteral("aboutMenu"));
    addItem(aboutMenu, QStringLiteral("aboutAction"), QStringLiteral("关于"), [this] { showAbout(); });
}

void MainWindow::buildToolbar()
{
    struct Button
    {
        int index;
        QString caption;
        QString icon;
    };
    const Button buttons[] = {
        {0, QStringLiteral("添加文件"), QStringLiteral(":/icons/add-file.svg")},
        {1, QStringLiteral("添加文件夹"), QStringLiteral(":/icons/add-folder.svg")},
        {2, QStringLiteral("移除文件"), QStringLiteral(":/icons/remove.svg")},
        {4, QStringLiteral("提示设置"), QStringLiteral(":/icons/options.svg")},
        {5, QStringLiteral("退出程序"), QStringLiteral(":/icons/exit-program.svg")},
    };
    int left = 0;
    for (const Button &b : buttons) {
        auto *button = new QToolButton(m_client);
        button->setObjectName(QStringLiteral("toolbarButton%1").arg(b.index));
        button->setText(b.caption);
        button->setIcon(QIcon(b.icon));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(Twips::rect(left, 0, 1420, 985));
        left += 1410;
        connect(button, &QToolButton::clicked, this, [this, index = b.index] { runToolbarButton(index); });
        m_toolbarButtons.insert(b.index, button);
    }
}

void MainWindow::buildCorner()
{
    m_cornerPicture = new QLabel(m_client);
    m_cornerPicture->setObjectName(QStringLiteral("cornerPicture"));
    const QRect corner = Twips::rect(8610, 0, 1635, 1665);
    m_cornerPicture->setGeometry(corner);
    m_cornerPicture->setPixmap(QIcon(QStringLiteral(":/icons/corner.svg")).pixmap(corner.size()));
    m_cornerPicture->setVisible(false);

    m_helpZone = addHotZone(QStringLiteral("helpZone"), Twips::rect(9520, 120, 225, 225),
                            QStringLiteral("Help & Tutorial"), QStringLiteral(":/icons/help-light.svg"));
    m_minimizeZone = addHotZone(QStringLiteral("minimizeZone"), Twips::rect(9775, 135, 210, 210),
                                QStringLiteral("Minimize Window"), QStringLiteral(":/icons/min-light.svg"));
    m_closeZone = addHotZone(QStringLiteral("closeZone"), Twips::rect(10075, 150, 225, 225),
                             QStringLiteral("Exit"), QStringLiteral(":/icons/exit-light.svg"));
    connect(m_helpZone, &HotLabel::clicked, this, &MainWindow::openHelp);
    connect(m_minimizeZone, &HotLabel::clicked, this, &MainWindow::minimizeWindow);
    connect(m_closeZone, &HotLabel::clicked, this, &MainWindow::exitProgram);
}

HotLabel *MainWindow::addHotZone(const QString &name, const QRect &rect, const QString &toolTip,
                                 const QString &litPicture)
{
    auto *zone = new HotLabel(m_client);
    zone->setObjectName(name);
    zone->setGeometry(rect);
    zone->setToolTip(toolTip);
    zone->setCursor(Qt::PointingHandCursor);
    zone->setLitPicture(litPicture);
    connect(zone, &HotLabel::pointerMoved, zone, [zone] { zone->setLit(true); });
    return zone;
}

void MainWindow::buildFileArea()
{
    m_fileListView = new FileListView(m_fileList, m_client);
    m_fileListView->setObjectName(QStringLiteral("fileListView"));
    m_fileListView->setGeometry(Twips::rect(60, 1350, 6825, 4110));

    m_hintBox = new HintBox(m_fileList, m_client);
    m_hintBox->setObjectName(QStringLiteral("hintBox"));
    m_hintBox->setGeometry(Twips::rect(2280, 3120, 2445, 315));

    m_fileCommands = new FileCommands(m_fileList, m_fileListView, m_hintBox,
                                      FileDialogs::system(m_standardDialogs, this), this);
    connect(m_fileCommands, &FileCommands::busyChanged, this, &MainWindow::holdCommandsWhileListBusy);

    m_progressCaption =
        addLabel(QStringLiteral("progressCaption"), QStringLiteral("0%"), Twips::point(3270, 5670));
    m_progressCaption->setFixedWidth(Twips::toPixels(6855) - Twips::toPixels(3270) + Twips::toPixels(60));

    m_progressBar = new QProgressBar(m_client);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setGeometry(Twips::rect(60, 5970, 6855, 315));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
}

void MainWindow::buildSettings()
{
    addLabel(QStringLiteral("formatLabel"), FormatTable::outputFormatCaption(), Twips::point(7290, 1290));
    QLabel *mp3Label =
        addLabel(QStringLiteral("mp3Label"), FormatTable::mp3Caption(), Twips::point(7320, 1680));
    mp3Label->setGeometry(Twips::rect(7320, 1680, 2865, 375));

    // Only the audio column lies inside the window; the format and video boxes show a sliver at
    // the right edge or lie beyond it, so they keep what start-up gives them.
    m_formatCombo = addCombo(QStringLiteral("formatCombo"), Twips::rect(10290, 1680, 2835, 330),
                             FormatTable::formatEntries(), false);
    addLabel(QStringLiteral("sizeLabel"), FormatTable::sizeCaption(), Twips::point(10350, 2115));
    m_sizeCombo = addCombo(QStringLiteral("sizeCombo"), Twips::rect(10350, 2415, 2835, 330),
                           FormatTable::sizeEntries(), true);
    addLabel(QStringLiteral("videoBitrateLabel"), FormatTable::videoBitrateCaption(),
             Twips::point(10350, 2925));
    m_videoBitrateCombo = addCombo(QStringLiteral("videoBitrateCombo"), Twips::rect(10350, 3225, 2835, 330),
                                   FormatTable::videoBitrateEntries(), true);
    addLabel(QStringLiteral("frameRateLabel"), FormatTable::frameRateCaption(), Twips::point(11850, 3765));
    m_frameRateCombo = addCombo(QStringLiteral("frameRateCombo"), Twips::rect(11850, 4065, 2835, 330),
                                FormatTable::frameRateEntries(), true);

    addLabel(QStringLiteral("sampleRateLabel"), FormatTable::sampleRateCaption(), Twips::point(7290, 2115));
    m_sampleRateCombo = addCombo(QStringLiteral("sampleRateCombo"), Twips::rect(7290, 2415, 2835, 330),
                                 FormatTable::sampleRateEntries(), true);
    addLabel(QStringLiteral("audioBitrateLabel"), FormatTable::audioBitrateCaption(),
             Twips::point(7290, 2925));
    m_audioBitrateCombo = addCombo(QStringLiteral("audioBitrateCombo"), Twips::rect(7290, 3225, 2835, 330),
                                   FormatTable::audioBitrateEntries(), true);
    addLabel(QStringLiteral("channelLabel"), FormatTable::channelCaption(), Twips::point(7290, 3765));
    m_channelCombo = addCombo(QStringLiteral("channelCombo"), Twips::rect(7290, 4065, 2835, 330),
                              FormatTable::channelEntries(), false);

    // No format is chosen until start-up picks one, so that choice loads its defaults.
    m_formatCombo->setCurrentIndex(-1);
    connect(m_formatCombo, &QComboBox::currentIndexChanged, this, &MainWindow::loadFormatDefaults);
}

void MainWindow::buildOutputArea()
{
    addLabel(QStringLiteral("outputFolderLabel"), FormatTable::outputPathCaption(), Twips::point(7290, 4620));
    m_outputFolderEdit = new QLineEdit(m_client);
    m_outputFolderEdit->setObjectName(QStringLiteral("outputFolderEdit"));
    m_outputFolderEdit->setGeometry(Twips::rect(7290, 4935, 2055, 315));

    m_browseButton = new QPushButton(QStringLiteral("浏览"), m_client);
    m_browseButton->setObjectName(QStringLiteral("browseButton"));
    m_browseButton->setGeometry(Twips::rect(9420, 4950, 705, 300));
    connect(m_browseButton, &QPushButton::clicked, this, &MainWindow::chooseOutputFolder);

    m_startButton = new QPushButton(QIcon(QStringLiteral(":/icons/start.svg")),
                                    QStringLiteral("立刻开始转换！"), m_client);
    m_startButton->setObjectName(QStringLiteral("startButton"));
    m_startButton->setGeometry(Twips::rect(7320, 5460, 2835, 885));
    m_startButton->setIconSize(QSize(32, 32));
    QFont bold = m_startButton->font();
    bold.setBold(true);
    m_startButton->setFont(bold);
    connect(m_startButton, &QPushButton::clicked, this, &MainWindow::startConversion);

    m_productLink = new HotLabel(m_client);
    m_productLink->setObjectName(QStringLiteral("productLink"));
    m_productLink->setGeometry(Twips::rect(90, 6450, 2715, 195));
    m_productLink->setCursor(Qt::PointingHandCursor);

    m_feedbackLink = new HotLabel(m_client);
    m_feedbackLink->setObjectName(QStringLiteral("feedbackLink"));
    m_feedbackLink->setText(QStringLiteral("意见反馈"));
    m_feedbackLink->setGeometry(Twips::rect(9360, 6480, 720, 195));
    m_feedbackLink->setCursor(Qt::PointingHandCursor);
    connect(m_feedbackLink, &HotLabel::pointerMoved, m_feedbackLink,
            [this] { m_feedbackLink->setLit(true); });
    connect(m_feedbackLink, &HotLabel::clicked, this, &MainWindow::showFeedback);
}

void MainWindow::buildOffWindowControls()
{
    // These stand beyond the right edge of the client area, where the pointer never reaches them;
    // their click procedures are the window's commands.
    for (int index = 0; index <= 6; ++index) {
        HotLabel *button = addPictureButton(QStringLiteral("hiddenToolbarPicture%1").arg(index),
                                            QPoint(760, 10 + 30 * index));
        connect(button, &HotLabel::clicked, this, [this, index] { runToolbarCommand(index); });
        m_hiddenToolbar.insert(index, button);
    }
    m_addPicture = addPictureButton(QStringLiteral("addPicture"), QPoint(820, 10));
    m_removePicture = addPictureButton(QStringLiteral("removePicture"), QPoint(820, 40));
    m_startPicture = addPictureButton(QStringLiteral("startPicture"), QPoint(820, 70));
    m_browsePicture = addPictureButton(QStringLiteral("browsePicture"), QPoint(820, 100));
    m_convertPicture = addPictureButton(QStringLiteral("convertPicture"), QPoint(820, 130));
    connect(m_addPicture, &HotLabel::clicked, this, &MainWindow::addFileFromDialog);
    connect(m_removePicture, &HotLabel::clicked, this, &MainWindow::removeSelectedFile);
    connect(m_startPicture, &HotLabel::clicked, this, &MainWindow::startConversion);
    connect(m_browsePicture, &HotLabel::clicked, this, &MainWindow::chooseOutputFolder);
    connect(m_convertPicture, &HotLabel::clicked, this, &MainWindow::startConversion);

    m_dropZone = new QLabel(QStringLiteral("Drag media files onto this DropZone"), m_client);
    m_dropZone->setObjectName(QStringLiteral("dropZone"));
    m_dropZone->setGeometry(760, 300, 200, 60);
    m_dropZone->setWordWrap(true);
    m_fileCommands->attachDropZone(m_dropZone);

    m_barPicture = new QLabel(m_client);
    m_barPicture->setObjectName(QStringLiteral("barPicture"));
    m_barPicture->setGeometry(760, 230, 0, 10);

    m_actionChannel = new QLineEdit(m_client);
    m_actionChannel->setObjectName(QStringLiteral("actionChannel"));
    m_actionChannel->setGeometry(760, 260, 120, 21);
    m_actionChannel->setFocusPolicy(Qt::NoFocus);
    connect(m_actionChannel, &QLineEdit::textChanged, this, &MainWindow::dispatchAction);
}

HotLabel *MainWindow::addPictureButton(const QString &name, const QPoint &pos)
{
    auto *button = new HotLabel(m_client);
    button->setObjectName(name);
    button->setGeometry(QRect(pos, QSize(24, 24)));
    return button;
}

QLabel *MainWindow::addLabel(const QString &name, const QString &text, const QPoint &pos)
{
    auto *label = new QLabel(text, m_client);
    label->setObjectName(name);
    label->move(pos);
    label->adjustSize();
    return label;
}

QComboBox *MainWindow::addCombo(const QString &name, const QRect &rect, const QStringList &entries,
                                bool editable)
{
    auto *combo = new QComboBox(m_client);
    combo->setObjectName(name);
    combo->setEditable(editable);
    // The lists are fixed: a typed value is used as typed and never becomes an entry.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(entries);
    combo->setGeometry(rect);
    return combo;
}

PopupMenus *MainWindow::popupMenus()
{
    if (!m_popupMenus) {
        m_popupMenus = new PopupMenus(this, m_actionChannel);
        connect(m_popupMenus, &PopupMenus::removeAllRequested, this, &MainWindow::removeAll);
        if (m_fileCommands->isBusy())
            holdCommandsWhileListBusy(true);
    }
    return m_popupMenus;
}

void MainWindow::loadSettings()
{
    m_standardDialogs.setOwner(this);
    m_progress->setSpinner(QStringLiteral("-"));
    m_progress->setBar(0, m_progress->percent());
    m_run = new ConversionRun(*this, *m_fileList, *m_progress, m_services, m_settings, this);

    const StartupPositions start = FormatTable::startupPositions();
    m_audioBitrateCombo->setCurrentIndex(start.audioBitrate);
    m_sampleRateCombo->setCurrentIndex(start.sampleRate);
    m_channelCombo->setCurrentIndex(start.channel);
    m_formatCombo->setCurrentIndex(start.format);
    m_outputFolderEdit->setText(AppDirs::defaultOutputFolder(m_programFolder));

    restoreSetupIni();
    if (m_outputFolderEdit->text().isEmpty())
        m_outputFolderEdit->setText(AppDirs::defaultOutputFolder(m_programFolder));

    m_productLink->setText(ProductInfo::caption());
    m_productLink->setToolTip(ProductInfo::versionText());
    m_cornerPicture->setVisible(true);
    setWindowTitle(ProductInfo::caption());

    m_settings = OptionsFile::read(m_programFolder + QLatin1Char('/') + OptionsFile::fileName());
}

QString MainWindow::setupIniPath() const
{
    return m_programFolder + QLatin1Char('/') + SetupFile::fileName();
}

void MainWindow::restoreSetupIni()
{
    // The format goes first: choosing it loads its defaults, and the saved values then go over
    // them. A value that does not fit its control leaves that control as it is; the rest still apply.
    const SetupState saved = SetupFile::read(setupIniPath());
    if (const auto entry = entryToRestore(saved.formatIndex, m_formatCombo))
        m_formatCombo->setCurrentIndex(*entry);
    if (const auto entry = entryToRestore(saved.bitrateIndex, m_audioBitrateCombo))
        m_audioBitrateCombo->setCurrentIndex(*entry);
    if (const auto entry = entryToRestore(saved.sampleRateIndex, m_sampleRateCombo))
        m_sampleRateCombo->setCurrentIndex(*entry);
    if (const auto entry = entryToRestore(saved.channelIndex, m_channelCombo))
        m_channelCombo->setCurrentIndex(*entry);
    if (saved.outputFolder)
        m_outputFolderEdit->setText(*saved.outputFolder);
}

void MainWindow::writeSetupIni()
{
    SetupState state;
    state.bitrateIndex = shownEntry(m_audioBitrateCombo);
    state.sampleRateIndex = shownEntry(m_sampleRateCombo);
    state.channelIndex = m_channelCombo->currentIndex();
    state.outputFolder = m_outputFolderEdit->text();
    state.formatIndex = m_formatCombo->currentIndex();
    // A file that cannot be written is skipped: the program ends all the same.
    SetupFile::write(setupIniPath(), state);
}

void MainWindow::loadFormatDefaults()
{
    const std::optional<OutputFormat> format = FormatTable::formatAt(m_formatCombo->currentIndex());
    if (!format)
        return;
    const FormatDefaults defaults = FormatTable::defaultsFor(*format);
    if (defaults.videoBitrate)
        setComboText(m_videoBitrateCombo, *defaults.videoBitrate);
    if (defaults.frameRate)
        setComboText(m_frameRateCombo, *defaults.frameRate);
    if (defaults.size)
        setComboText(m_sizeCombo, *defaults.size);
    setComboText(m_sampleRateCombo, defaults.sampleRate);
    setComboText(m_audioBitrateCombo, defaults.audioBitrate);
    m_channelCombo->setCurrentIndex(defaults.channelIndex);
}

void MainWindow::runToolbarButton(int index)
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

void MainWindow::runToolbarCommand(int index)
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

void MainWindow::popupRemoveMenu()
{
    popupMenus()->popupRemove(QCursor::pos());
}

void MainWindow::dispatchAction()
{
    // Each word is tested against the field's current text, so a command that writes into the
    // field changes what the later tests see.
    if (m_actionChannel->text() == ActionWords::removeSelected())
        removeSelectedFile();
    if (m_actionChannel->text() == ActionWords::about())
        showAbout();
    if (m_actionChannel->text() == ActionWords::addFile())
        addFileFromDialog();
    if (m_actionChannel->text() == ActionWords::addFolder())
        runToolbarCommand(6);
    if (m_actionChannel->text() == ActionWords::exitProgram())
        exitProgram();
    if (m_actionChannel->text() == ActionWords::help())
        openHelp();
    if (m_actionChannel->text() == ActionWords::options())
        runToolbarCommand(2);
    // Emptied after every dispatch, so choosing the same item again dispatches again.
    m_actionChannel->setText(QString());
}

void MainWindow::exitProgram()
{
    close();
}

void MainWindow::openHelp()
{
    m_services.openPath(m_programFolder + QStringLiteral("/help.html"));
    m_helpZone->setLit(false);
}

void MainWindow::minimizeWindow()
{
    showMinimized();
    m_minimizeZone->setLit(false);
}

void MainWindow::showAbout()
{
    m_services.showMessage(UserServices::Icon::Information, aboutTitle(), aboutText());
}

void MainWindow::showFeedback()
{
    FeedbackDialog dialog(this);
    dialog.exec();
}

void MainWindow::addFileFromDialog()
{
    m_fileCommands->addFileFromDialog();
}

void MainWindow::removeSelectedFile()
{
    m_fileCommands->removeSelectedRow();
}

void MainWindow::addFolderFromDialog()
{
    m_fileCommands->addFolderFromDialog();
}

void MainWindow::removeAll()
{
    m_fileCommands->removeAll();
}

void MainWindow::startConversion()
{
    if (m_run)
        m_run->start();
}

void MainWindow::chooseOutputFolder()
{
    const QString folder =
        FileChoosers::chooseFolder(this, FileChoosers::outputFolderPrompt(), m_outputFolderEdit->text());
    // Only a chosen folder replaces the text; cancelling changes nothing.
    if (!folder.isEmpty())
        m_outputFolderEdit->setText(folder);
}

void MainWindow::showOptions()
{
    OptionsDialog dialog(m_settings, m_programFolder, m_services, this);
    dialog.exec();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // Moves over a control that does not take them arrive here too; only the bare
        // background counts.
        if (!m_client->childAt(mouse->position().toPoint()))
            backgroundPointerMoved(mouse->buttons());
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::backgroundPointerMoved(Qt::MouseButtons buttons)
{
    // Only a held left button drags: a move request without it would make the window follow
    // a free pointer on some desktops.
    if (buttons & Qt::LeftButton) {
        if (QWindow *window = windowHandle())
            window->startSystemMove();
    }
    resetHover();
}

void MainWindow::resetHover()
{
    m_helpZone->setLit(false);
    m_minimizeZone->setLit(false);
    m_closeZone->setLit(false);
    m_feedbackLink->setLit(false);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    unload();
    event->accept();
}

void MainWindow::unload()
{
    // However the window is closed (Exit, its close box, the window manager, a logout), what the
    // user chose is kept for the next start.
    if (m_unloaded)
        return;
    m_unloaded = true;
    writeSetupIni();
    if (m_run)
        m_run->stopForShutdown();
    Shutdown::removeLeftovers();
    if (m_programEnd)
        m_programEnd();
}

void MainWindow::showProgress()
{
    m_barPicture->resize(qRound(m_progress->barWidth() / 15.0), m_barPicture->height());
    m_progressBar->setValue(qRound(m_progress->percent()));
    m_progressCaption->setText(m_progress->caption());
}

int MainWindow::formatPosition() const
{
    return m_formatCombo->currentIndex();
}

EncodingSettings MainWindow::encodingSettings() const
{
    EncodingSettings settings;
    settings.videoBitrate = m_videoBitrateCombo->currentText();
    settings.frameRate = m_frameRateCombo->currentText();
    settings.size = m_sizeCombo->currentText();
    settings.sampleRate = m_sampleRateCombo->currentText();
    settings.audioBitrate = m_audioBitrateCombo->currentText();
    settings.channelIndex = m_channelCombo->currentIndex();
    return settings;
}

QString MainWindow::outputFolderText() const
{
    return m_outputFolderEdit->text();
}

void MainWindow::setOutputFolderText(const QString &text)
{
    m_outputFolderEdit->setText(text);
}

void MainWindow::setRunControlsEnabled(bool enabled)
{
    // Start takes these away and the end of the run gives them back, each in its own order.
    if (!enabled) {
        for (QToolButton *button : std::as_const(m_toolbarButtons))
            button->setEnabled(false);
        m_startButton->setEnabled(false);
        for (QComboBox *combo : {m_formatCombo, m_sampleRateCombo, m_audioBitrateCombo, m_sizeCombo,
                                 m_videoBitrateCombo, m_frameRateCombo, m_channelCombo})
            combo->setEnabled(false);
        m_convertPicture->setEnabled(false);
        m_feedbackLink->setEnabled(false);
        return;
    }
    m_startButton->setEnabled(true);
    m_feedbackLink->setEnabled(true);
    for (HotLabel *button :
         {m_addPicture, m_removePicture, m_startPicture, m_browsePicture, m_convertPicture})
        button->setEnabled(true);
    for (QToolButton *button : std::as_const(m_toolbarButtons))
        button->setEnabled(true);
    for (QComboBox *combo : {m_formatCombo, m_sampleRateCombo, m_audioBitrateCombo, m_sizeCombo,
                             m_videoBitrateCombo, m_frameRateCombo, m_channelCombo})
        combo->setEnabled(true);
    if (m_fileCommands->isBusy())
        holdCommandsWhileListBusy(true);
}

void MainWindow::holdCommandsWhileListBusy(bool busy)
{
    // Start, adding a folder and emptying the list wait until a folder scan or a remove-all is
    // over; the run holds some of them too, and gives them back itself.
    const bool runActive = m_run && m_run->isActive();
    for (QWidget *start : {static_cast<QWidget *>(m_startButton), static_cast<QWidget *>(m_convertPicture),
                           static_cast<QWidget *>(m_toolbarButtons.value(1))})
        start->setEnabled(!busy && !runActive);
    m_startPicture->setEnabled(!busy);
    // The menu bar's items and the popup menus' items alike.
    for (const char *name : {"addFolderAction", "removeAllAction", "addFolderItem", "removeAllItem"}) {
        const QList<QAction *> actions = findChildren<QAction *>(QString::fromLatin1(name));
        for (QAction *action : actions)
            action->setEnabled(!busy);
    }
}

void MainWindow::showDropZone()
{
    m_dropZone->setVisible(true);
}

QString MainWindow::programFolder() const
{
    return m_programFolder;
}
