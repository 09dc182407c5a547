#include "uitest.h"

#include "common/recordingservices.h"
#include "common/testmedia.h"
#include "conversion/conversionrun.h"
#include "filelist/filelist.h"
#include "runner/progressstate.h"
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

QRect clientRect()
{
    return {0, 0, MainWindow::ClientWidth, MainWindow::ClientHeight};
}

QString accessibleName(QWidget *control)
{
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

// The controls shown inside `area` that a screen reader could not name: no name of their own and
// no caption label naming them. Containers count by what they hold.
QStringList unnamedControls(QWidget *area)
{
    const QList<QWidget *> controls = area->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QList<QWidget *> labelled;
    for (QWidget *control : controls) {
        if (auto *label = qobject_cast<QLabel *>(control))
            labelled.append(label->buddy());
    }
    QStringList unnamed;
    for (QWidget *control : controls) {
        const QAccessible::Role role = QAccessible::queryAccessibleInterface(control)->role();
        if (!control->isVisible() || !area->rect().intersects(control->geometry()) ||
            role == QAccessible::Border || role == QAccessible::Client ||
            control->objectName() == QStringLiteral("cornerPicture"))
            continue;
        if (accessibleName(control).isEmpty() && !labelled.contains(control))
            unnamed.append(control->objectName());
    }
    return unnamed;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    // Layout
    void clientAreaBelowMenuBar();
    void controlRectangles_data();
    void controlRectangles();
    void offWindowControls_data();
    void offWindowControls();
    void settingsSlivers_data();
    void settingsSlivers();
    void captions();
    void captionsFitTheirLabels();
    void screenReaderNamesEveryControl();

    // Format selection
    void startupValues();
    void formatDefaults_data();
    void formatDefaults();
    void typedValueSurvivesUntilFormatChange();
    void restoredFormat_data();
    void restoredFormat();

    // Routing
    void menuItems_data();
    void menuItems();
    void toolbarButtons_data();
    void toolbarButtons();
    void pictureButtons_data();
    void pictureButtons();

    // What can be used when
    void enabledControls_data();
    void enabledControls();

    // Hover and window commands
    void hoverLightsAndResets();
    void decorationKeepsTheLight();
    void feedbackLabelStaysBoldAfterItsWindow();
    void helpOpensTheGuideAndUnlights();
    void minimiseUnlights();
    void aboutBox();

    // Exit and shutdown
    void exitWritesSetupIni_data();
    void exitWritesSetupIni();
    void exitWithUnwritableSetupIniStillEnds_data();
    void exitWithUnwritableSetupIniStillEnds();
    void cancelledBrowseKeepsTheFolder();

    // Progress and the run
    void progressBinding();
    void startConvertsTheListToMp3();
    void exitDuringARunLeavesNoHalfFile();
    void startWaitsForAFolderScan();
};

void TestMainWindow::clientAreaBelowMenuBar()
{
    LoadedWindow w;
    QCOMPARE(w.window->clientArea()->size(), QSize(698, 455));
    QCOMPARE(w.window->clientArea()->y(), w.window->menuBar()->height());
    QVERIFY(!w.window->menuBar()->isNativeMenuBar());
    QCOMPARE(w.window->size(), QSize(698, 455 + w.window->menuBar()->height()));
    QCOMPARE(w.window->minimumSize(), w.window->maximumSize());
    QVERIFY(!(w.window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(w.window->windowFlags() & Qt::WindowMinimizeButtonHint));
    QCOMPARE(w.window->font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(w.window->font().pointSize(), 9);
}

void TestMainWindow::controlRectangles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("toolbar 0") << u"addFileButton"_s << QRect(0, 0, 95, 66);
    QTest::newRow("toolbar 1") << u"addFolderButton"_s << QRect(94, 0, 95, 66);
    QTest::newRow("toolbar 2") << u"removeButton"_s << QRect(188, 0, 95, 66);
    QTest::newRow("toolbar 4") << u"optionsButton"_s << QRect(282, 0, 95, 66);
    QTest::newRow("toolbar 5") << u"exitButton"_s << QRect(376, 0, 95, 66);
    QTest::newRow("corner") << u"cornerPicture"_s << QRect(574, 0, 109, 111);
    QTest::newRow("help zone") << u"helpZone"_s << QRect(635, 8, 15, 15);
    QTest::newRow("minimise zone") << u"minimizeZone"_s << QRect(652, 9, 14, 14);
    QTest::newRow("exit zone") << u"closeZone"_s << QRect(672, 10, 15, 15);
    QTest::newRow("progress bar") << u"progressBar"_s << QRect(4, 398, 457, 21);
    QTest::newRow("sample rate") << u"sampleRateCombo"_s << QRect(486, 161, 189, 22);
    QTest::newRow("audio bitrate") << u"audioBitrateCombo"_s << QRect(486, 215, 189, 22);
    QTest::newRow("channels") << u"channelCombo"_s << QRect(486, 271, 189, 22);
    QTest::newRow("output folder") << u"outputFolderEdit"_s << QRect(486, 329, 137, 21);
    QTest::newRow("browse") << u"browseButton"_s << QRect(628, 330, 47, 20);
    QTest::newRow("start") << u"startButton"_s << QRect(488, 364, 189, 59);
    QTest::newRow("product") << u"productLink"_s << QRect(6, 430, 181, 13);
    QTest::newRow("feedback") << u"feedbackLink"_s << QRect(624, 432, 48, 13);
    QTest::newRow("mp3 caption") << u"mp3Label"_s << QRect(488, 112, 191, 25);
}

void TestMainWindow::controlRectangles()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    LoadedWindow w;
    auto *control = w.control<QWidget>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), w.window->clientArea());
    QCOMPARE(control->geometry(), rect);
}

void TestMainWindow::offWindowControls_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name :
         {"toolbarAddFilePicture", "toolbarRemovePicture", "toolbarOptionsPicture", "toolbarHelpPicture",
          "toolbarExitPicture", "toolbarSparePicture", "toolbarAddFolderPicture", "addPicture",
          "removePicture", "startPicture", "browsePicture", "convertPicture", "actionChannel", "barPicture"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestMainWindow::offWindowControls()
{
    QFETCH(QString, name);
    LoadedWindow w;
    auto *control = w.control<QWidget>(name);
    QVERIFY(control);
    QVERIFY(!control->geometry().intersects(clientRect()));
}

void TestMainWindow::settingsSlivers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("visibleWidth");
    QTest::newRow("format") << u"formatCombo"_s << 12;
    QTest::newRow("size") << u"sizeCombo"_s << 8;
    QTest::newRow("video bitrate") << u"videoBitrateCombo"_s << 8;
    QTest::newRow("size caption") << u"sizeLabel"_s << 8;
    QTest::newRow("video bitrate caption") << u"videoBitrateLabel"_s << 8;
    QTest::newRow("frame rate") << u"frameRateCombo"_s << 0;
    QTest::newRow("frame rate caption") << u"frameRateLabel"_s << 0;
}

void TestMainWindow::settingsSlivers()
{
    QFETCH(QString, name);
    QFETCH(int, visibleWidth);
    LoadedWindow w;
    auto *control = w.control<QWidget>(name);
    QVERIFY(control);
    QCOMPARE(std::max(0, clientRect().intersected(control->geometry()).width()), visibleWidth);
}

void TestMainWindow::captions()
{
    LoadedWindow w;
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Tunoxa "));
    QCOMPARE(w.control<QLabel>(QStringLiteral("productLink"))->text(), QStringLiteral("Tunoxa "));
    QCOMPARE(w.control<QLabel>(QStringLiteral("feedbackLink"))->text(), QStringLiteral("意见反馈"));
    QCOMPARE(w.control<QLabel>(QStringLiteral("progressCaption"))->text(), QStringLiteral("0%"));
    QCOMPARE(w.control<QPushButton>(QStringLiteral("startButton"))->text(), QStringLiteral("立刻开始转换！"));
    QVERIFY(w.control<QPushButton>(QStringLiteral("startButton"))->font().bold());
    QCOMPARE(w.control<QPushButton>(QStringLiteral("browseButton"))->text(), QStringLiteral("浏览"));
    QVERIFY(w.control<QLabel>(QStringLiteral("cornerPicture"))->isVisibleTo(w.window.get()));

    const QStringList toolbar = {u"addFileButton=添加文件"_s, u"addFolderButton=添加文件夹"_s,
                                 u"removeButton=移除文件"_s, u"optionsButton=提示设置"_s,
                                 u"exitButton=退出程序"_s};
    for (const QString &row : toolbar) {
        auto *button = w.control<QToolButton>(row.section(u'=', 0, 0));
        QVERIFY(button);
        QCOMPARE(button->text(), row.section(u'=', 1));
        QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    }

    QStringList menus;
    for (QAction *menu : w.window->menuBar()->actions()) {
        QStringList items;
        for (QAction *item : menu->menu()->actions())
            items.append(item->isSeparator() ? QStringLiteral("-") : item->text());
        menus.append(menu->text() + QLatin1Char(':') + items.join(QLatin1Char('|')));
    }
    QCOMPARE(menus, QStringList({QStringLiteral("文件:添加文件|添加文件夹|-|退出程序"),
                                 QStringLiteral("文件操作:移除选中文件|移除全部"),
                                 QStringLiteral("提示设置:提示设置"), QStringLiteral("关于:关于")}));

    QCOMPARE(w.control<QLabel>(QStringLiteral("helpZone"))->toolTip(), QStringLiteral("Help & Tutorial"));
    QCOMPARE(w.control<QLabel>(QStringLiteral("minimizeZone"))->toolTip(), QStringLiteral("Minimize Window"));
    QCOMPARE(w.control<QLabel>(QStringLiteral("closeZone"))->toolTip(), QStringLiteral("Exit"));
    for (const char *name : {"helpZone", "minimizeZone", "closeZone", "productLink", "feedbackLink"})
        QCOMPARE(w.control<QWidget>(QString::fromLatin1(name))->cursor().shape(), Qt::PointingHandCursor);
}

void TestMainWindow::captionsFitTheirLabels()
{
    LoadedWindow w;
    auto *feed = w.control<HotLabel>(QStringLiteral("feedbackLink"));
    feed->setLit(true);
    for (QLabel *label :
         w.window->clientArea()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (label->text().isEmpty() || !label->geometry().intersects(clientRect()) ||
            label->geometry().right() >= MainWindow::ClientWidth)
            continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        QVERIFY2(needed <= label->width(),
                 qPrintable(label->objectName() + QLatin1Char(' ') + label->text()));
    }
    QVERIFY(feed->font().bold());
}

void TestMainWindow::screenReaderNamesEveryControl()
{
    LoadedWindow w;
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QCOMPARE(unnamedControls(w.window->clientArea()), QStringList());
    // The corner picture only decorates.
    QCOMPARE(accessibleName(w.control<QWidget>(QStringLiteral("cornerPicture"))), QString());
    QCOMPARE(accessibleName(w.control<QWidget>(QStringLiteral("helpZone"))), QStringLiteral("帮助"));
    // A settings box says its choice, and its caption through the "labelled by" relation.
    auto *bitrate = w.control<QComboBox>(QStringLiteral("audioBitrateCombo"));
    QCOMPARE(accessibleName(bitrate), QStringLiteral("320"));
    const auto labels = QAccessible::queryAccessibleInterface(bitrate)->relations(QAccessible::Label);
    QCOMPARE(labels.size(), 1);
    QCOMPARE(labels.first().first->text(QAccessible::Name), QStringLiteral("声音比特率："));

    ProgramSettings settings;
    OptionsDialog options(settings, w.folder.path(), w.ownServices, w.window.get());
    options.show();
    QVERIFY(QTest::qWaitForWindowExposed(&options));
    QCOMPARE(unnamedControls(&options), QStringList());
    QCOMPARE(accessibleName(options.findChild<QWidget *>(QStringLiteral("startMinutesEdit"))),
             QStringLiteral("开始 分"));
}

void TestMainWindow::startupValues()
{
    LoadedWindow w;
    auto *format = w.control<QComboBox>(QStringLiteral("formatCombo"));
    QVERIFY(!format->isEditable());
    QCOMPARE(format->count(), 9);
    QCOMPARE(format->currentIndex(), 0);
    QCOMPARE(format->currentText(), QStringLiteral("RMVB(RealPlayerRMVB)"));
    QVERIFY(!w.control<QComboBox>(QStringLiteral("channelCombo"))->isEditable());
    for (const char *name :
         {"videoBitrateCombo", "frameRateCombo", "sizeCombo", "sampleRateCombo", "audioBitrateCombo"})
        QVERIFY(w.control<QComboBox>(QString::fromLatin1(name))->isEditable());
    // Start-up sets "96" and "44100", then the first format's defaults replace them.
    QCOMPARE(w.control<QComboBox>(QStringLiteral("videoBitrateCombo"))->currentText(),
             QStringLiteral("1200"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("frameRateCombo"))->currentText(), QStringLiteral("29"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("sizeCombo"))->currentText(), QStringLiteral("原始大小"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("sampleRateCombo"))->currentText(), QStringLiteral("44100"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("audioBitrateCombo"))->currentText(), QStringLiteral("320"));
    QCOMPARE(w.control<QComboBox>(QStringLiteral("channelCombo"))->currentText(), QStringLiteral("双声道"));
    QCOMPARE(w.control<QLineEdit>(QStringLiteral("outputFolderEdit"))->text(),
             w.folder.path() + QStringLiteral("/output"));
}

void TestMainWindow::formatDefaults_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<QStringList>("texts"); // m_videoBitrateCombo, m_frameRateCombo, m_sizeCombo,
                                            // m_sampleRateCombo, m_audioBitrateCombo, m_channelCombo

    QTest::newRow("MPG after RMVB") << 0 << 2 << QStringList{u"600"_s,   u"24"_s, u"原始大小"_s,
                                                             u"28000"_s, u"64"_s, u"双声道"_s};
    QTest::newRow("MP3 after 3GP") << 7 << 8 << QStringList{u"128"_s,   u"29"_s,  u"320x240"_s,
                                                            u"48000"_s, u"320"_s, u"双声道"_s};
    QTest::newRow("3GP after MP3") << 8 << 7 << QStringList{u"128"_s,  u"29"_s,   u"320x240"_s,
                                                            u"8000"_s, u"12.2"_s, u"单声道"_s};
    QTest::newRow("MOV after mobile MP4")
        << 6 << 5 << QStringList{u"256"_s, u"29"_s, u"原始大小"_s, u"48000"_s, u"64"_s, u"双声道"_s};
    QTest::newRow("RMVB again after MPG")
        << 2 << 0 << QStringList{u"1200"_s, u"29"_s, u"原始大小"_s, u"44100"_s, u"320"_s, u"双声道"_s};
}

void TestMainWindow::formatDefaults()
{
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(QStringList, texts);
    LoadedWindow w;
    auto *format = w.control<QComboBox>(QStringLiteral("formatCombo"));
    format->setCurrentIndex(first);
    // Whatever was typed in between, choosing a format loads its own values.
    for (const char *name : {"sampleRateCombo", "audioBitrateCombo"})
        w.control<QComboBox>(QString::fromLatin1(name))->setEditText(QStringLiteral("typed"));
    format->setCurrentIndex(second);
    QStringList shown;
    for (const char *name : {"videoBitrateCombo", "frameRateCombo", "sizeCombo", "sampleRateCombo",
                             "audioBitrateCombo", "channelCombo"})
        shown.append(w.control<QComboBox>(QString::fromLatin1(name))->currentText());
    QCOMPARE(shown, texts);
}

void TestMainWindow::typedValueSurvivesUntilFormatChange()
{
    LoadedWindow w;
    auto *format = w.control<QComboBox>(QStringLiteral("formatCombo"));
    auto *rate = w.control<QComboBox>(QStringLiteral("sampleRateCombo"));
    format->setCurrentIndex(8);
    rate->lineEdit()->selectAll();
    QTest::keyClicks(rate->lineEdit(), QStringLiteral("22222"));
    w.control<QComboBox>(QStringLiteral("channelCombo"))->setCurrentIndex(0);
    QCOMPARE(rate->currentText(), QStringLiteral("22222"));
    QCOMPARE(rate->count(), 8);
    format->setCurrentIndex(2);
    QCOMPARE(rate->currentText(), QStringLiteral("28000"));
    format->setCurrentIndex(8);
    QCOMPARE(rate->currentText(), QStringLiteral("48000"));
}

void TestMainWindow::restoredFormat_data()
{
    QTest::addColumn<QByteArray>("setupIni");
    QTest::addColumn<QStringList>(
        "texts"); // m_formatCombo, m_sampleRateCombo, m_audioBitrateCombo, m_channelCombo, m_outputFolderEdit

    // The format is chosen first; the saved audio values go over its defaults.
    QTest::newRow("MP3 keeps restored audio")
        << QByteArray("\"2\"\r\n\"3\"\r\n\"0\"\r\n\"/music/out\"\r\n\"8\"\r\n")
        << QStringList{u"MP3(纯音频格式)"_s, u"24000"_s, u"32"_s, u"单声道"_s, u"/music/out"_s};
    // The first start of a new program folder shows MP3 at 320 kbit/s, 48000 Hz, two channels.
    QFile shipped(TestMedia::programFolder() + QStringLiteral("/setup.ini"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    QTest::newRow("as shipped") << shipped.readAll()
                                << QStringList{u"MP3(纯音频格式)"_s, u"48000"_s, u"320"_s, u"双声道"_s,
                                               u"<default>"_s};
    QTest::newRow("MP3 with 128 kbit/s, 44100 Hz, mono")
        << QByteArray("\"9\"\r\n\"1\"\r\n\"0\"\r\n\"/music/out\"\r\n\"8\"\r\n")
        << QStringList{u"MP3(纯音频格式)"_s, u"44100"_s, u"128"_s, u"单声道"_s, u"/music/out"_s};
    QTest::newRow("RMVB keeps restored audio")
        << QByteArray("\"2\"\r\n\"3\"\r\n\"0\"\r\n\"/music/out\"\r\n\"0\"\r\n")
        << QStringList{u"RMVB(RealPlayerRMVB)"_s, u"24000"_s, u"32"_s, u"单声道"_s, u"/music/out"_s};
    QTest::newRow("bitrate outside the list")
        << QByteArray("\"99\"\r\n\"3\"\r\n\"0\"\r\n\"/a, b\"\r\n\"0\"\r\n")
        << QStringList{u"RMVB(RealPlayerRMVB)"_s, u"24000"_s, u"320"_s, u"单声道"_s, u"/a, b"_s};
    // A box with no entry saved keeps its start-up value instead of turning empty.
    QTest::newRow("no entries saved")
        << QByteArray("\"-1\"\r\n\"-1\"\r\n\"-1\"\r\n\"/out\"\r\n\"-1\"\r\n")
        << QStringList{u"RMVB(RealPlayerRMVB)"_s, u"44100"_s, u"320"_s, u"双声道"_s, u"/out"_s};
    QTest::newRow("three lines") << QByteArray("\"2\"\r\n\"3\"\r\n\"0\"\r\n")
                                 << QStringList{u"RMVB(RealPlayerRMVB)"_s, u"24000"_s, u"32"_s, u"单声道"_s,
                                                u"<default>"_s};
    QTest::newRow("empty folder") << QByteArray("\"2\"\r\n\"3\"\r\n\"0\"\r\n\"\"\r\n\"8\"\r\n")
                                  << QStringList{u"MP3(纯音频格式)"_s, u"24000"_s, u"32"_s, u"单声道"_s,
                                                 u"<default>"_s};
}

void TestMainWindow::restoredFormat()
{
    QFETCH(QByteArray, setupIni);
    QFETCH(QStringList, texts);
    LoadedWindow w(setupIni);
    const QString folder = w.control<QLineEdit>(QStringLiteral("outputFolderEdit"))->text();
    QStringList shown;
    for (const char *name : {"formatCombo", "sampleRateCombo", "audioBitrateCombo", "channelCombo"})
        shown.append(w.control<QComboBox>(QString::fromLatin1(name))->currentText());
    shown.append(folder == w.folder.path() + QStringLiteral("/output") ? QStringLiteral("<default>")
                                                                       : folder);
    QCOMPARE(shown, texts);
}

void TestMainWindow::menuItems_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("添加文件") << u"addFileAction"_s << QStringList{openFiles};
    QTest::newRow("添加文件夹") << u"addFolderAction"_s << QStringList{openFolder};
    QTest::newRow("退出程序") << u"exitAction"_s << QStringList{ended};
    QTest::newRow("提示设置") << u"optionsAction"_s << QStringList{options};
    QTest::newRow("关于") << u"aboutAction"_s << QStringList{about};
}

void TestMainWindow::menuItems()
{
    QFETCH(QString, item);
    QFETCH(QStringList, expected);
    RecordingServices services;
    LoadedWindow w(QByteArray(), &services);
    ModalWatcher watcher;
    QAction *action = w.menuItem(item);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(observed(watcher, services, w), expected);
}

void TestMainWindow::toolbarButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("添加文件") << u"addFileButton"_s << QStringList{openFiles};
    QTest::newRow("添加文件夹") << u"addFolderButton"_s << QStringList{openFolder};
    QTest::newRow("移除文件") << u"removeButton"_s << QStringList{removePopup};
    QTest::newRow("提示设置") << u"optionsButton"_s << QStringList{options};
    QTest::newRow("退出程序") << u"exitButton"_s << QStringList{ended};
}

void TestMainWindow::toolbarButtons()
{
    QFETCH(QString, button);
    QFETCH(QStringList, expected);
    RecordingServices services;
    LoadedWindow w(QByteArray(), &services);
    ModalWatcher watcher;
    w.control<QToolButton>(button)->click();
    QCOMPARE(observed(watcher, services, w), expected);
}

void TestMainWindow::pictureButtons_data()
{
    QTest::addColumn<QString>("picture");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("toolbar add file") << u"toolbarAddFilePicture"_s << QStringList{openFiles};
    QTest::newRow("toolbar remove") << u"toolbarRemovePicture"_s << QStringList{removePopup};
    QTest::newRow("toolbar options") << u"toolbarOptionsPicture"_s << QStringList{options};
    QTest::newRow("toolbar help") << u"toolbarHelpPicture"_s << QStringList{help};
    QTest::newRow("toolbar exit") << u"toolbarExitPicture"_s << QStringList{ended};
    QTest::newRow("toolbar spare") << u"toolbarSparePicture"_s << QStringList{};
    QTest::newRow("toolbar add folder") << u"toolbarAddFolderPicture"_s << QStringList{openFolder};
    QTest::newRow("add") << u"addPicture"_s << QStringList{openFiles};
    QTest::newRow("remove, nothing selected") << u"removePicture"_s << QStringList{};
    QTest::newRow("start, empty list") << u"startPicture"_s << QStringList{u"message:添加"_s};
    QTest::newRow("browse") << u"browsePicture"_s << QStringList{u"modal:请选择一个文件夹:"_s};
    QTest::newRow("convert, empty list") << u"convertPicture"_s << QStringList{u"message:添加"_s};
}

void TestMainWindow::pictureButtons()
{
    QFETCH(QString, picture);
    QFETCH(QStringList, expected);
    RecordingServices services;
    LoadedWindow w(QByteArray(), &services);
    ModalWatcher watcher;
    QTest::mouseClick(w.control<HotLabel>(picture), Qt::LeftButton);
    QCOMPARE(observed(watcher, services, w), expected);
}

void TestMainWindow::enabledControls_data()
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

void TestMainWindow::enabledControls()
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

void TestMainWindow::helpOpensTheGuideAndUnlights()
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

void TestMainWindow::minimiseUnlights()
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

void TestMainWindow::aboutBox()
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

void TestMainWindow::exitWritesSetupIni_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("rateText");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("closeBox"); // closed by the window's close box instead of Exit

    QTest::newRow("MP3, mono, path with comma")
        << 8 << 0 << QString() << QStringLiteral("/home/u/音乐, 输出")
        << QByteArray("\"13\"\r\n\"0\"\r\n\"0\"\r\n\"/home/u/\xe9\x9f\xb3\xe4\xb9\x90, "
                      "\xe8\xbe\x93\xe5\x87\xba\"\r\n\"8\"\r\n")
        << false;
    QTest::newRow("second channel entry")
        << 0 << 1 << QString() << QStringLiteral("/out")
        << QByteArray("\"13\"\r\n\"1\"\r\n\"1\"\r\n\"/out\"\r\n\"0\"\r\n") << false;
    QTest::newRow("typed rate is no entry")
        << 8 << 1 << QStringLiteral("28000") << QStringLiteral("/out")
        << QByteArray("\"13\"\r\n\"-1\"\r\n\"1\"\r\n\"/out\"\r\n\"8\"\r\n") << false;
    QTest::newRow("no format selected")
        << -1 << 1 << QString() << QStringLiteral("/out")
        << QByteArray("\"13\"\r\n\"1\"\r\n\"1\"\r\n\"/out\"\r\n\"-1\"\r\n") << false;
    QTest::newRow("close box") << 8 << 0 << QString() << QStringLiteral("/out")
                               << QByteArray("\"13\"\r\n\"0\"\r\n\"0\"\r\n\"/out\"\r\n\"8\"\r\n") << true;
}

void TestMainWindow::exitWritesSetupIni()
{
    QFETCH(int, format);
    QFETCH(int, channel);
    QFETCH(QString, rateText);
    QFETCH(QString, folder);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, closeBox);
    RecordingServices services;
    LoadedWindow w(QByteArray(), &services);
    w.control<QComboBox>(QStringLiteral("formatCombo"))->setCurrentIndex(format);
    w.control<QComboBox>(QStringLiteral("channelCombo"))->setCurrentIndex(channel);
    if (!rateText.isEmpty())
        w.control<QComboBox>(QStringLiteral("sampleRateCombo"))->setEditText(rateText);
    w.control<QLineEdit>(QStringLiteral("outputFolderEdit"))->setText(folder);

    if (closeBox) {
        w.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        w.window->close();
    } else {
        w.window->commands()->actions().exit->trigger();
    }
    QFile file(w.folder.filePath(QStringLiteral("setup.ini")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), bytes);
    QCOMPARE(w.ends, 1);
    QVERIFY(services.messages.isEmpty());
}

void TestMainWindow::exitWithUnwritableSetupIniStillEnds_data()
{
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("read-only file") << false;
    QTest::newRow("a folder in its place") << true;
}

void TestMainWindow::exitWithUnwritableSetupIniStillEnds()
{
    QFETCH(bool, asFolder);
    RecordingServices services;
    const QByteArray saved("\"7\"\r\n\"1\"\r\n\"1\"\r\n\"/kept\"\r\n\"0\"\r\n");
    LoadedWindow w(asFolder ? QByteArray() : saved, &services);
    const QString path = w.folder.filePath(QStringLiteral("setup.ini"));
    if (asFolder)
        QVERIFY(QDir().mkdir(path));
    else
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    w.control<QComboBox>(QStringLiteral("formatCombo"))->setCurrentIndex(8);

    w.window->commands()->actions().exit->trigger();
    QCOMPARE(w.ends, 1);
    QVERIFY(services.messages.isEmpty());
    if (asFolder) {
        QVERIFY(QFileInfo(path).isDir());
    } else if (geteuid() != 0) {
        // The superuser writes through any permission; everyone else must find the file intact.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), saved);
    }
}

void TestMainWindow::cancelledBrowseKeepsTheFolder()
{
    LoadedWindow w;
    ModalWatcher watcher;
    auto *folder = w.control<QLineEdit>(QStringLiteral("outputFolderEdit"));
    folder->setText(QStringLiteral("/home/u/chosen"));
    w.control<QPushButton>(QStringLiteral("browseButton"))->click();
    QCOMPARE(watcher.seen, QStringList{QStringLiteral("modal:请选择一个文件夹:")});
    QCOMPARE(folder->text(), QStringLiteral("/home/u/chosen"));
}

void TestMainWindow::progressBinding()
{
    LoadedWindow w;
    ProgressState *progress = w.window->progress();
    progress->setBar(2707.5, 50);
    progress->setCaption(QStringLiteral("转换中- 50%"));
    QCOMPARE(w.control<QWidget>(QStringLiteral("barPicture"))->width(), 181);
    QCOMPARE(w.control<QProgressBar>(QStringLiteral("progressBar"))->value(), 50);
    QCOMPARE(w.control<QLabel>(QStringLiteral("progressCaption"))->text(), QStringLiteral("转换中- 50%"));
    progress->setBar(ProgressState::FullWidth, 100);
    QCOMPARE(w.control<QWidget>(QStringLiteral("barPicture"))->width(), 361);
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
                    connect(window->conversionRun(), &ConversionRun::runEnded, &dialog, [&] {
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
