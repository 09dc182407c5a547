#include "uitest.h"

#include "common/recordingservices.h"
#include "common/testmedia.h"
#include "conversion/conversionrun.h"
#include "ui/progressstate.h"
#include "filelist/filelist.h"
#include "ui/filecommands.h"
#include "ui/hotlabel.h"
#include "ui/optionsdialog.h"

#include <QAccessible>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace Seen;

namespace {

// What a command did, as far as the desktop and the user could see.
QStringList observed(const ModalWatcher &watcher, const RecordingServices &services, const LoadedWindow &w)
{
    QStringList seen = watcher.seen;
    for (const RecordingServices::Message &message : services.messages)
        seen.append(QStringLiteral("message:") + message.title);
    for (const QString &path : services.openedPaths)
        seen.append(QStringLiteral("open:") + QFileInfo(path).fileName());
    for (int i = 0; i < w.ends; ++i)
        seen.append(ended);
    return seen;
}

} // namespace

// What the menus, the toolbar and the picture buttons run, and which of them can be used when.
class TestMainWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void commandsRun_data();
    void commandsRun();
    void enabledControls_data();
    void enabledControls();
    void helpOpensTheGuideAndUnlights();
    void minimiseUnlights();
    void aboutBox();
    void cancelledBrowseKeepsTheFolder();
};

// A menu item (an action's name), a toolbar button or a picture button, and what it opens or runs.
void TestMainWindowCommands::commandsRun_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("menu 添加文件") << u"addFileAction"_s << QStringList{openFiles};
    QTest::newRow("menu 添加文件夹") << u"addFolderAction"_s << QStringList{openFolder};
    QTest::newRow("menu 退出程序") << u"exitAction"_s << QStringList{ended};
    QTest::newRow("menu 提示设置") << u"optionsAction"_s << QStringList{options};
    QTest::newRow("menu 关于") << u"aboutAction"_s << QStringList{about};
    QTest::newRow("button 添加文件") << u"addFileButton"_s << QStringList{openFiles};
    QTest::newRow("button 添加文件夹") << u"addFolderButton"_s << QStringList{openFolder};
    QTest::newRow("button 移除文件") << u"removeButton"_s << QStringList{removePopup};
    QTest::newRow("button 提示设置") << u"optionsButton"_s << QStringList{options};
    QTest::newRow("button 退出程序") << u"exitButton"_s << QStringList{ended};
    QTest::newRow("picture toolbar add file") << u"toolbarAddFilePicture"_s << QStringList{openFiles};
    QTest::newRow("picture toolbar remove") << u"toolbarRemovePicture"_s << QStringList{removePopup};
    QTest::newRow("picture toolbar options") << u"toolbarOptionsPicture"_s << QStringList{options};
    QTest::newRow("picture toolbar help") << u"toolbarHelpPicture"_s << QStringList{help};
    QTest::newRow("picture toolbar exit") << u"toolbarExitPicture"_s << QStringList{ended};
    QTest::newRow("picture toolbar spare") << u"toolbarSparePicture"_s << QStringList{};
    QTest::newRow("picture toolbar add folder") << u"toolbarAddFolderPicture"_s << QStringList{openFolder};
    QTest::newRow("picture add") << u"addPicture"_s << QStringList{openFiles};
    QTest::newRow("picture remove, nothing selected") << u"removePicture"_s << QStringList{};
    QTest::newRow("picture start, empty list") << u"startPicture"_s << QStringList{u"message:添加"_s};
    QTest::newRow("picture browse") << u"browsePicture"_s << QStringList{u"modal:请选择一个文件夹:"_s};
    QTest::newRow("picture convert, empty list") << u"convertPicture"_s << QStringList{u"message:添加"_s};
}

void TestMainWindowCommands::commandsRun()
{
    QFETCH(QString, control);
    QFETCH(QStringList, expected);
    RecordingServices services;
    LoadedWindow w(QByteArray(), &services);
    ModalWatcher watcher;
    if (QAction *item = w.menuItem(control)) {
        item->trigger();
    } else if (auto *picture = w.control<HotLabel>(control)) {
        QTest::mouseClick(picture, Qt::LeftButton);
    } else {
        QVERIFY(w.control<QToolButton>(control));
        w.control<QToolButton>(control)->click();
    }
    QCOMPARE(observed(watcher, services, w), expected);
}

void TestMainWindowCommands::enabledControls_data()
{
    QTest::addColumn<QString>("moment");
    QTest::addColumn<QStringList>("disabled");
    QTest::newRow("idle") << u"idle"_s << QStringList();
    // A scan holds back Start and the commands that add a folder or empty the list; the menus' and
    // popups' items included.
    QTest::newRow("folder scan") << u"scan"_s << QStringList{u"addFolderButton"_s, u"startButton"_s,
                                                             u"startPicture"_s,    u"convertPicture"_s,
                                                             u"addFolderAction"_s, u"removeAllAction"_s,
                                                             u"addFolderItem"_s,   u"removeAllItem"_s};
    // A run takes the toolbar, Start, the settings and the feedback link; the menus stay usable.
    QTest::newRow("run") << u"run"_s
                         << QStringList{u"addFileButton"_s,   u"addFolderButton"_s,   u"removeButton"_s,
                                        u"optionsButton"_s,   u"exitButton"_s,        u"formatCombo"_s,
                                        u"sizeCombo"_s,       u"videoBitrateCombo"_s, u"frameRateCombo"_s,
                                        u"sampleRateCombo"_s, u"audioBitrateCombo"_s, u"channelCombo"_s,
                                        u"startButton"_s,     u"feedbackLink"_s,      u"convertPicture"_s};
    QTest::newRow("after a run") << u"ended"_s << QStringList();
}

void TestMainWindowCommands::enabledControls()
{
    QFETCH(QString, moment);
    QFETCH(QStringList, disabled);
    RecordingServices services;
    LoadedWindow w(QByteArray(), &services);
    w.window->commands()->popupMenus();
    const QStringList controls = {u"addFileButton"_s,
                                  u"addFolderButton"_s,
                                  u"removeButton"_s,
                                  u"optionsButton"_s,
                                  u"exitButton"_s,
                                  u"helpZone"_s,
                                  u"minimizeZone"_s,
                                  u"closeZone"_s,
                                  u"fileListView"_s,
                                  u"formatCombo"_s,
                                  u"sizeCombo"_s,
                                  u"videoBitrateCombo"_s,
                                  u"frameRateCombo"_s,
                                  u"sampleRateCombo"_s,
                                  u"audioBitrateCombo"_s,
                                  u"channelCombo"_s,
                                  u"outputFolderEdit"_s,
                                  u"browseButton"_s,
                                  u"startButton"_s,
                                  u"productLink"_s,
                                  u"feedbackLink"_s,
                                  u"toolbarAddFilePicture"_s,
                                  u"toolbarRemovePicture"_s,
                                  u"toolbarOptionsPicture"_s,
                                  u"toolbarHelpPicture"_s,
                                  u"toolbarExitPicture"_s,
                                  u"toolbarSparePicture"_s,
                                  u"toolbarAddFolderPicture"_s,
                                  u"addPicture"_s,
                                  u"removePicture"_s,
                                  u"startPicture"_s,
                                  u"browsePicture"_s,
                                  u"convertPicture"_s,
                                  u"dropZone"_s};
    const QStringList items = {
        u"addFileAction"_s,   u"addFolderAction"_s,    u"exitAction"_s,   u"removeSelectedAction"_s,
        u"removeAllAction"_s, u"optionsAction"_s,      u"aboutAction"_s,  u"addFileItem"_s,
        u"addFolderItem"_s,   u"exitItem"_s,           u"optionsItem"_s,  u"helpItem"_s,
        u"aboutItem"_s,       u"removeSelectedItem"_s, u"removeAllItem"_s};
    QStringList seen;
    const auto look = [&] {
        seen.clear();
        for (const QString &name : controls) {
            auto *control = w.control<QWidget>(name);
            QVERIFY2(control, qPrintable(name));
            if (!control->isEnabled())
                seen.append(name);
        }
        for (const QString &name : items) {
            const QList<QAction *> actions = w.window->findChildren<QAction *>(name);
            QCOMPARE(actions.size(), 1);
            if (!actions.first()->isEnabled())
                seen.append(name);
        }
    };

    if (moment == u"scan") {
        QTemporaryDir library;
        for (int artist = 0; artist < 300; ++artist) {
            const QString album = library.filePath(u"artist %1/album"_s.arg(artist));
            QVERIFY(QDir().mkpath(album));
            QFile track(album + u"/01 track.flac"_s);
            QVERIFY(track.open(QIODevice::WriteOnly));
        }
        auto *files = w.window->findChild<FileCommands *>();
        bool looked = false;
        connect(files, &FileCommands::busyChanged, w.window.get(), [&](bool busy) {
            if (busy)
                QTimer::singleShot(0, w.window.get(), [&] {
                    look();
                    looked = true;
                });
        });
        files->addFolder(library.path());
        QTRY_VERIFY(looked);
        QTRY_VERIFY(!files->isBusy());
    } else if (moment == u"run" || moment == u"ended") {
        // No tools in this program folder: the run ends as soon as it tries the file.
        w.window->fileList()->addFile(w.folder.filePath(u"song.flac"_s));
        w.control<QPushButton>(u"startButton"_s)->click();
        if (moment == u"run")
            look();
        QTRY_VERIFY(!w.window->conversionRun()->isActive());
        if (moment == u"ended")
            look();
    } else {
        look();
    }
    std::sort(seen.begin(), seen.end());
    std::sort(disabled.begin(), disabled.end());
    QCOMPARE(seen, disabled);
}

void TestMainWindowCommands::helpOpensTheGuideAndUnlights()
{
    RecordingServices services;
    LoadedWindow w(QByteArray(), &services);
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto *zoneHelp = w.control<HotLabel>(QStringLiteral("helpZone"));
    QTest::mouseMove(zoneHelp, QPoint(7, 7));
    QTest::mouseClick(zoneHelp, Qt::LeftButton, {}, QPoint(7, 7));
    // No help.html in this program folder: the request still goes out and nothing else happens.
    QCOMPARE(services.openedPaths, QStringList{w.folder.filePath(QStringLiteral("help.html"))});
    QVERIFY(services.messages.isEmpty());
    QVERIFY(!zoneHelp->isLit());
}

void TestMainWindowCommands::minimiseUnlights()
{
    LoadedWindow w;
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto *zoneMin = w.control<HotLabel>(QStringLiteral("minimizeZone"));
    QTest::mouseMove(zoneMin, QPoint(7, 7));
    QVERIFY(zoneMin->isLit());
    QTest::mouseClick(zoneMin, Qt::LeftButton, {}, QPoint(7, 7));
    QVERIFY(w.window->windowState() & Qt::WindowMinimized);
    w.window->showNormal();
    QVERIFY(!zoneMin->isLit());
}

void TestMainWindowCommands::aboutBox()
{
    RecordingServices services;
    LoadedWindow w(QByteArray(), &services);
    w.window->commands()->actions().about->trigger();
    QCOMPARE(services.messages.size(), 1);
    const RecordingServices::Message &box = services.messages.first();
    QCOMPARE(box.title, QStringLiteral("Tunoxa转换器"));
    QCOMPARE(box.icon, UserServices::Icon::Information);
    const QStringList lines = box.text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].endsWith(QStringLiteral("      ")));
    QVERIFY(!lines[0].endsWith(QStringLiteral("       ")));
    QVERIFY(QRegularExpression(QStringLiteral("^Ver \\d+\\.\\d+\\.\\d+  \\S")).match(lines[1]).hasMatch());
    QVERIFY(lines[2].endsWith(QStringLiteral(".invalid  ")));
    QCOMPARE(box.text.count(QLatin1Char('\n')), 2);
}

void TestMainWindowCommands::cancelledBrowseKeepsTheFolder()
{
    LoadedWindow w;
    ModalWatcher watcher;
    auto *folder = w.control<QLineEdit>(QStringLiteral("outputFolderEdit"));
    folder->setText(QStringLiteral("/home/u/chosen"));
    w.control<QPushButton>(QStringLiteral("browseButton"))->click();
    QCOMPARE(watcher.seen, QStringList{QStringLiteral("modal:请选择一个文件夹:")});
    QCOMPARE(folder->text(), QStringLiteral("/home/u/chosen"));
}

QTEST_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"
