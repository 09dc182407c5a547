#include "common/listrows.h"
#include "common/recordingservices.h"
#include "common/testfiles.h"
#include "common/testmedia.h"
#include "conversion/conversionrun.h"
#include "filelist/filelist.h"
#include "filelist/filesearch.h"
#include "platform/appdirs.h"
#include "platform/instancehandoff.h"
#include "platform/productinfo.h"
#include "platform/singleinstance.h"
#include "settings/setupfile.h"
#include "ui/filecommands.h"
#include "ui/mainwindow.h"
#include "ui/mainwindowcommands.h"
#include "ui/optionsdialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using TestFiles::fileContent;
using TestFiles::touch;

using namespace Qt::StringLiterals;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

QStringList listedPaths(const FileList &list)
{
    QStringList paths;
    for (const FileList::Id id : rowIds(list))
        paths.append(list.path(id));
    return paths;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix;
    QTemporaryDir m_home;

    QString installedFolder() const { return m_prefix.filePath(u"lib/tunoxa"_s); }
    QString installedProgram() const { return m_prefix.filePath(u"bin/tunoxa"_s); }
    QString configFolder() const { return m_home.filePath(u"config/tunoxa"_s); }
    // The user's folders put the music folder somewhere of their own.
    QString musicFolder() const { return m_home.filePath(u"音乐"_s); }

    // The installed program with the test's home and folders, offscreen unless `changes` say otherwise
    // ("NAME=value" sets a variable, "NAME" removes it).
    void startInstalled(QProcess &process, const QStringList &arguments, const QString &workingFolder = {},
                        const QStringList &changes = {})
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        for (const QString &change : changes) {
            if (change.contains(u'='))
                environment.insert(change.section(u'=', 0, 0), change.section(u'=', 1));
            else
                environment.remove(change);
        }
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        if (!workingFolder.isEmpty())
            process.setWorkingDirectory(workingFolder);
        process.start(installedProgram(), arguments);
        QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    }

private slots:
    void initTestCase()
    {
        qputenv("HOME", m_home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", m_home.filePath(u"config"_s).toUtf8());
        QFile userDirs(m_home.filePath(u"config/user-dirs.dirs"_s));
        QVERIFY(QDir().mkpath(m_home.filePath(u"config"_s)) && userDirs.open(QIODevice::WriteOnly));
        userDirs.write("XDG_MUSIC_DIR=\"$HOME/音乐\"\n");
        userDirs.close();
        const TestMedia::ToolResult install =
            TestMedia::run(QStringLiteral(TUNOXA_CMAKE), {u"--install"_s, QStringLiteral(TUNOXA_BUILD_DIR),
                                                          u"--prefix"_s, m_prefix.path()});
        QVERIFY2(install.exitCode == 0, install.output.constData());
    }

    void installedLayout_data()
    {
        QTest::addColumn<QString>("path"); // under the prefix
        QTest::addColumn<QString>("linkTarget");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QStringList>("holds"); // texts the file holds; "@" is the prefix
        QTest::newRow("link on the PATH")
            << u"bin/tunoxa"_s << u"../lib/tunoxa/tunoxa"_s << true << QStringList();
        for (const QString &program :
             {u"tunoxa"_s, u"data/conv"_s, u"data/coder"_s, u"data/coder2"_s, u"data/sox"_s, u"data/flac"_s})
            QTest::newRow(qPrintable(program))
                << u"lib/tunoxa/"_s + program << QString() << true << QStringList();
        QTest::newRow("shipped setup.ini selects MP3")
            << u"lib/tunoxa/setup.ini"_s << QString() << false << QStringList{u"\"8\"\r\n"_s};
        for (const QString &file : {u"sound.wav"_s, u"help.html"_s, u"help_en.html"_s,
                                    u"translations/tunoxa_en.qm"_s, u"installed"_s})
            QTest::newRow(qPrintable(file)) << u"lib/tunoxa/"_s + file << QString() << false << QStringList();
        QTest::newRow("menu entry opens FLAC and video files")
            << u"share/applications/tunoxa.desktop"_s << QString() << false
            << QStringList{u"Exec=\"@/bin/tunoxa\" %F\n"_s, u"MimeType=audio/flac;audio/x-flac;video/mp4;"_s,
                           u"video/x-msvideo;"_s, u"Icon=tunoxa\n"_s};
        QTest::newRow("icon") << u"share/icons/hicolor/scalable/apps/tunoxa.svg"_s << QString() << false
                              << QStringList{u"<svg"_s};
    }
    void installedLayout()
    {
        QFETCH(QString, path);
        QFETCH(QString, linkTarget);
        QFETCH(bool, executable);
        QFETCH(QStringList, holds);
        const QFileInfo info(m_prefix.filePath(path));
        QVERIFY2(info.exists(), qPrintable(path));
        QCOMPARE(info.isSymLink() ? QFile::symLinkTarget(info.filePath()) : QString(),
                 linkTarget.isEmpty() ? QString() : QDir::cleanPath(info.path() + u'/' + linkTarget));
        QCOMPARE(info.isExecutable(), executable);
        const QString content = QString::fromUtf8(fileContent(info.filePath()));
        for (QString text : holds)
            QVERIFY2(content.contains(text.replace(u'@', m_prefix.path())), qPrintable(text));
        // The build's program folder is no installed one.
        QVERIFY(!AppDirs::isInstalled(TestMedia::programFolder()));
    }

    // Started through its link, the installed program finds its program folder and keeps its
    // settings in the user's configuration folder; it writes nothing into the program folder.
    void installedProgramStarts()
    {
        QVERIFY(QDir(configFolder()).removeRecursively());
        // A read-only prefix: the shipped file is nobody's to write.
        const QString shipped = installedFolder() + u"/setup.ini"_s;
        QVERIFY(QFile::setPermissions(shipped, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QStringList before = QDir(installedFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QProcess program;
        startInstalled(program, {});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(configFolder() + u"/setup.ini"_s), 20000);
        QTRY_COMPARE(fileContent(configFolder() + u"/setup.ini"_s), fileContent(shipped));
        // The copy is the user's, to be written when the program ends.
        const mode_t umaskBits = ::umask(0);
        ::umask(umaskBits);
        QCOMPARE(int(modeOf(configFolder() + u"/setup.ini"_s)), int(0644 & ~umaskBits));
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(QDir(installedFolder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }

    // The installed program converts into the user's music folder by default and takes a relative
    // folder there too; what the user chose outlives a restart.
    void installedWindowConvertsIntoTheMusicFolder_data()
    {
        QTest::addColumn<QString>("typed"); // empty: the default
        QTest::addColumn<QString>("expected");
        QTest::newRow("default") << QString() << musicFolder() + u"/Tunoxa"_s;
        QTest::newRow("relative") << u"专辑/新"_s << musicFolder() + u"/专辑/新"_s;
        QTest::newRow("relative, beginning with a colon") << u":out"_s << musicFolder() + u"/:out"_s;
        QTest::newRow("absolute") << m_home.filePath(u"elsewhere"_s) << m_home.filePath(u"elsewhere"_s);
    }
    void installedWindowConvertsIntoTheMusicFolder()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QTemporaryDir input;
        const QString flac = input.filePath(u"song.flac"_s);
        QVERIFY(TestMedia::makeFlac(flac, 1.0));
        // A first start.
        QVERIFY(QDir(configFolder()).removeRecursively());
        QCOMPARE(AppDirs::prepareSettingsFolder(installedFolder()), configFolder());
        RecordingServices services;
        {
            MainWindow window(installedFolder(), services);
            window.setProgramEnd([] {});
            window.startUp();
            auto *folder = window.findChild<QLineEdit *>(u"outputFolderEdit"_s);
            QCOMPARE(folder->text(), musicFolder() + u"/Tunoxa"_s);
            QCOMPARE(window.findChild<QComboBox *>(u"formatCombo"_s)->currentIndex(), 8);
            if (!typed.isEmpty())
                folder->setText(typed);
            window.fileList()->addFile(flac);
            QSignalSpy ended(window.conversionRun(), &ConversionRun::finished);
            window.findChild<QPushButton *>(u"startButton"_s)->click();
            QVERIFY(ended.wait(60000));
            QCOMPARE(ended[0][0].value<RunOutcome>().failed, 0);
            QCOMPARE(QDir(expected).entryList({u"song_*.mp3"_s}, QDir::Files).size(), 1);

            QTimer::singleShot(0, &window, [] {
                if (auto *options = qobject_cast<OptionsDialog *>(QApplication::activeModalWidget()))
                    options->storeAndClose();
            });
            window.commands()->actions().options->trigger();
            window.close();
        }
        QVERIFY(QFile::exists(configFolder() + u"/options.ini"_s));
        QCOMPARE(SetupFile::read(configFolder() + u"/setup.ini"_s).outputFolder, expected + u'/');
        for (const QString &name : {u"options.ini"_s, u"output"_s})
            QVERIFY(!QFileInfo::exists(installedFolder() + u'/' + name));

        MainWindow restarted(installedFolder(), services);
        restarted.setProgramEnd([] {});
        restarted.startUp();
        QCOMPARE(restarted.findChild<QLineEdit *>(u"outputFolderEdit"_s)->text(), expected + u'/');
    }

    // Asked for help or the version, or given an option it does not know, a program answers and
    // ends at once, even with no display: no window, no row named after the option.
    void optionsAreAnsweredWithoutAWindow_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("printed"); // how stdout starts; empty: nothing on stdout
        const QString version = ProductInfo::versionNumber() + u'\n';
        QTest::newRow("tunoxa --help") << u"tunoxa"_s << QStringList{u"--help"_s} << 0 << u"用法：tunoxa "_s;
        QTest::newRow("tunoxa --version, after Qt's options")
            << u"tunoxa"_s << QStringList{u"-style"_s, u"Fusion"_s, u"--version"_s} << 0
            << u"tunoxa "_s + version;
        QTest::newRow("tunoxa, an unknown option")
            << u"tunoxa"_s << QStringList{u"--bogus"_s} << 2 << QString();
        QTest::newRow("tunoxa-batch --help")
            << u"tunoxa-batch"_s << QStringList{u"-h"_s} << 0 << u"用法：tunoxa-batch "_s;
        QTest::newRow("tunoxa-batch --version")
            << u"tunoxa-batch"_s << QStringList{u"--version"_s} << 0 << u"tunoxa-batch "_s + version;
    }
    void optionsAreAnsweredWithoutAWindow()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, printed);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        process.setProcessEnvironment(environment);
        process.start(installedFolder() + u'/' + program, arguments);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), status);
        const QString out = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(printed.isEmpty() ? out.isEmpty() : out.startsWith(printed), qPrintable(out));
        QCOMPARE(process.readAllStandardError().isEmpty(), status == 0);
    }

    // Files and folders named on a later start's command line reach the running program's list:
    // relative ones from where that start ran, folders searched as "添加文件夹" does, in their
    // order, and nothing lost while a folder search is going. The later start ends with status 0.
    void laterStartsHandTheirFilesOver_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "@" is the folder it starts in
        QTest::addColumn<QStringList>("listed");    // under the folder it starts in
        QTest::addColumn<bool>("duringASearch");
        QTest::addColumn<QStringList>("environment"); // of the later start, as startInstalled takes it
        const QStringList album{u"专辑/01.flac"_s, u"专辑/02.flac"_s, u"专辑/sub/03.flac"_s};
        QTest::newRow("files, relative and absolute")
            << QStringList{u"a.flac"_s, u"./b.flac"_s, u"@/专辑/01.flac"_s}
            << QStringList{u"a.flac"_s, u"b.flac"_s, u"专辑/01.flac"_s} << false << QStringList();
        QTest::newRow("a folder") << QStringList{u"专辑"_s} << album << false << QStringList();
        QTest::newRow("files and folders keep their order")
            << QStringList{u"b.flac"_s, u"专辑"_s, u"a.flac"_s}
            << QStringList{u"b.flac"_s} + album + QStringList{u"a.flac"_s} << false << QStringList();
        QTest::newRow("no files: only the window is asked for")
            << QStringList() << QStringList() << false << QStringList();
        QTest::newRow("while a folder search is going")
            << QStringList{u"a.flac"_s, u"专辑"_s} << QStringList{u"a.flac"_s} + album << true
            << QStringList();
        QTest::newRow("from a terminal without a display")
            << QStringList{u"a.flac"_s} << QStringList{u"a.flac"_s} << false
            << QStringList{u"QT_QPA_PLATFORM=xcb"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s};
        QTest::newRow("after --, a name like an option is a file")
            << QStringList{u"-x.flac"_s, u"--"_s, u"--help"_s} << QStringList{u"-x.flac"_s, u"--help"_s}
            << false << QStringList();
        QTest::newRow("Qt's own options are no files")
            << QStringList{u"-style"_s, u"Fusion"_s, u"-reverse"_s, u"a.flac"_s} << QStringList{u"a.flac"_s}
            << false << QStringList();
    }
    void laterStartsHandTheirFilesOver()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, listed);
        QFETCH(bool, duringASearch);
        QFETCH(QStringList, environment);
        QTemporaryDir here;
        for (const QString &name : {u"a.flac"_s, u"b.flac"_s, u"专辑/01.flac"_s, u"专辑/02.flac"_s,
                                    u"专辑/sub/03.flac"_s, u"专辑/cover.jpg"_s, u"-x.flac"_s, u"--help"_s})
            touch(here.filePath(name));
        for (QString &argument : arguments)
            argument.replace(u'@', here.path());
        QStringList expected;
        for (const QString &name : listed)
            expected.append(here.filePath(name));

        // This process is the running program.
        SingleInstance instance;
        QVERIFY(instance.tryLock());
        HandoffServer handoffs;
        QVERIFY(handoffs.listen());
        RecordingServices services;
        QTemporaryDir programFolder;
        MainWindow window(programFolder.path(), services);
        window.setProgramEnd([] {});
        window.startUp();
        QTemporaryDir library;
        if (duringASearch) {
            // A search of many folders is started just as the files arrive; they join after its finds.
            for (int i = 0; i < FileSearch::FolderScan::StepsPerSlice; ++i) {
                const QString name = u"d%1/%2.flac"_s.arg(i / 2, 4, 10, QLatin1Char('0')).arg(i % 2);
                touch(library.filePath(name));
                expected.insert(i, library.filePath(name));
            }
            connect(&handoffs, &HandoffServer::pathsArrived, &window, [&] {
                window.findChild<FileCommands *>()->addFolder(library.path());
                QVERIFY(window.findChild<FileCommands *>()->isBusy());
            });
        }
        window.acceptHandoffs(handoffs);
        QSignalSpy arrivals(&handoffs, &HandoffServer::pathsArrived);

        QProcess later;
        startInstalled(later, arguments, here.path(), environment);
        QTRY_COMPARE_WITH_TIMEOUT(arrivals.count(), 1, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(later.state() == QProcess::NotRunning, 10000);
        QCOMPARE(later.exitStatus(), QProcess::NormalExit);
        QCOMPARE(later.exitCode(), 0);
        QTRY_COMPARE(listedPaths(*window.fileList()), expected);
        QTRY_VERIFY(!window.findChild<FileCommands *>()->isBusy());
        QCOMPARE(listedPaths(*window.fileList()), expected);
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
