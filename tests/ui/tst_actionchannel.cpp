#include "common/listrows.h"
#include "uitest.h"

#include "filelist/filelist.h"
#include "platform/userservices.h"
#include "ui/popupmenus.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QToolButton>

#include <functional>

using namespace Qt::StringLiterals;

using namespace Seen;

namespace {

// Records what the program asks of the desktop; a message box can run a step while it is up,
// as a user acting on the window meanwhile would.
class ScriptedServices final : public UserServices
{
public:
    void showMessage(Icon, const QString &title, const QString &) override
    {
        seen.append(QStringLiteral("message:") + title);
        if (whileMessageShows)
            whileMessageShows();
    }
    void askYesNo(const QString &, const QString &, QObject *, std::function<void(bool)>) override {}
    void openPath(const QString &path) override
    {
        seen.append(QStringLiteral("open:") + QFileInfo(path).fileName());
    }
    void playSound(const QString &, QObject *context, std::function<void()> finished) override
    {
        QTimer::singleShot(0, context, std::move(finished));
    }

    QStringList seen;
    std::function<void()> whileMessageShows;
};

void addRows(LoadedWindow &w, int count)
{
    for (int i = 0; i < count; ++i)
        w.window->fileList()->addFile(QStringLiteral("/music/%1.flac").arg(i + 1));
}

void selectRow(LoadedWindow &w, int row)
{
    auto *view = w.control<QAbstractItemView>(QStringLiteral("fileListView"));
    QVERIFY(view);
    view->setCurrentIndex(view->model()->index(row, 0));
}

QStringList paths(const LoadedWindow &w)
{
    QStringList result;
    for (FileList::Id id : rowIds(*w.window->fileList()))
        result.append(QFileInfo(w.window->fileList()->path(id)).completeBaseName());
    return result;
}

// The words written into the channel, in the order they were written (the clearing left out).
class WordLog : public QObject
{
public:
    explicit WordLog(QLineEdit *channel)
        : QObject(channel)
    {
        connect(channel, &QLineEdit::textChanged, this, [this](const QString &text) {
            if (!text.isEmpty())
                words.append(text);
        });
    }
    QStringList words;
};

QAction *holderItem(PopupMenus *holder, const QString &name)
{
    for (QMenu *menu :
         {holder->filePopup(), holder->optionsPopup(), holder->aboutPopup(), holder->removePopup()}) {
        if (auto *item = menu->findChild<QAction *>(name))
            return item;
    }
    return nullptr;
}

QStringList observed(const ModalWatcher &watcher, const ScriptedServices &services, const LoadedWindow &w)
{
    QStringList seen = watcher.seen + services.seen;
    for (int i = 0; i < w.ends; ++i)
        seen.append(ended);
    return seen;
}

} // namespace

class TestActionChannel : public QObject
{
    Q_OBJECT

private slots:
    void holderMenus();
    void wordsRunTheirCommands_data();
    void wordsRunTheirCommands();
    void otherTextsRunNothing_data();
    void otherTextsRunNothing();
    void sameWordTwiceRunsTwice();
    void removeAll_data();
    void removeAll();
    void popupItemRemovesSelected();
    void dismissedPopupChangesNothing();
    void commandWritingDuringDispatch_data();
    void commandWritingDuringDispatch();
    void mainMenuRemovesTheSelectedRow();
};

void TestActionChannel::holderMenus()
{
    LoadedWindow w;
    PopupMenus *holder = w.window->commands()->popupMenus();
    QCOMPARE(w.window->commands()->popupMenus(), holder);
    QStringList menus;
    for (QMenu *menu :
         {holder->filePopup(), holder->optionsPopup(), holder->aboutPopup(), holder->removePopup()}) {
        QStringList items;
        for (QAction *item : menu->actions())
            items.append(item->isSeparator() ? QStringLiteral("-")
                                             : item->objectName() + QLatin1Char('=') + item->text());
        menus.append(menu->objectName() + QLatin1Char(' ') + menu->title() + QLatin1Char(':') +
                     items.join(QLatin1Char('|')));
    }
    QCOMPARE(
        menus,
        QStringList(
            {QStringLiteral("filePopup File:addFileItem=添加文件(&A)|addFolderItem=添加目录(&F)|-|"
                            "exitItem=退出(&E)"),
             QStringLiteral("optionsPopup Options:optionsItem=设置(&O)"),
             QStringLiteral("aboutPopup About:helpItem=帮助(&H)|aboutItem=关于(&A)"),
             QStringLiteral("removePopup Remove:removeSelectedItem=移除选择项|removeAllItem=移除全部")}));
    for (QMenu *menu :
         {holder->filePopup(), holder->optionsPopup(), holder->aboutPopup(), holder->removePopup()})
        QVERIFY(!menu->isVisible());
}

void TestActionChannel::wordsRunTheirCommands_data()
{
    QTest::addColumn<QString>("item"); // the holder's menu item that writes the word
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("rowsLeft");
    QTest::newRow("RemoveSelected") << u"removeSelectedItem"_s << u"RemoveSelected"_s << QStringList{} << 2;
    QTest::newRow("A") << u"aboutItem"_s << u"A"_s << QStringList{about} << 3;
    QTest::newRow("AddaFile") << u"addFileItem"_s << u"AddaFile"_s << QStringList{openFiles} << 3;
    QTest::newRow("menuAddaFolder") << u"addFolderItem"_s << u"menuAddaFolder"_s << QStringList{openFolder}
                                    << 3;
    QTest::newRow("menuExit") << u"exitItem"_s << u"menuExit"_s << QStringList{ended} << 3;
    QTest::newRow("menuHelp") << u"helpItem"_s << u"menuHelp"_s << QStringList{help} << 3;
    QTest::newRow("menuOption") << u"optionsItem"_s << u"menuOption"_s << QStringList{options} << 3;
}

void TestActionChannel::wordsRunTheirCommands()
{
    QFETCH(QString, item);
    QFETCH(QString, word);
    QFETCH(QStringList, expected);
    QFETCH(int, rowsLeft);
    ScriptedServices services;
    LoadedWindow w(QByteArray(), &services);
    addRows(w, 3);
    selectRow(w, 1);
    auto *channel = w.control<QLineEdit>(QStringLiteral("actionChannel"));
    const auto *log = new WordLog(channel);
    ModalWatcher watcher;

    QAction *action = holderItem(w.window->commands()->popupMenus(), item);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(log->words, QStringList{word});
    QCOMPARE(observed(watcher, services, w), expected);
    QCOMPARE(w.window->fileList()->count(), rowsLeft);
    QCOMPARE(channel->text(), QString());
}

void TestActionChannel::otherTextsRunNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("lower case") << u"removeselected"_s;
    QTest::newRow("leading blank") << u" RemoveSelected"_s;
    QTest::newRow("trailing blank") << u"RemoveSelected "_s;
    QTest::newRow("lower a") << u"a"_s;
    QTest::newRow("upper exit") << u"MENUEXIT"_s;
    QTest::newRow("longer word") << u"RemoveSelectedA"_s;
    QTest::newRow("caption instead of word") << u"移除选择项"_s;
    QTest::newRow("unknown") << u"Help"_s;
}

void TestActionChannel::otherTextsRunNothing()
{
    QFETCH(QString, text);
    ScriptedServices services;
    LoadedWindow w(QByteArray(), &services);
    addRows(w, 3);
    selectRow(w, 0);
    ModalWatcher watcher;
    auto *channel = w.control<QLineEdit>(QStringLiteral("actionChannel"));
    channel->setText(text);
    QCOMPARE(observed(watcher, services, w), QStringList());
    QCOMPARE(w.window->fileList()->count(), 3);
    QCOMPARE(channel->text(), QString());
}

void TestActionChannel::sameWordTwiceRunsTwice()
{
    LoadedWindow w;
    addRows(w, 3);
    auto *channel = w.control<QLineEdit>(QStringLiteral("actionChannel"));
    selectRow(w, 0);
    channel->setText(QStringLiteral("RemoveSelected"));
    selectRow(w, 0);
    channel->setText(QStringLiteral("RemoveSelected"));
    QCOMPARE(paths(w), QStringList{QStringLiteral("3")});
}

void TestActionChannel::removeAll_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("fromMainMenu");
    QTest::newRow("empty list, popup") << 0 << false;
    QTest::newRow("three rows, popup") << 3 << false;
    QTest::newRow("empty list, main menu") << 0 << true;
    QTest::newRow("three rows, main menu") << 3 << true;
}

void TestActionChannel::removeAll()
{
    QFETCH(int, rows);
    QFETCH(bool, fromMainMenu);
    LoadedWindow w;
    addRows(w, rows);
    w.control<QWidget>(QStringLiteral("hintBox"))->setVisible(rows == 0);
    ModalWatcher watcher;
    watcher.popupChoice = QStringLiteral("removeAllItem");
    if (fromMainMenu)
        w.menuItem(QStringLiteral("removeAllAction"))->trigger();
    else
        w.control<QToolButton>(QStringLiteral("removeButton"))->click();
    QCOMPARE(watcher.seen, fromMainMenu ? QStringList() : QStringList{QStringLiteral("popup:removePopup")});
    QCOMPARE(w.window->fileList()->count(), 0);
    QVERIFY(!w.control<QWidget>(QStringLiteral("hintBox"))->isHidden());
    QCOMPARE(w.control<QLineEdit>(QStringLiteral("actionChannel"))->text(), QString());
}

void TestActionChannel::popupItemRemovesSelected()
{
    LoadedWindow w;
    addRows(w, 3);
    selectRow(w, 1);
    ModalWatcher watcher;
    watcher.popupChoice = QStringLiteral("removeSelectedItem");
    w.control<QToolButton>(QStringLiteral("removeButton"))->click();
    QCOMPARE(paths(w), QStringList({QStringLiteral("1"), QStringLiteral("3")}));
    QCOMPARE(w.control<QLineEdit>(QStringLiteral("actionChannel"))->text(), QString());
}

void TestActionChannel::dismissedPopupChangesNothing()
{
    ScriptedServices services;
    LoadedWindow w(QByteArray(), &services);
    addRows(w, 3);
    selectRow(w, 1);
    ModalWatcher watcher;
    w.control<QToolButton>(QStringLiteral("removeButton"))->click();
    QCOMPARE(observed(watcher, services, w), QStringList{QStringLiteral("popup:removePopup")});
    QCOMPARE(w.window->fileList()->count(), 3);
    QVERIFY(!w.window->commands()->popupMenus()->removePopup()->isVisible());
}

void TestActionChannel::commandWritingDuringDispatch_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("writtenMeanwhile");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("rowsLeft");
    // The nested dispatch runs the new word; the outer one then finds the field empty.
    QTest::newRow("help while the about box shows")
        << u"A"_s << u"menuHelp"_s << QStringList{about, help} << 3;
    QTest::newRow("an earlier word") << u"A"_s << u"RemoveSelected"_s << QStringList{about} << 2;
    // Writing the text the field already holds raises nothing.
    QTest::newRow("the same word") << u"A"_s << u"A"_s << QStringList{about} << 3;
}

void TestActionChannel::commandWritingDuringDispatch()
{
    QFETCH(QString, word);
    QFETCH(QString, writtenMeanwhile);
    QFETCH(QStringList, expected);
    QFETCH(int, rowsLeft);
    ScriptedServices services;
    LoadedWindow w(QByteArray(), &services);
    addRows(w, 3);
    selectRow(w, 0);
    auto *channel = w.control<QLineEdit>(QStringLiteral("actionChannel"));
    int writes = 0;
    services.whileMessageShows = [&] {
        if (writes++ == 0)
            channel->setText(writtenMeanwhile);
    };
    ModalWatcher watcher;
    channel->setText(word);
    QCOMPARE(observed(watcher, services, w), expected);
    QCOMPARE(w.window->fileList()->count(), rowsLeft);
    QCOMPARE(channel->text(), QString());
}

void TestActionChannel::mainMenuRemovesTheSelectedRow()
{
    LoadedWindow w;
    addRows(w, 3);
    selectRow(w, 2);
    auto *channel = w.control<QLineEdit>(QStringLiteral("actionChannel"));
    w.menuItem(QStringLiteral("removeSelectedAction"))->trigger();
    QCOMPARE(channel->text(), QString());
    QCOMPARE(paths(w), QStringList({QStringLiteral("1"), QStringLiteral("2")}));
}

QTEST_MAIN(TestActionChannel)
#include "tst_actionchannel.moc"
