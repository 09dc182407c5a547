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
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace Seen;

namespace {

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

// The main window's controls: where they lie, what they say, what assistive technology reads, how the
// progress shows.
class TestMainWindowLayout : public QObject
{
    Q_OBJECT

private slots:
    void clientAreaBelowMenuBar();
    void controlRectangles_data();
    void controlRectangles();
    void controlsInsideAndApart();
    void offWindowControls_data();
    void offWindowControls();
    void settingsSlivers_data();
    void settingsSlivers();
    void captions();
    void captionsFitTheirLabels();
    void artworkShowsAtItsSize();
    void screenReaderNamesEveryControl();
    void progressBinding();
};

void TestMainWindowLayout::clientAreaBelowMenuBar()
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

void TestMainWindowLayout::controlRectangles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("toolbar 0") << u"addFileButton"_s << QRect(0, 0, 95, 66);
    QTest::newRow("corner") << u"cornerPicture"_s << QRect(574, 0, 109, 111);
    QTest::newRow("progress bar") << u"progressBar"_s << QRect(4, 398, 457, 21);
    QTest::newRow("sample rate") << u"sampleRateCombo"_s << QRect(486, 161, 189, 22);
    QTest::newRow("start") << u"startButton"_s << QRect(488, 364, 189, 59);
}

void TestMainWindowLayout::controlRectangles()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    LoadedWindow w;
    auto *control = w.control<QWidget>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), w.window->clientArea());
    QCOMPARE(control->geometry(), rect);
}

// Every control shown within the window lies wholly inside it, and no two of them overlap, except a
// control laid on another (the corner's hot zones, on and beside its picture) and neighbours sharing
// an edge.
void TestMainWindowLayout::controlsInsideAndApart()
{
    LoadedWindow w;
    QList<QWidget *> shown;
    for (QWidget *control : w.window->clientArea()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!control->isHidden() && clientRect().intersects(control->geometry()) &&
            !control->objectName().isEmpty())
            shown.append(control);
    }
    QVERIFY(shown.size() > 20);
    for (QWidget *control : std::as_const(shown)) {
        // The format box and the video boxes show a sliver at the window's edge, on purpose.
        if (!clientRect().contains(control->geometry()))
            continue;
        for (QWidget *other : std::as_const(shown)) {
            const QRect both = control->geometry() & other->geometry();
            const bool hotZone =
                control->objectName().endsWith(u"Zone"_s) || other->objectName().endsWith(u"Zone"_s);
            if (control == other || both.isEmpty() || both == control->geometry() ||
                both == other->geometry() || hotZone)
                continue;
            QVERIFY2(both.width() <= 1 || both.height() <= 1,
                     qPrintable(control->objectName() + u" overlaps "_s + other->objectName()));
        }
    }
}

void TestMainWindowLayout::offWindowControls_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name :
         {"toolbarAddFilePicture", "toolbarRemovePicture", "toolbarOptionsPicture", "toolbarHelpPicture",
          "toolbarExitPicture", "toolbarSparePicture", "toolbarAddFolderPicture", "addPicture",
          "removePicture", "startPicture", "browsePicture", "convertPicture", "actionChannel", "barPicture"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestMainWindowLayout::offWindowControls()
{
    QFETCH(QString, name);
    LoadedWindow w;
    auto *control = w.control<QWidget>(name);
    QVERIFY(control);
    QVERIFY(!control->geometry().intersects(clientRect()));
}

// Every picture the window paints exists at the size it is painted at, also for dense screens, so
// none is scaled and blurred, and the window has an icon for the desktop.
void TestMainWindowLayout::artworkShowsAtItsSize()
{
    LoadedWindow w;
    QList<QAbstractButton *> buttons = {w.control<QPushButton>(u"startButton"_s)};
    for (QToolButton *button :
         w.window->clientArea()->findChildren<QToolButton *>(Qt::FindDirectChildrenOnly))
        buttons.append(button);
    for (QAbstractButton *button : buttons) {
        QVERIFY2(!button->icon().isNull(), qPrintable(button->objectName()));
        QVERIFY2(button->icon().availableSizes().contains(button->iconSize()),
                 qPrintable(button->objectName()));
        QCOMPARE(button->icon().pixmap(button->iconSize(), QIcon::Disabled).size(), button->iconSize());
        // Drawn, not enlarged, for a screen of twice the density.
        QCOMPARE(button->icon().pixmap(button->iconSize(), 2.0).size(), button->iconSize() * 2);
    }
    auto *corner = w.control<QLabel>(u"cornerPicture"_s);
    QCOMPARE(corner->pixmap().size(), corner->size());
    for (const char *zone : {"helpZone", "minimizeZone", "closeZone"}) {
        auto *hot = w.control<HotLabel>(QString::fromLatin1(zone));
        hot->setLit(true);
        QCOMPARE(hot->pixmap().size(), hot->size());
    }
    QVERIFY(w.window->windowIcon().availableSizes().contains(QSize(48, 48)));
    QCOMPARE(w.window->windowIcon().pixmap(QSize(128, 128), 2.0).size(), QSize(256, 256));
}

void TestMainWindowLayout::settingsSlivers_data()
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

void TestMainWindowLayout::settingsSlivers()
{
    QFETCH(QString, name);
    QFETCH(int, visibleWidth);
    LoadedWindow w;
    auto *control = w.control<QWidget>(name);
    QVERIFY(control);
    QCOMPARE(std::max(0, clientRect().intersected(control->geometry()).width()), visibleWidth);
}

void TestMainWindowLayout::captions()
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

void TestMainWindowLayout::captionsFitTheirLabels()
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

void TestMainWindowLayout::screenReaderNamesEveryControl()
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

void TestMainWindowLayout::progressBinding()
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

QTEST_MAIN(TestMainWindowLayout)
#include "tst_mainwindowlayout.moc"
