#include "ui/mainwindow.h"

#include "conversion/conversionrun.h"
#include "ui/progressstate.h"
#include "filelist/filelist.h"
#include "platform/appdirs.h"
#include "platform/instancehandoff.h"
#include "platform/productinfo.h"
#include "platform/shutdown.h"
#include "settings/optionsfile.h"
#include "ui/artwork.h"
#include "ui/filecommands.h"
#include "ui/hotlabel.h"
#include "ui/mainwindowcommands.h"
#include "ui/windowrun.h"
#include "ui/windowstate.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

MainWindow::MainWindow(const QString &programFolder, UserServices &services, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , m_programFolder(programFolder)
    , m_settingsFolder(AppDirs::settingsFolder(programFolder))
    , m_services(services)
    , m_programEnd([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("MainWindow"));
    setFont(QFont(QStringLiteral("Tahoma"), 9));
    setWindowIcon(Artwork::icon(QStringLiteral("tunoxa")));

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
    m_progress = new ProgressState(this);
    connect(m_progress, &ProgressState::changed, this, &MainWindow::showProgress);

    m_controls = MainWindowLayout::build(m_client, m_fileList);
    m_fileCommands = new FileCommands(m_fileList, m_controls.fileListView, m_controls.hintBox,
                                      FileDialogs::system(m_standardDialogs, this), this);
    m_fileCommands->attachDropZone(m_controls.dropZone);
    m_commands = new MainWindowCommands(*this, m_programFolder, m_settingsFolder, m_controls, *m_fileCommands,
                                        m_services, m_settings);
    m_commands->fillMenuBar(m_menuBar);
    m_state =
        new WindowState(m_controls, m_settingsFolder, AppDirs::defaultOutputFolder(m_programFolder), this);
    // A session that ends closes no window: what the user chose is kept all the same.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, m_state, &WindowState::save);

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

void MainWindow::startUp()
{
    m_standardDialogs.setOwner(this);
    m_progress->setSpinner(QStringLiteral("-"));
    m_progress->setBar(0, m_progress->percent());
    m_run = new ConversionRun(this);
    m_windowRun = new WindowRun(*this, *m_fileList, m_programFolder, m_controls, *m_commands, *m_run,
                                *m_progress, m_services, m_settings);
    connect(m_commands->actions().start, &QAction::triggered, m_windowRun, &WindowRun::start);

    m_state->restore();

    m_controls.productLink->setText(ProductInfo::caption());
    m_controls.productLink->setToolTip(ProductInfo::versionText());
    m_controls.cornerPicture->setVisible(true);
    setWindowTitle(ProductInfo::caption());

    m_settings = OptionsFile::read(OptionsFile::pathIn(m_settingsFolder));
}

void MainWindow::addPaths(const QList<QByteArray> &nativePaths)
{
    m_fileCommands->addPaths(nativePaths);
}

void MainWindow::acceptHandoffs(HandoffServer &server)
{
    connect(&server, &HandoffServer::pathsArrived, this, [this](const QList<QByteArray> &nativePaths) {
        addPaths(nativePaths);
        bringToFront();
    });
}

void MainWindow::bringToFront()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
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
    m_controls.helpZone->setLit(false);
    m_controls.minimizeZone->setLit(false);
    m_controls.closeZone->setLit(false);
    m_controls.feedbackLink->setLit(false);
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
    shutDown();
    event->accept();
}

void MainWindow::shutDown()
{
    // However the window is closed (Exit, its close box, the window manager, a logout), what the
    // user chose is kept for the next start.
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_state->save();
    if (m_run)
        m_run->stopForShutdown();
    Shutdown::removeLeftovers();
    if (m_programEnd)
        m_programEnd();
}

void MainWindow::showProgress()
{
    m_controls.barPicture->resize(qRound(m_progress->barWidth() / 15.0), m_controls.barPicture->height());
    m_controls.progressBar->setValue(qRound(m_progress->percent()));
    m_controls.progressCaption->setText(m_progress->caption());
}
