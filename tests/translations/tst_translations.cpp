// The English interface: every text the program shows has its English, the windows show no Chinese
// under an English locale, and in both languages each caption fits its place in the fixed layouts.

#include "common/testmedia.h"
#include "conversion/recipes.h"
#include "platform/interfacelanguage.h"
#include "settings/programsettings.h"
#include "ui/feedbackdialog.h"
#include "ui/hotlabel.h"
#include "ui/optionsdialog.h"
#include "ui/uitest.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QToolButton>

using namespace Qt::StringLiterals;
using Language = InterfaceLanguage::Language;

namespace {

const QRegularExpression chinese(u"[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"_s);

// A window as the program shows it, with what it needs kept beside it.
struct Shown
{
    LoadedWindow main;
    ProgramSettings settings;
    std::unique_ptr<QWidget> window;
};

// "main window", "options dialog", "feedback window", "feedback window asking for a name".
void show(Shown &shown, const QString &which)
{
    if (which == u"main window") {
        shown.main.window->commands()->popupMenus();
        shown.main.window->show();
        return;
    }
    if (which == u"options dialog")
        shown.window =
            std::make_unique<OptionsDialog>(shown.settings, shown.main.folder.path(), shown.main.ownServices);
    else
        shown.window = std::make_unique<FeedbackDialog>();
    shown.window->show();
    if (which.endsWith(u"asking for a name"))
        shown.window->findChild<QPushButton *>(u"sendButton"_s)->click();
}

QWidget *windowOf(const Shown &shown)
{
    return shown.window ? shown.window.get() : shown.main.window.get();
}

// Every text a window shows or hands to assistive technology, each as "object: text".
QStringList textsOf(QWidget *window)
{
    QStringList texts;
    const auto note = [&texts](const QObject *owner, const QString &text) {
        if (!text.isEmpty())
            texts.append(owner->objectName() + u": "_s + text);
    };
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (const QWidget *w : widgets) {
        for (const QString &text : {w->windowTitle(), w->toolTip(), w->accessibleName(),
                                    w->accessibleDescription(), w->statusTip(), w->whatsThis()})
            note(w, text);
        if (auto *label = qobject_cast<const QLabel *>(w))
            note(w, label->text());
        if (auto *button = qobject_cast<const QAbstractButton *>(w))
            note(w, button->text());
        if (auto *edit = qobject_cast<const QLineEdit *>(w))
            note(w, edit->text() + edit->placeholderText());
        if (auto *combo = qobject_cast<const QComboBox *>(w)) {
            for (int k = 0; k < combo->count(); ++k)
                note(w, combo->itemText(k));
        }
        if (auto *menu = qobject_cast<const QMenu *>(w))
            note(w, menu->title());
        if (auto *view = qobject_cast<const QAbstractItemView *>(w); view && view->model()) {
            for (int k = 0; k < view->model()->columnCount(); ++k)
                note(w, view->model()->headerData(k, Qt::Horizontal).toString());
        }
        for (const QAction *action : w->actions()) {
            note(action, action->text());
            note(action, action->toolTip());
        }
    }
    return texts;
}

// Where a control draws its caption, in its parent's coordinates; empty for a control without one.
QRect captionRect(const QWidget *w)
{
    QFont font = w->font();
    QString text;
    int lead = 0;
    bool centred = true;
    if (auto *label = qobject_cast<const QLabel *>(w); label && !label->wordWrap()) {
        text = label->text();
        centred = label->alignment() & Qt::AlignHCenter;
        // A hot label's caption turns bold under the pointer.
        font.setBold(font.bold() || qobject_cast<const HotLabel *>(w));
    } else if (auto *check = qobject_cast<const QCheckBox *>(w)) {
        text = check->text();
        centred = false;
        lead = w->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
               w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w);
    } else if (auto *button = qobject_cast<const QPushButton *>(w)) {
        text = button->text();
        lead = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    } else if (auto *tool = qobject_cast<const QToolButton *>(w)) {
        text = tool->toolButtonStyle() == Qt::ToolButtonIconOnly ? QString() : tool->text();
    }
    if (text.isEmpty())
        return {};
    const int width = lead + QFontMetrics(font).horizontalAdvance(text);
    return {w->x() + (centred ? (w->width() - width) / 2 : 0), w->y(), width, w->height()};
}

// The captions inside `area` cut off by their own control's edge or running into another control,
// as "object: caption".
QStringList misplacedCaptions(QWidget *area)
{
    const QList<QWidget *> controls = area->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    QStringList misplaced;
    for (QWidget *control : controls) {
        const QRect caption = captionRect(control);
        if (caption.isEmpty() || !control->isVisibleTo(area) || !area->rect().contains(control->geometry()))
            continue;
        bool fits = caption.left() >= control->x() && caption.right() <= control->geometry().right();
        for (QWidget *other : controls) {
            auto *picture = qobject_cast<QLabel *>(other);
            if (other != control && other->isVisibleTo(area) && !(picture && picture->text().isEmpty()) &&
                other->geometry().intersects(caption))
                fits = false;
        }
        if (!fits)
            misplaced.append(control->objectName() + u": "_s + QString::number(caption.width()) +
                             u" px in "_s + QString::number(control->width()));
        misplaced += misplacedCaptions(control);
    }
    return misplaced;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void init() { InterfaceLanguage::install(Language::English, TestMedia::programFolder()); }
    void cleanupTestCase() { InterfaceLanguage::install(Language::Chinese, TestMedia::programFolder()); }

    // lupdate over the sources finds no text without its English, and none that left the program.
    void everyTextHasItsEnglish()
    {
        QTemporaryDir dir;
        const QString copy = dir.filePath(u"tunoxa_en.ts"_s);
        QVERIFY(QFile::copy(QStringLiteral(TUNOXA_SOURCE_DIR "/translations/tunoxa_en.ts"), copy));
        QProcess lupdate;
        lupdate.start(QStringLiteral(TUNOXA_LUPDATE),
                      {u"-silent"_s, u"-locations"_s, u"none"_s, QStringLiteral(TUNOXA_SOURCE_DIR "/src"),
                       u"-ts"_s, copy});
        QVERIFY(lupdate.waitForFinished(120000));
        QCOMPARE(lupdate.exitCode(), 0);
        QFile updated(copy);
        QVERIFY(updated.open(QIODevice::ReadOnly));
        const QString ts = QString::fromUtf8(updated.readAll());
        static const QRegularExpression untranslated(
            uR"ts(<source>([^<]*)</source>(?:\s*<\w*comment>[^<]*</\w*comment>)*\s*<translation type="(unfinished|vanished|obsolete)")ts"_s);
        QStringList lacking;
        for (auto it = untranslated.globalMatch(ts); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            lacking.append(match.captured(2) + u": "_s + match.captured(1));
        }
        QVERIFY2(lacking.isEmpty(), qPrintable(lacking.join(u'\n')));
    }

    void englishWindowsShowNoChinese_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *window :
             {"main window", "options dialog", "feedback window", "feedback window asking for a name"})
            QTest::newRow(window) << QString::fromLatin1(window);
    }
    void englishWindowsShowNoChinese()
    {
        QFETCH(QString, window);
        Shown shown;
        show(shown, window);
        const QStringList texts = textsOf(windowOf(shown));
        QVERIFY(texts.size() > 5);
        QVERIFY2(texts.filter(chinese).isEmpty(), qPrintable(texts.filter(chinese).join(u'\n')));
    }

    // The About box, the warning of a Start without files and the guide the help opens.
    void englishCommands()
    {
        LoadedWindow w;
        const CommandActions &actions = w.window->commands()->actions();
        for (QAction *action : {actions.about, actions.start, actions.help})
            action->trigger();
        QCOMPARE(w.ownServices.messages.size(), 2);
        QCOMPARE(w.ownServices.messages[0].title, u"Tunoxa Converter"_s);
        QVERIFY(w.ownServices.messages[0].text.startsWith(u"Tunoxa website"_s));
        QCOMPARE(w.ownServices.messages[1].title, u"Add"_s);
        QCOMPARE(w.ownServices.messages[1].text, u"Please add a file first."_s);
        QCOMPARE(w.ownServices.openedPaths, QStringList{w.folder.filePath(u"help_en.html"_s)});
    }

    // The size box shows the original size in English; the recipes keep the source's size for it as
    // for the Chinese word, which tunoxa-batch -s still takes.
    void originalSizeInEnglish()
    {
        QCOMPARE(FormatTable::sizeEntries().constFirst(), u"Original size"_s);
        QCOMPARE(FormatTable::defaultsFor(OutputFormat::Rmvb).size, u"Original size"_s);
        const auto recipe = [](const QString &size) {
            RecipeInput in;
            in.programFolder = u"/opt/tunoxa"_s;
            in.inputPath = u"/Videos/a.avi"_s;
            in.outputFolder = u"/Out/"_s;
            in.settings = FormatTable::defaultSettings(OutputFormat::Rmvb);
            in.settings.size = size;
            return Recipes::secondStage(OutputFormat::Rmvb, in).command;
        };
        QCOMPARE(recipe(u"Original size"_s), recipe(u"原始大小"_s));
        QVERIFY(recipe(u"Original size"_s) != recipe(u"320x240"_s));
    }

    void captionsFitTheirPlaces_data()
    {
        QTest::addColumn<Language>("language");
        QTest::addColumn<QString>("window");
        for (const char *window : {"main window", "options dialog", "feedback window asking for a name"}) {
            QTest::addRow("Chinese %s", window) << Language::Chinese << QString::fromLatin1(window);
            QTest::addRow("English %s", window) << Language::English << QString::fromLatin1(window);
        }
    }
    void captionsFitTheirPlaces()
    {
        QFETCH(Language, language);
        QFETCH(QString, window);
        InterfaceLanguage::install(language, TestMedia::programFolder());
        Shown shown;
        show(shown, window);
        QWidget *area = shown.window ? shown.window.get() : shown.main.window->clientArea();
        const QStringList misplaced = misplacedCaptions(area);
        QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced.join(u'\n')));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
