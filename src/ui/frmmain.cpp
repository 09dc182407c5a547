#include "ui/frmmain.h"

#include "conversion/formattable.h"
#include "filelist/filecommands.h"
#include "filelist/filelist.h"
#include "filelist/filelistview.h"
#include "filelist/hintbox.h"
#include "runner/progressdisplay.h"
#include "shell/appdirs.h"
#include "shell/frmoptions.h"
#include "shell/optionsfile.h"
#include "shell/productinfo.h"
#include "shell/programsettings.h"
#include "shell/setupfile.h"
#include "shell/shelldialogs.h"
#include "shell/shutdown.h"
#include "shell/userservices.h"
#include "ui/actionwords.h"
#include "ui/frmmenu.h"
#include "ui/frmsuggest.h"
#include "ui/hotlabel.h"
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

frmMain::frmMain(const QString &programFolder, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , m_programFolder(programFolder)
    , m_programEnd([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("frmMain"));
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
    connect(m_progress, &ProgressDisplay::changed, this, &frmMain::showProgress);
    // A session that ends closes no window: what the user chose is kept all the same.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &frmMain::writeSetupIni);

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

frmMain::~frmMain() = default;

void frmMain::setProgramEnd(std::function<void()> programEnd)
{
    m_programEnd = std::move(programEnd);
}

void frmMain::buildMenuBar()
{
    const auto addItem = [this](QMenu *menu, const QString &name, const QString &caption, auto command) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, command);
    };

    QMenu *menuFile = m_menuBar->addMenu(QStringLiteral("文件"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    addItem(menuFile, QStringLiteral("menuAdd"), QStringLiteral("添加文件"),
            [this] { CmdToolsBar_Click(0); });
    addItem(menuFile, QStringLiteral("menuAddFolder"), QStringLiteral("添加文件夹"),
            [this] { CmdToolsBar_Click(1); });
    menuFile->addSeparator()->setObjectName(QStringLiteral("menuS"));
    addItem(menuFile, QStringLiteral("menuExit"), QStringLiteral("退出程序"),
            [this] { CmdToolsBar_Click(5); });

    QMenu *menuOperate = m_menuBar->addMenu(QStringLiteral("文件操作"));
    menuOperate->setObjectName(QStringLiteral("menuOperate"));
    addItem(menuOperate, QStringLiteral("menuDelete"), QStringLiteral("移除选中文件"),
            [this] { txtAction->setText(ActionWords::removeSelected()); });
    addItem(menuOperate, QStringLiteral("menuClear"), QStringLiteral("移除全部"),
            [this] { RemoveAllRows(); });

    QMenu *menuR = m_menuBar->addMenu(QStringLiteral("提示设置"));
    menuR->setObjectName(QStringLiteral("menuR"));
    addItem(menuR, QStringLiteral("menuReminder"), QStringLiteral("提示设置"),
            [this] { CmdToolsBar_Click(4); });

    QMenu *menuA = m_menuBar->addMenu(QStringLiteral("关于"));
    menuA->setObjectName(QStringLiteral("menuA"));
    addItem(menuA, QStringLiteral("menuAbout"), QStringLiteral("关于"), [this] { menuAbout_Click(); });
}

void frmMain::buildToolbar()
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
        button->setObjectName(QStringLiteral("CmdToolsBar_%1").arg(b.index));
        button->setText(b.caption);
        button->setIcon(QIcon(b.icon));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(Twips::rect(left, 0, 1420, 985));
        left += 1410;
        connect(button, &QToolButton::clicked, this, [this, index = b.index] { CmdToolsBar_Click(index); });
        CmdToolsBar.insert(b.index, button);
    }
}

void frmMain::buildCorner()
{
    imgRightTop = new QLabel(m_client);
    imgRightTop->setObjectName(QStringLiteral("imgRightTop"));
    const QRect corner = Twips::rect(8610, 0, 1635, 1665);
    imgRightTop->setGeometry(corner);
    imgRightTop->setPixmap(QIcon(QStringLiteral(":/icons/corner.svg")).pixmap(corner.size()));
    imgRightTop->setVisible(false);

    imgHelp = addHotZone(QStringLiteral("imgHelp"), Twips::rect(9520, 120, 225, 225),
                         QStringLiteral("Help & Tutorial"), QStringLiteral(":/icons/help-light.svg"));
    imgMin = addHotZone(QStringLiteral("imgMin"), Twips::rect(9775, 135, 210, 210),
                        QStringLiteral("Minimize Window"), QStringLiteral(":/icons/min-light.svg"));
    imgExit = addHotZone(QStringLiteral("imgExit"), Twips::rect(10075, 150, 225, 225), QStringLiteral("Exit"),
                         QStringLiteral(":/icons/exit-light.svg"));
    connect(imgHelp, &HotLabel::clicked, this, &frmMain::imgHelp_Click);
    connect(imgMin, &HotLabel::clicked, this, &frmMain::imgMin_Click);
    connect(imgExit, &HotLabel::clicked, this, &frmMain::imgExit_Click);
}

HotLabel *frmMain::addHotZone(const QString &name, const QRect &rect, const QString &toolTip,
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

void frmMain::buildFileArea()
{
    LV = new FileListView(m_fileList, m_client);
    LV->setObjectName(QStringLiteral("LV"));
    LV->setGeometry(Twips::rect(60, 1350, 6825, 4110));

    picText = new HintBox(m_fileList, m_client);
    picText->setObjectName(QStringLiteral("picText"));
    picText->setGeometry(Twips::rect(2280, 3120, 2445, 315));

    m_fileCommands =
        new FileCommands(m_fileList, LV, picText, FileDialogs::system(SharedDialogs, this), this);
    connect(m_fileCommands, &FileCommands::busyChanged, this, &frmMain::holdCommandsWhileListBusy);

    lblPB = addLabel(QStringLiteral("lblPB"), QStringLiteral("0%"), Twips::point(3270, 5670));
    lblPB->setFixedWidth(Twips::toPixels(6855) - Twips::toPixels(3270) + Twips::toPixels(60));

    pb = new QProgressBar(m_client);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setGeometry(Twips::rect(60, 5970, 6855, 315));
    pb->setRange(0, 100);
    pb->setValue(0);
    pb->setTextVisible(false);
}

void frmMain::buildSettings()
{
    addLabel(QStringLiteral("Label1"), FormatTable::outputFormatCaption(), Twips::point(7290, 1290));
    QLabel *label9 = addLabel(QStringLiteral("Label9"), FormatTable::mp3Caption(), Twips::point(7320, 1680));
    label9->setGeometry(Twips::rect(7320, 1680, 2865, 375));

    // Only the audio column lies inside the window; the format and video boxes show a sliver at
    // the right edge or lie beyond it, so they keep what start-up gives them.
    cmbOF = addCombo(QStringLiteral("cmbOF"), Twips::rect(10290, 1680, 2835, 330),
                     FormatTable::formatEntries(), false);
    addLabel(QStringLiteral("Label4"), FormatTable::sizeCaption(), Twips::point(10350, 2115));
    cmbS = addCombo(QStringLiteral("cmbS"), Twips::rect(10350, 2415, 2835, 330), FormatTable::sizeEntries(),
                    true);
    addLabel(QStringLiteral("Label2"), FormatTable::videoBitrateCaption(), Twips::point(10350, 2925));
    cmbVB = addCombo(QStringLiteral("cmbVB"), Twips::rect(10350, 3225, 2835, 330),
                     FormatTable::videoBitrateEntries(), true);
    addLabel(QStringLiteral("Label3"), FormatTable::frameRateCaption(), Twips::point(11850, 3765));
    cmbF = addCombo(QStringLiteral("cmbF"), Twips::rect(11850, 4065, 2835, 330),
                    FormatTable::frameRateEntries(), true);

    addLabel(QStringLiteral("Label5"), FormatTable::sampleRateCaption(), Twips::point(7290, 2115));
    cmbR = addCombo(QStringLiteral("cmbR"), Twips::rect(7290, 2415, 2835, 330),
                    FormatTable::sampleRateEntries(), true);
    addLabel(QStringLiteral("Label6"), FormatTable::audioBitrateCaption(), Twips::point(7290, 2925));
    cmbBR = addCombo(QStringLiteral("cmbBR"), Twips::rect(7290, 3225, 2835, 330),
                     FormatTable::audioBitrateEntries(), true);
    addLabel(QStringLiteral("Label7"), FormatTable::channelCaption(), Twips::point(7290, 3765));
    cmbChannel = addCombo(QStringLiteral("cmbChannel"), Twips::rect(7290, 4065, 2835, 330),
                          FormatTable::channelEntries(), false);

    // No format is chosen until start-up picks one, so that choice loads its defaults.
    cmbOF->setCurrentIndex(-1);
    connect(cmbOF, &QComboBox::currentIndexChanged, this, &frmMain::cmbOF_Click);
}

void frmMain::buildOutputArea()
{
    addLabel(QStringLiteral("Label8"), FormatTable::outputPathCaption(), Twips::point(7290, 4620));
    txtPath = new QLineEdit(m_client);
    txtPath->setObjectName(QStringLiteral("txtPath"));
    txtPath->setGeometry(Twips::rect(7290, 4935, 2055, 315));

    cmdBrowse = new QPushButton(QStringLiteral("浏览"), m_client);
    cmdBrowse->setObjectName(QStringLiteral("cmdBrowse"));
    cmdBrowse->setGeometry(Twips::rect(9420, 4950, 705, 300));
    connect(cmdBrowse, &QPushButton::clicked, this, &frmMain::imgBrowse_Click);

    Command3 = new QPushButton(QIcon(QStringLiteral(":/icons/start.svg")), QStringLiteral("立刻开始转换！"),
                               m_client);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(Twips::rect(7320, 5460, 2835, 885));
    Command3->setIconSize(QSize(32, 32));
    QFont bold = Command3->font();
    bold.setBold(true);
    Command3->setFont(bold);
    connect(Command3, &QPushButton::clicked, this, &frmMain::imgStart_Click);

    lblWeb = new HotLabel(m_client);
    lblWeb->setObjectName(QStringLiteral("lblWeb"));
    lblWeb->setGeometry(Twips::rect(90, 6450, 2715, 195));
    lblWeb->setCursor(Qt::PointingHandCursor);

    lblFeed = new HotLabel(m_client);
    lblFeed->setObjectName(QStringLiteral("lblFeed"));
    lblFeed->setText(QStringLiteral("意见反馈"));
    lblFeed->setGeometry(Twips::rect(9360, 6480, 720, 195));
    lblFeed->setCursor(Qt::PointingHandCursor);
    connect(lblFeed, &HotLabel::pointerMoved, lblFeed, [this] { lblFeed->setLit(true); });
    connect(lblFeed, &HotLabel::clicked, this, &frmMain::lblFeed_Click);
}

void frmMain::buildOffWindowControls()
{
    // These stand beyond the right edge of the client area, where the pointer never reaches them;
    // their click procedures are the window's commands.
    for (int index = 0; index <= 6; ++index) {
        HotLabel *button =
            addPictureButton(QStringLiteral("imgToolbar_%1").arg(index), QPoint(760, 10 + 30 * index));
        connect(button, &HotLabel::clicked, this, [this, index] { imgToolbar_Click(index); });
        imgToolbar.insert(index, button);
    }
    imgAdd = addPictureButton(QStringLiteral("imgAdd"), QPoint(820, 10));
    imgRemove = addPictureButton(QStringLiteral("imgRemove"), QPoint(820, 40));
    imgStart = addPictureButton(QStringLiteral("imgStart"), QPoint(820, 70));
    imgBrowse = addPictureButton(QStringLiteral("imgBrowse"), QPoint(820, 100));
    imgConvert = addPictureButton(QStringLiteral("imgConvert"), QPoint(820, 130));
    connect(imgAdd, &HotLabel::clicked, this, &frmMain::imgAdd_Click);
    connect(imgRemove, &HotLabel::clicked, this, &frmMain::imgRemove_Click);
    connect(imgStart, &HotLabel::clicked, this, &frmMain::imgStart_Click);
    connect(imgBrowse, &HotLabel::clicked, this, &frmMain::imgBrowse_Click);
    connect(imgConvert, &HotLabel::clicked, this, &frmMain::imgStart_Click);

    picDrag = new QLabel(QStringLiteral("Drag media files onto this DropZone"), m_client);
    picDrag->setObjectName(QStringLiteral("picDrag"));
    picDrag->setGeometry(760, 300, 200, 60);
    picDrag->setWordWrap(true);
    m_fileCommands->attachDropZone(picDrag);

    imgPB = new QLabel(m_client);
    imgPB->setObjectName(QStringLiteral("imgPB"));
    imgPB->setGeometry(760, 230, 0, 10);

    txtAction = new QLineEdit(m_client);
    txtAction->setObjectName(QStringLiteral("txtAction"));
    txtAction->setGeometry(760, 260, 120, 21);
    txtAction->setFocusPolicy(Qt::NoFocus);
    connect(txtAction, &QLineEdit::textChanged, this, &frmMain::txtAction_Change);
}

HotLabel *frmMain::addPictureButton(const QString &name, const QPoint &pos)
{
    auto *button = new HotLabel(m_client);
    button->setObjectName(name);
    button->setGeometry(QRect(pos, QSize(24, 24)));
    return button;
}

QLabel *frmMain::addLabel(const QString &name, const QString &text, const QPoint &pos)
{
    auto *label = new QLabel(text, m_client);
    label->setObjectName(name);
    label->move(pos);
    label->adjustSize();
    return label;
}

QComboBox *frmMain::addCombo(const QString &name, const QRect &rect, const QStringList &entries,
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

frmMenu *frmMain::menuHolder()
{
    if (!m_menuHolder) {
        m_menuHolder = new frmMenu(this, txtAction);
        connect(m_menuHolder, &frmMenu::removeAllRequested, this, &frmMain::RemoveAllRows);
        if (m_fileCommands->isBusy())
            holdCommandsWhileListBusy(true);
    }
    return m_menuHolder;
}

void frmMain::Form_Load()
{
    SharedDialogs.Init(this);
    m_progress->setSpinner(QStringLiteral("-"));
    m_progress->setBar(0, m_progress->pbValue());
    m_run = new ConversionRun(*this, *m_fileList, *m_progress, this);

    const StartupPositions start = FormatTable::startupPositions();
    cmbBR->setCurrentIndex(start.audioBitrate);
    cmbR->setCurrentIndex(start.sampleRate);
    cmbChannel->setCurrentIndex(start.channel);
    cmbOF->setCurrentIndex(start.format);
    txtPath->setText(AppDirs::defaultOutputFolder(m_programFolder));

    restoreSetupIni();
    if (txtPath->text().isEmpty())
        txtPath->setText(AppDirs::defaultOutputFolder(m_programFolder));

    lblWeb->setText(ProductInfo::caption());
    lblWeb->setToolTip(ProductInfo::versionText());
    imgRightTop->setVisible(true);
    setWindowTitle(ProductInfo::caption());

    ProgramSettings::instance() =
        OptionsFile::read(m_programFolder + QLatin1Char('/') + OptionsFile::fileName());
}

QString frmMain::setupIniPath() const
{
    return m_programFolder + QLatin1Char('/') + SetupFile::fileName();
}

void frmMain::restoreSetupIni()
{
    // The format goes first: choosing it loads its defaults, and the saved values then go over
    // them. A value that does not fit its control leaves that control as it is; the rest still apply.
    const SetupState saved = SetupFile::read(setupIniPath());
    if (const auto entry = entryToRestore(saved.formatIndex, cmbOF))
        cmbOF->setCurrentIndex(*entry);
    if (const auto entry = entryToRestore(saved.bitrateIndex, cmbBR))
        cmbBR->setCurrentIndex(*entry);
    if (const auto entry = entryToRestore(saved.sampleRateIndex, cmbR))
        cmbR->setCurrentIndex(*entry);
    if (const auto entry = entryToRestore(saved.channelIndex, cmbChannel))
        cmbChannel->setCurrentIndex(*entry);
    if (saved.outputFolder)
        txtPath->setText(*saved.outputFolder);
}

void frmMain::writeSetupIni()
{
    SetupState state;
    state.bitrateIndex = shownEntry(cmbBR);
    state.sampleRateIndex = shownEntry(cmbR);
    state.channelIndex = cmbChannel->currentIndex();
    state.outputFolder = txtPath->text();
    state.formatIndex = cmbOF->currentIndex();
    // A file that cannot be written is skipped: the program ends all the same.
    SetupFile::write(setupIniPath(), state);
}

void frmMain::cmbOF_Click()
{
    const std::optional<OutputFormat> format = FormatTable::formatAt(cmbOF->currentIndex());
    if (!format)
        return;
    const FormatDefaults defaults = FormatTable::defaultsFor(*format);
    if (defaults.videoBitrate)
        setComboText(cmbVB, *defaults.videoBitrate);
    if (defaults.frameRate)
        setComboText(cmbF, *defaults.frameRate);
    if (defaults.size)
        setComboText(cmbS, *defaults.size);
    setComboText(cmbR, defaults.sampleRate);
    setComboText(cmbBR, defaults.audioBitrate);
    cmbChannel->setCurrentIndex(defaults.channelIndex);
}

void frmMain::CmdToolsBar_Click(int index)
{
    switch (index) {
    case 1:
        imgToolbar_Click(6);
        break;
    case 2:
        imgToolbar_Click(1);
        break;
    case 4:
        imgToolbar_Click(2);
        break;
    case 5:
        imgToolbar_Click(4);
        break;
    case 3:
    case 6:
    case 7:
        break;
    default:
        imgToolbar_Click(0);
        break;
    }
}

void frmMain::imgToolbar_Click(int index)
{
    switch (index) {
    case 0:
        imgAdd_Click();
        break;
    case 1:
        popupRemoveMenu();
        break;
    case 2:
        showOptions();
        break;
    case 3:
        imgHelp_Click();
        break;
    case 4:
        imgExit_Click();
        break;
    case 6:
        AddFolderFiles();
        break;
    default:
        break;
    }
}

void frmMain::popupRemoveMenu()
{
    menuHolder()->popupRemove(QCursor::pos());
}

void frmMain::txtAction_Change()
{
    // Each word is tested against the field's current text, so a command that writes into the
    // field changes what the later tests see.
    if (txtAction->text() == ActionWords::removeSelected())
        imgRemove_Click();
    if (txtAction->text() == ActionWords::about())
        showAboutBox();
    if (txtAction->text() == ActionWords::addFile())
        imgAdd_Click();
    if (txtAction->text() == ActionWords::addFolder())
        imgToolbar_Click(6);
    if (txtAction->text() == ActionWords::exitProgram())
        imgExit_Click();
    if (txtAction->text() == ActionWords::help())
        imgHelp_Click();
    if (txtAction->text() == ActionWords::options())
        imgToolbar_Click(2);
    // Emptied after every dispatch, so choosing the same item again dispatches again.
    txtAction->setText(QString());
}

void frmMain::imgExit_Click()
{
    close();
}

void frmMain::imgHelp_Click()
{
    UserServices::instance().openPath(m_programFolder + QStringLiteral("/help.html"));
    imgHelp->setLit(false);
}

void frmMain::imgMin_Click()
{
    showMinimized();
    imgMin->setLit(false);
}

void frmMain::menuAbout_Click()
{
    showAboutBox();
}

void frmMain::showAboutBox()
{
    UserServices::instance().showMessage(UserServices::Icon::Information, aboutTitle(), aboutText());
}

void frmMain::lblFeed_Click()
{
    frmSuggest dialog(this);
    dialog.exec();
}

void frmMain::imgAdd_Click()
{
    m_fileCommands->imgAdd_Click();
}

void frmMain::imgRemove_Click()
{
    m_fileCommands->imgRemove_Click();
}

void frmMain::AddFolderFiles()
{
    m_fileCommands->AddFolderFiles();
}

void frmMain::RemoveAllRows()
{
    m_fileCommands->RemoveAllRows();
}

void frmMain::imgStart_Click()
{
    if (m_run)
        m_run->imgStart_Click();
}

void frmMain::imgBrowse_Click()
{
    const QString folder =
        ShellDialogs::browseForFolder(this, ShellDialogs::outputFolderPrompt(), txtPath->text());
    // Only a chosen folder replaces the text; cancelling changes nothing.
    if (!folder.isEmpty())
        txtPath->setText(folder);
}

void frmMain::showOptions()
{
    frmOptions dialog(m_programFolder, this);
    dialog.exec();
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client &&
        (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress)) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // Moves over a control that does not take them arrive here too; only the bare
        // background counts.
        if (!m_client->childAt(mouse->position().toPoint()))
            Form_MouseMove(mouse->buttons());
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::Form_MouseMove(Qt::MouseButtons buttons)
{
    // Only a held left button drags: a move request without it would make the window follow
    // a free pointer on some desktops.
    if (buttons & Qt::LeftButton) {
        if (QWindow *window = windowHandle())
            window->startSystemMove();
    }
    resetHover();
}

void frmMain::resetHover()
{
    imgHelp->setLit(false);
    imgMin->setLit(false);
    imgExit->setLit(false);
    lblFeed->setLit(false);
}

void frmMain::showEvent(QShowEvent *event)
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

void frmMain::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmMain::Form_Unload()
{
    // However the window is closed (Exit, its close box, the window manager, a logout), what the
    // user chose is kept for the next start.
    if (m_unloaded)
        return;
    m_unloaded = true;
    writeSetupIni();
    if (m_run)
        m_run->endForShutdown();
    Shutdown::removeLeftovers();
    if (m_programEnd)
        m_programEnd();
}

void frmMain::showProgress()
{
    imgPB->resize(qRound(m_progress->imgPBWidth() / 15.0), imgPB->height());
    pb->setValue(qRound(m_progress->pbValue()));
    lblPB->setText(m_progress->lblPBCaption());
}

int frmMain::formatPosition() const
{
    return cmbOF->currentIndex();
}

EncodingSettings frmMain::encodingSettings() const
{
    EncodingSettings settings;
    settings.videoBitrate = cmbVB->currentText();
    settings.frameRate = cmbF->currentText();
    settings.size = cmbS->currentText();
    settings.sampleRate = cmbR->currentText();
    settings.audioBitrate = cmbBR->currentText();
    settings.channelIndex = cmbChannel->currentIndex();
    return settings;
}

QString frmMain::outputFolderText() const
{
    return txtPath->text();
}

void frmMain::setOutputFolderText(const QString &text)
{
    txtPath->setText(text);
}

void frmMain::setRunControlsEnabled(bool enabled)
{
    // Start takes these away and the end of the run gives them back, each in its own order.
    if (!enabled) {
        for (QToolButton *button : std::as_const(CmdToolsBar))
            button->setEnabled(false);
        Command3->setEnabled(false);
        for (QComboBox *combo : {cmbOF, cmbR, cmbBR, cmbS, cmbVB, cmbF, cmbChannel})
            combo->setEnabled(false);
        imgConvert->setEnabled(false);
        lblFeed->setEnabled(false);
        return;
    }
    Command3->setEnabled(true);
    lblFeed->setEnabled(true);
    for (HotLabel *button : {imgAdd, imgRemove, imgStart, imgBrowse, imgConvert})
        button->setEnabled(true);
    for (QToolButton *button : std::as_const(CmdToolsBar))
        button->setEnabled(true);
    for (QComboBox *combo : {cmbOF, cmbR, cmbBR, cmbS, cmbVB, cmbF, cmbChannel})
        combo->setEnabled(true);
    if (m_fileCommands->isBusy())
        holdCommandsWhileListBusy(true);
}

void frmMain::holdCommandsWhileListBusy(bool busy)
{
    // Start, adding a folder and emptying the list wait until a folder scan or a remove-all is
    // over; the run holds some of them too, and gives them back itself.
    const bool runActive = m_run && m_run->isActive();
    for (QWidget *start : {static_cast<QWidget *>(Command3), static_cast<QWidget *>(imgConvert),
                           static_cast<QWidget *>(CmdToolsBar.value(1))})
        start->setEnabled(!busy && !runActive);
    imgStart->setEnabled(!busy);
    // The menu bar's items and the popup menus' items alike.
    for (const char *name : {"menuAddFolder", "menuClear", "menuAddaFolder", "menuRemoveAll"}) {
        const QList<QAction *> actions = findChildren<QAction *>(QString::fromLatin1(name));
        for (QAction *action : actions)
            action->setEnabled(!busy);
    }
}

void frmMain::showDropZone()
{
    picDrag->setVisible(true);
}

QString frmMain::programFolder() const
{
    return m_programFolder;
}
