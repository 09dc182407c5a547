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

// Gives the window's own program folder the tools of the real one (so Exit writes its settings
// there, never into the build's program folder) and lines `flac` up for MP3 into `outFolder`.
bool prepareMp3Run(const LoadedWindow &w, const QString &flac, const QString &outFolder)
{
    const QString real = TestMedia::programFolder();
    if (!QFile::link(real + QStringLiteral("/data"), w.folder.filePath(QStringLiteral("data"))) ||
        !QFile::link(real + QStringLiteral("/sound.wav"), w.folder.filePath(QStringLiteral("sound.wav"))))
        return false;
    w.control<QComboBox>(QStringLiteral("formatCombo"))->setCurrentIndex(8);
    w.control<QLineEdit>(QStringLiteral("outputFolderEdit"))->setText(outFolder);
    w.window->fileList()->addFile(flac);
    return true;
}

} // namespace

// The window as a whole: hover and its reset, a run started and ended from it, a folder scan under it.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void hoverLightsAndResets();
    void decorationKeepsTheLight();
    void feedbackLabelStaysBoldAfterItsWindow();
    void startConvertsTheListToMp3();
    void runEndsAsTheWindowShowsThem_data();
    void runEndsAsTheWindowShowsThem();
    void exitDuringARunLeavesNoHalfFile();
    void startWaitsForAFolderScan();
};

void TestMainWindow::hoverLightsAndResets()
{
    LoadedWindow w;
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QWidget *client = w.window->clientArea();
    auto *zoneHelp = w.control<HotLabel>(QStringLiteral("helpZone"));
    auto *zoneMin = w.control<HotLabel>(QStringLiteral("minimizeZone"));
    const QPoint bare(470, 200);
    QVERIFY(!client->childAt(bare));

    QTest::mouseMove(client, bare);
    QTest::mouseMove(zoneHelp, QPoint(7, 7));
    QVERIFY(zoneHelp->isLit());
    QVERIFY(!zoneHelp->pixmap().isNull());
    QTest::mouseMove(zoneMin, QPoint(7, 7));
    QVERIFY(zoneHelp->isLit());
    QVERIFY(zoneMin->isLit());
    // Moving over a lit zone again keeps it lit.
    QTest::mouseMove(zoneMin, QPoint(3, 3));
    QVERIFY(zoneMin->isLit());

    QTest::mouseMove(client, bare);
    QVERIFY(!zoneHelp->isLit());
    QVERIFY(!zoneMin->isLit());
    QVERIFY(zoneHelp->pixmap().isNull());
    QVERIFY(w.window->isVisible());
}

void TestMainWindow::decorationKeepsTheLight()
{
    LoadedWindow w;
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto *zoneExit = w.control<HotLabel>(QStringLiteral("closeZone"));
    QTest::mouseMove(zoneExit, QPoint(7, 7));
    QVERIFY(zoneExit->isLit());
    // Onto the corner picture, then onto other controls: no reset.
    QTest::mouseMove(w.control<QWidget>(QStringLiteral("cornerPicture")), QPoint(20, 80));
    QVERIFY(zoneExit->isLit());
    QTest::mouseMove(w.control<QWidget>(QStringLiteral("formatLabel")), QPoint(2, 2));
    QTest::mouseMove(w.control<QWidget>(QStringLiteral("addFileButton")), QPoint(40, 40));
    QVERIFY(zoneExit->isLit());
    QCOMPARE(w.ends, 0);
}

void TestMainWindow::feedbackLabelStaysBoldAfterItsWindow()
{
    LoadedWindow w;
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    auto *feed = w.control<HotLabel>(QStringLiteral("feedbackLink"));
    QVERIFY(!feed->font().bold());
    QTest::mouseMove(feed, QPoint(5, 5));
    QVERIFY(feed->font().bold());

    ModalWatcher watcher;
    QTest::mouseClick(feed, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(watcher.seen.size(), 1);
    QVERIFY(watcher.seen.first().startsWith(QStringLiteral("modal:")));
    QVERIFY(feed->font().bold());

    QTest::mouseMove(w.window->clientArea(), QPoint(300, 80));
    QVERIFY(!feed->font().bold());
}

void TestMainWindow::startConvertsTheListToMp3()
{
    RecordingServices services;
    QTemporaryDir output;
    const QString flac = output.filePath(QStringLiteral("song one.flac"));
    const QString second = output.filePath(QStringLiteral("song two.flac"));
    QVERIFY(TestMedia::makeFlac(flac, 2.0));
    QVERIFY(TestMedia::makeFlac(second, 2.0));
    LoadedWindow w(QByteArray(), &services);
    QVERIFY(prepareMp3Run(w, flac, output.filePath(QStringLiteral("out"))));
    w.window->fileList()->addFile(second);
    auto *format = w.control<QComboBox>(QStringLiteral("formatCombo"));
    auto *folder = w.control<QLineEdit>(QStringLiteral("outputFolderEdit"));

    // Once the first file is under way the user types another folder and opens a modal dialog
    // that stays up until the run has ended: neither may change or hold back this run.
    MainWindow *window = w.window.get();
    bool endedUnderDialog = false;
    connect(window->conversionRun(), &ConversionRun::stageStarted, window,
            [&](FileList::Id, const QString &) {
                if (folder->text() == output.filePath(QStringLiteral("elsewhere")))
                    return;
                folder->setText(output.filePath(QStringLiteral("elsewhere")));
                QTimer::singleShot(0, window, [&] {
                    QDialog dialog(window);
                    connect(window->conversionRun(), &ConversionRun::finished, &dialog, [&] {
                        endedUnderDialog = true;
                        dialog.accept();
                    });
                    QTimer::singleShot(60000, &dialog, &QDialog::reject);
                    dialog.exec();
                });
            });

    auto *start = w.control<QPushButton>(QStringLiteral("startButton"));
    start->click();
    QVERIFY(!start->isEnabled());
    QVERIFY(!format->isEnabled());
    QVERIFY(!w.control<QToolButton>(QStringLiteral("addFileButton"))->isEnabled());
    QVERIFY(!w.control<QLabel>(QStringLiteral("feedbackLink"))->isEnabled());
    QCOMPARE(folder->text(), output.filePath(QStringLiteral("out/")));
    QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 60000);

    QVERIFY(endedUnderDialog);
    QCOMPARE(w.window->fileList()->count(), 0);
    QVERIFY(format->isEnabled());
    QCOMPARE(w.control<QLabel>(QStringLiteral("progressCaption"))->text(), QStringLiteral("Done."));
    const QStringList made = QDir(output.filePath(QStringLiteral("out")))
                                 .entryList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name);
    QCOMPARE(made.size(), 2);
    QVERIFY(made.first().startsWith(QStringLiteral("song one_")));
    QVERIFY(!QFileInfo::exists(output.filePath(QStringLiteral("elsewhere"))));
    QCOMPARE(folder->text(), output.filePath(QStringLiteral("elsewhere")));
    QCOMPARE(services.openedPaths, QStringList{output.filePath(QStringLiteral("out/"))});
    QCOMPARE(w.ends, 0);
}

// How the window shows each end of a run: the boxes, the folder opened, the sound, the caption.
void TestMainWindow::runEndsAsTheWindowShowsThem_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("title");   // of the one box shown; empty: none
    QTest::addColumn<QString>("text");    // its text, "%1" standing for the failed file or the folder
    QTest::addColumn<QString>("caption"); // empty: as the run left it
    QTest::addColumn<int>("opened");      // the output folder opened, the sound played
    QTest::newRow("a file fails") << u"failure"_s << u"转换失败"_s << u"%1：源文件无法解码"_s
                                  << u"完成，1 个文件转换失败"_s << 1;
    QTest::newRow("21 files fail: 20 lines and a cut")
        << u"failures"_s << u"转换失败"_s << u"…"_s << u"完成，21 个文件转换失败"_s << 1;
    QTest::newRow("output folder refused")
        << u"folder"_s << u"输出路径"_s << u"无法写入输出文件夹：%1"_s << QString() << 0;
    QTest::newRow("empty list") << u"empty"_s << u"添加"_s << u"请先添加一个文件"_s << QString() << 0;
    QTest::newRow("tool missing") << u"tool"_s << u"Tunoxa转换器"_s << u"File or command not found"_s
                                  << u"转换中止"_s << 0;
}

void TestMainWindow::runEndsAsTheWindowShowsThem()
{
    QFETCH(QString, end);
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    QFETCH(int, opened);
    RecordingServices services;
    QTemporaryDir work;
    const QString good = work.filePath(u"good.flac"_s);
    const QString bad = work.filePath(u"bad.flac"_s);
    QVERIFY(TestMedia::makeFlac(good, 1.0));
    QFile badFile(bad);
    QVERIFY(badFile.open(QIODevice::WriteOnly) && badFile.write("no audio") > 0);
    badFile.close();
    LoadedWindow w(QByteArray(), &services);
    QString folder = work.filePath(u"out"_s);
    if (end == u"folder") {
        QVERIFY(QFile::copy(bad, work.filePath(u"plain"_s)));
        folder = work.filePath(u"plain/out"_s);
    }
    QVERIFY(prepareMp3Run(w, good, folder));
    if (end == u"tool") {
        QVERIFY(QFile::remove(w.folder.filePath(u"data"_s)) && QDir(w.folder.path()).mkdir(u"data"_s));
        for (const QString &tool : {u"sox"_s, u"flac"_s, u"conv"_s})
            QVERIFY(QFile::link(TestMedia::programFolder() + u"/data/"_s + tool,
                                w.folder.filePath(u"data/"_s + tool)));
    }
    if (end == u"failure")
        w.window->fileList()->addFile(bad);
    if (end == u"failures") {
        for (int k = 0; k < 20; ++k)
            QVERIFY(QFile::copy(bad, work.filePath(u"bad%1.flac"_s.arg(k, 2, 10, QLatin1Char('0')))));
        for (int k = 0; k < 20; ++k)
            w.window->fileList()->addFile(work.filePath(u"bad%1.flac"_s.arg(k, 2, 10, QLatin1Char('0'))));
        w.window->fileList()->addFile(bad);
    }
    if (end == u"empty") {
        w.window->fileList()->removeAll();
        QTRY_VERIFY(w.window->fileList()->isEmpty());
    }
    auto *start = w.control<QPushButton>(u"startButton"_s);
    const QString before = w.control<QLabel>(u"progressCaption"_s)->text();
    start->click();
    QCOMPARE(start->isEnabled(), end == u"empty");
    QTRY_VERIFY_WITH_TIMEOUT(start->isEnabled(), 60000);
    QCOMPARE(services.messages.size(), 1);
    QCOMPARE(services.messages[0].title, title);
    const QString shown = end == u"folder" ? folder + u'/' : bad;
    if (end == u"failures") {
        const QStringList lines = services.messages[0].text.split(u'\n');
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines.last(), text);
    } else {
        QCOMPARE(services.messages[0].text, text.contains(u"%1"_s) ? text.arg(shown) : text);
    }
    QCOMPARE(w.control<QLabel>(u"progressCaption"_s)->text(), caption.isEmpty() ? before : caption);
    QCOMPARE(services.openedPaths.size(), opened);
    QCOMPARE(services.playedSounds.size(), opened);
}

void TestMainWindow::exitDuringARunLeavesNoHalfFile()
{
    RecordingServices services;
    QTemporaryDir output;
    const QString flac = output.filePath(QStringLiteral("long.flac"));
    QVERIFY(TestMedia::makeFlac(flac, 240.0));
    LoadedWindow w(QByteArray(), &services);
    const QString outFolder = output.filePath(QStringLiteral("out"));
    QVERIFY(prepareMp3Run(w, flac, outFolder));

    // Exit from the menu while the encoder writes the MP3.
    MainWindow *window = w.window.get();
    int coderStages = 0;
    connect(window->conversionRun(), &ConversionRun::stageStarted, window,
            [&](FileList::Id, const QString &tool) {
                if (tool == QStringLiteral("coder") && ++coderStages == 2) {
                    QTimer::singleShot(100, window,
                                       [&w] { w.menuItem(QStringLiteral("exitAction"))->trigger(); });
                }
            });
    w.control<QPushButton>(QStringLiteral("startButton"))->click();
    QTRY_COMPARE_WITH_TIMEOUT(w.ends, 1, 60000);
    QTRY_VERIFY_WITH_TIMEOUT(!window->conversionRun()->isActive(), 10000);
    QCOMPARE(coderStages, 2);
    QCOMPARE(QDir(outFolder).entryList(QDir::Files), QStringList());
    QVERIFY(QFile::exists(flac));
    QVERIFY(QFile::exists(w.folder.filePath(QStringLiteral("setup.ini"))));
}

void TestMainWindow::startWaitsForAFolderScan()
{
    // A scan long enough to take several turns of the event loop.
    QTemporaryDir library;
    for (int artist = 0; artist < 300; ++artist) {
        const QString album = library.filePath(QStringLiteral("artist %1/album").arg(artist));
        QVERIFY(QDir().mkpath(album));
        QFile track(album + QStringLiteral("/01 track.flac"));
        QVERIFY(track.open(QIODevice::WriteOnly));
    }
    LoadedWindow w;
    auto *start = w.control<QPushButton>(QStringLiteral("startButton"));
    auto *addFolder = w.control<QToolButton>(QStringLiteral("addFolderButton"));
    QAction *removeAll = w.menuItem(QStringLiteral("removeAllAction"));
    QList<bool> startEnabledWhileBusy;
    connect(w.window->findChild<FileCommands *>(), &FileCommands::busyChanged, w.window.get(),
            [&](bool busy) {
                if (busy)
                    QTimer::singleShot(0, w.window.get(), [&] {
                        startEnabledWhileBusy << start->isEnabled() << addFolder->isEnabled()
                                              << removeAll->isEnabled();
                    });
            });
    w.window->findChild<FileCommands *>()->addFolder(library.path());
    QTRY_COMPARE(w.window->fileList()->count(), 300);
    QCOMPARE(startEnabledWhileBusy, (QList<bool>{false, false, false}));
    QTRY_VERIFY(start->isEnabled());
    QVERIFY(addFolder->isEnabled());
    QVERIFY(removeAll->isEnabled());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
