#include "common/testfiles.h"
#include "platform/appdirs.h"
#include "platform/filefiltertext.h"
#include "ui/desktopservices.h"
#include "ui/filechoosers.h"
#include "ui/standarddialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

using TestFiles::touch;

namespace {

// Runs `act` on the file dialog once it is the active modal window; the dialog under test runs
// its own event loop meanwhile.
void whenDialogOpens(const std::function<void(QFileDialog *)> &act)
{
    auto *poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
        // A check that failed inside act() returned early: close the dialog so the test goes on.
        if (dialog->isVisible())
            dialog->reject();
    });
    poll->start();
}

QString nameBoxText(QFileDialog *dialog)
{
    auto *box = dialog->findChild<QLineEdit *>(u"fileNameEdit"_qs);
    return box ? box->text() : QString();
}

// Types the path into the name box and confirms, as a user does.
void choose(QFileDialog *dialog, const QString &path)
{
    auto *box = dialog->findChild<QLineEdit *>(u"fileNameEdit"_qs);
    QVERIFY(box);
    box->setText(path);
    static_cast<QDialog *>(dialog)->accept();
}

// Names the dialog's file list shows as usable (listed and enabled) in its current folder.
QStringList listedFiles(QFileDialog *dialog)
{
    QStringList names;
    auto *view = dialog->findChild<QListView *>(u"listView"_qs);
    if (!view)
        return names;
    const QAbstractItemModel *model = view->model();
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < model->rowCount(root); ++row) {
        const QModelIndex index = model->index(row, 0, root);
        if (model->flags(index) & Qt::ItemIsEnabled)
            names.append(index.data().toString());
    }
    names.sort();
    return names;
}

} // namespace

class TestCommonDialogs : public QObject
{
    Q_OBJECT

    QWidget m_owner;
    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        m_owner.resize(200, 100);
        m_owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_owner));
    }

    // The filter text and the Qt filters made of it.
    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("filters");
        QTest::newRow("two pairs") << u"A|*.a|B|*.b"_qs << QStringList{u"A (*.[aA])"_qs, u"B (*.[bB])"_qs};
        QTest::newRow("add-file filter")
            << u"FLAC声音文件(*.FLAC, *.flac)|*.flac|所有格式文件(*.*)|*.*"_qs
            << QStringList{u"FLAC声音文件(*.FLAC, *.flac) (*.[fF][lL][aA][cC])"_qs,
                           u"所有格式文件(*.*) (*)"_qs};
        QTest::newRow("several patterns")
            << u"Audio|*.mp3;*.wav"_qs << QStringList{u"Audio (*.[mM][pP]3 *.[wW][aA][vV])"_qs};
        QTest::newRow("pair without pattern") << u"Any|"_qs << QStringList{u"Any (*)"_qs};
        QTest::newRow("empty") << QString() << QStringList{u"* (*)"_qs};
        QTest::newRow("cut at NUL") << u"A|*.a\0B|*.b"_qs << QStringList{u"A (*.[aA])"_qs};
    }
    void nameFilters()
    {
        QFETCH(QString, filter);
        QTEST(FileFilterText::toNameFilters(filter), "filters");
    }

    void propertiesStartEmptyAndCutAtNul()
    {
        StandardDialogs dialogs;
        QVERIFY(dialogs.fileName().isEmpty());
        QCOMPARE(dialogs.color(), 0);
        QCOMPARE(dialogs.fontSize(), qint16(0));
        QVERIFY(!dialogs.fontBold() && !dialogs.fontItalic() && !dialogs.fontUnderline());
        dialogs.setTitle(u"Open\0junk"_qs);
        dialogs.setPath(u"/music\0x"_qs);
        dialogs.setFileTitle(u"a.flac\0"_qs);
        dialogs.setFileName(u"/music/a.flac\0\0"_qs);
        dialogs.setFilter(u"A|*.a\0"_qs);
        QCOMPARE(dialogs.title(), u"Open"_qs);
        QCOMPARE(dialogs.path(), u"/music"_qs);
        QCOMPARE(dialogs.fileTitle(), u"a.flac"_qs);
        QCOMPARE(dialogs.fileName(), u"/music/a.flac"_qs);
        QCOMPARE(dialogs.filter(), u"A|*.a\0"_qs);
    }

    void nothingOpensWithoutOwnerOrPrinter()
    {
        StandardDialogs dialogs;
        QVERIFY(!dialogs.showOpen());
        QVERIFY(!dialogs.showFolder());
        dialogs.setOwner(&m_owner);
        QVERIFY(!dialogs.showPrinter());
        QVERIFY(!dialogs.showPrinterProperties());
    }

    // showOpen: two pairs listed, the first selected, letter case ignored, the last choice remembered.
    void showOpen()
    {
        const QString music = m_folder.filePath(u"Music, mine"_qs);
        QVERIFY(QDir().mkpath(music));
        touch(music + u"/a.flac"_qs);
        touch(music + u"/X.FLAC"_qs);
        touch(music + u"/notes.txt"_qs);
        QVERIFY(QDir::setCurrent(m_folder.path()));

        StandardDialogs dialogs;
        dialogs.setOwner(&m_owner);
        dialogs.setTitle(u"Open Files"_qs);
        dialogs.setFilter(u"FLAC声音文件(*.FLAC, *.flac)|*.flac|所有格式文件(*.*)|*.*"_qs);
        dialogs.setPath(u"/nonexistent"_qs);

        QStringList choices;
        QString selected;
        QString title;
        QString startFolder;
        QStringList listed;
        whenDialogOpens([&](QFileDialog *dialog) {
            title = dialog->windowTitle();
            startFolder = dialog->directory().absolutePath();
            auto *types = dialog->findChild<QComboBox *>(u"fileTypeCombo"_qs);
            for (int i = 0; types && i < types->count(); ++i)
                choices.append(types->itemText(i));
            selected = types ? types->currentText() : QString();
            dialog->setDirectory(music);
            QTRY_COMPARE(listedFiles(dialog), (QStringList{u"X.FLAC"_qs, u"a.flac"_qs}));
            listed = listedFiles(dialog);
            choose(dialog, music + u"/X.FLAC"_qs);
        });
        QVERIFY(dialogs.showOpen());
        QCOMPARE(title, u"Open Files"_qs);
        QCOMPARE(startFolder, m_folder.path()); // the working folder; path does not count
        QCOMPARE(choices, (QStringList{u"FLAC声音文件(*.FLAC, *.flac)"_qs, u"所有格式文件(*.*)"_qs}));
        QCOMPARE(selected, choices.first());
        QCOMPARE(listed, (QStringList{u"X.FLAC"_qs, u"a.flac"_qs}));
        QCOMPARE(dialogs.fileName(), music + u"/X.FLAC"_qs);
        QCOMPARE(dialogs.fileTitle(), u"X.FLAC"_qs);
        QCOMPARE(dialogs.path(), music);
        QCOMPARE(QDir::currentPath(), m_folder.path());

        // The next one starts there, with the last file in its name box; cancelling changes nothing.
        QString nameBox;
        whenDialogOpens([&](QFileDialog *dialog) {
            startFolder = dialog->directory().absolutePath();
            nameBox = nameBoxText(dialog);
            dialog->reject();
        });
        QVERIFY(!dialogs.showOpen());
        QCOMPARE(startFolder, music);
        QVERIFY2(nameBox.contains(u"X.FLAC"_qs), qPrintable(nameBox));
        QCOMPARE(dialogs.fileName(), music + u"/X.FLAC"_qs);
        QCOMPARE(dialogs.fileTitle(), u"X.FLAC"_qs);
        QCOMPARE(dialogs.path(), music);
    }

    void twoPairsListTwoChoices()
    {
        StandardDialogs dialogs;
        dialogs.setOwner(&m_owner);
        dialogs.setFilter(u"A|*.a|B|*.b"_qs);
        QStringList filters;
        QString selected;
        whenDialogOpens([&](QFileDialog *dialog) {
            filters = dialog->nameFilters();
            selected = dialog->selectedNameFilter();
            dialog->reject();
        });
        QVERIFY(!dialogs.showOpen());
        QCOMPARE(filters.size(), 2);
        QVERIFY(filters.first().startsWith(u"A ("_qs));
        QCOMPARE(selected, u"A"_qs);
    }

    void showFolder()
    {
        const QString target = m_folder.filePath(u"out 音乐"_qs);
        QVERIFY(QDir().mkpath(target));
        StandardDialogs dialogs;
        dialogs.setOwner(&m_owner);
        dialogs.setTitle(u"Pick"_qs);
        dialogs.setFileName(u"/x/a.flac"_qs);
        dialogs.setFileTitle(u"a.flac"_qs);
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        whenDialogOpens([&](QFileDialog *dialog) {
            mode = dialog->fileMode();
            choose(dialog, target);
        });
        QVERIFY(dialogs.showFolder());
        QCOMPARE(mode, QFileDialog::Directory);
        QCOMPARE(dialogs.path(), target);
        QVERIFY(dialogs.fileName().isEmpty());
        QVERIFY(dialogs.fileTitle().isEmpty());
    }

    void showSave()
    {
        StandardDialogs dialogs;
        dialogs.setOwner(&m_owner);
        dialogs.setTitle(u"not used"_qs);
        dialogs.setFilter(u"WAV|*.wav"_qs);
        const QString target = m_folder.filePath(u"saved.wav"_qs);
        QString title;
        QString start;
        whenDialogOpens([&](QFileDialog *dialog) {
            title = dialog->windowTitle();
            start = dialog->directory().absolutePath();
            choose(dialog, target);
        });
        QVERIFY(dialogs.showSave());
        QCOMPARE(title, u"Save"_qs);
        QCOMPARE(start, AppDirs::programFolder()); // path is empty
        QCOMPARE(dialogs.fileName(), target);
        QCOMPARE(dialogs.fileTitle(), u"saved.wav"_qs);
        QCOMPARE(dialogs.path(), m_folder.path());
    }

    void showColor()
    {
        StandardDialogs dialogs;
        dialogs.setOwner(&m_owner);
        dialogs.setColor(0x000080ff); // red 255, green 128, blue 0
        QColor shown;
        auto *poll = new QTimer(this);
        poll->setInterval(10);
        connect(poll, &QTimer::timeout, poll, [poll, &shown] {
            auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll->stop();
            poll->deleteLater();
            shown = dialog->currentColor();
            dialog->setCurrentColor(QColor(1, 2, 3));
            dialog->accept();
        });
        poll->start();
        QVERIFY(dialogs.showColor(true));
        QCOMPARE(shown, QColor(255, 128, 0));
        QCOMPARE(dialogs.color(), 1 + 256 * 2 + 65536 * 3);
    }

    // chooseFile: where it starts, what it returns; the working folder stays.
    void chooseFile_data()
    {
        QTest::addColumn<QString>("initialFolder"); // relative to the temporary folder, "!" for none
        QTest::addColumn<bool>("startsInProgramFolder");
        QTest::newRow("none") << u"!"_qs << true;
        QTest::newRow("blanks") << u"!   "_qs << true;
        QTest::newRow("missing folder") << u"missing"_qs << true;
        QTest::newRow("hidden folder") << u".hidden"_qs << false;
    }
    void chooseFile()
    {
        QFETCH(QString, initialFolder);
        QFETCH(bool, startsInProgramFolder);
        QVERIFY(QDir().mkpath(m_folder.filePath(u".hidden"_qs)));
        const QString initial = initialFolder.startsWith(QLatin1Char('!')) ? initialFolder.mid(1)
                                                                           : m_folder.filePath(initialFolder);
        const QString workingFolder = QDir::currentPath();
        QString start;
        QString title;
        QStringList filters;
        whenDialogOpens([&](QFileDialog *dialog) {
            start = dialog->directory().absolutePath();
            title = dialog->windowTitle();
            filters = dialog->nameFilters();
            dialog->reject();
        });
        QCOMPARE(FileChoosers::chooseFile(&m_owner, u"打开文件"_qs, initial), QString());
        QCOMPARE(title, u"打开文件"_qs);
        QCOMPARE(start, startsInProgramFolder ? AppDirs::programFolder() : QDir(initial).absolutePath());
        QCOMPARE(filters, QStringList{u"*.* (*)"_qs});
        QCOMPARE(QDir::currentPath(), workingFolder);
    }

    void chooseFileReturnsChoice()
    {
        const QString file = m_folder.filePath(u"b c.wav"_qs);
        touch(file);
        const QString workingFolder = QDir::currentPath();
        whenDialogOpens([&](QFileDialog *dialog) { choose(dialog, file); });
        QCOMPARE(FileChoosers::chooseFile(&m_owner, u"打开文件"_qs, m_folder.path(), u"*.*|*.*"_qs), file);
        QCOMPARE(QDir::currentPath(), workingFolder);
    }

    void chooseFolder_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }
    void chooseFolder()
    {
        QFETCH(bool, confirm);
        const QString target = m_folder.filePath(u"dest, 1"_qs);
        QVERIFY(QDir().mkpath(target));
        QString title;
        bool foldersOnly = false;
        whenDialogOpens([&](QFileDialog *dialog) {
            title = dialog->windowTitle();
            foldersOnly = dialog->fileMode() == QFileDialog::Directory;
            if (!confirm) {
                dialog->reject();
                return;
            }
            choose(dialog, target);
        });
        const QString chosen = FileChoosers::chooseFolder(&m_owner, FileChoosers::outputFolderPrompt());
        QCOMPARE(title, u"请选择一个文件夹:"_qs);
        QVERIFY(foldersOnly);
        QCOMPARE(chosen, confirm ? target : QString());
        QCOMPARE(FileChoosers::addFolderPrompt(), u"选择一个文件夹:"_qs);
    }

    // The end-of-run sound's wait ends once, from the event loop; Qt Multimedia loads with the first sound.
    void soundEndsTheWaitOnce_data()
    {
        QTest::addColumn<bool>("present");
        QTest::newRow("file missing") << false;
        QTest::newRow("the program's sound") << true;
    }
    void soundEndsTheWaitOnce()
    {
        QFETCH(bool, present);
        const QString wavPath =
            QStringLiteral(TUNOXA_PROGRAM_DIR "/%1.wav").arg(present ? u"sound" : u"none");
        QCOMPARE(QFile::exists(wavPath), present);
        qputenv("PULSE_SERVER", "unix:/nonexistent");
        const auto multimediaLoaded = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6Multimedia");
        };
        const bool loadedBefore = multimediaLoaded();
        DesktopServices desktop;
        QObject context;
        int ends = 0;
        desktop.playSound(wavPath, &context, [&ends] { ++ends; });
        QCOMPARE(ends, 0);
        QTRY_COMPARE_WITH_TIMEOUT(ends, 1, 12000);
        QVERIFY(!QTest::qWaitFor([&ends] { return ends > 1; }, 100));
        QCOMPARE(multimediaLoaded(), loadedBefore || present);
    }
};

QTEST_MAIN(TestCommonDialogs)
#include "tst_commondialogs.moc"
