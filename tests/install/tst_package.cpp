#include "batch/batchoptions.h"
#include "common/testfiles.h"
#include "common/testmedia.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using TestFiles::fileContent;

using namespace Qt::StringLiterals;

namespace {

// The names -f takes, in the order of the format table.
QStringList formatNames()
{
    QStringList names;
    for (OutputFormat format : BatchCommandLine::formats())
        names.append(FormatTable::commandName(format));
    return names;
}

// The package names a Depends field asks for, alternatives included, versions left off.
QStringList packageNames(const QByteArray &depends)
{
    QStringList names;
    for (const QString &alternatives : QString::fromUtf8(depends).split(u','))
        for (const QString &choice : alternatives.split(u'|'))
            names.append(choice.trimmed().section(u' ', 0, 0));
    return names;
}

// The options an option list names ("  -h, --help  显示本说明" gives -h and --help).
QStringList listedOptions(const QString &usage)
{
    static const QRegularExpression optionLine(u"^\\s+(-[\\w-]+(?:,\\s*-[\\w-]+)*)(?:\\s|$)"_s,
                                               QRegularExpression::MultilineOption);
    QStringList options;
    for (const QRegularExpressionMatch &match : optionLine.globalMatch(usage))
        for (const QString &option : match.captured(1).split(u','))
            options.append(option.trimmed());
    return options;
}

bool namesOption(const QString &text, const QString &option)
{
    return QRegularExpression(u"(?<![\\w-])"_s + QRegularExpression::escape(option) + u"(?![\\w-])"_s)
        .match(text)
        .hasMatch();
}

// What bash's completion of tunoxa-batch offers in a folder for the words typed after the command
// (the last one being completed), through the function the completion file registers. When the
// file sourced registers none (bash-completion's script), the default completion loads it, as on
// the first Tab.
QStringList completions(const QString &completionFile, const QString &folder, const QStringList &words)
{
    static const QString script = uR"(source "$1" && cd "$2" && shift 2 || exit 1
registered=$(complete -p tunoxa-batch 2>/dev/null) ||
    { loader=$(complete -p -D) && loader=${loader##*-F } && ${loader%% *} tunoxa-batch; }
registered=$(complete -p tunoxa-batch) || exit 1
function=${registered##*-F } && function=${function%% *}
COMP_WORDS=(tunoxa-batch "$@") && COMP_CWORD=$#
"$function" tunoxa-batch "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
printf '%s\n' "${COMPREPLY[@]}")"_s;
    const TestMedia::ToolResult completed =
        TestMedia::run(u"bash"_s, QStringList{u"--norc"_s, u"--noprofile"_s, u"-c"_s, script, u"bash"_s,
                                              completionFile, folder} +
                                      words);
    if (completed.exitCode != 0)
        return {u"bash failed: "_s + QString::fromUtf8(completed.output)};
    QStringList offered = QString::fromUtf8(completed.output).split(u'\n', Qt::SkipEmptyParts);
    offered.sort();
    return offered;
}

} // namespace

// The Debian package as a user gets it: what it holds and needs, and the checks of Debian and of the
// desktops on it.
class TestPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_out;
    QString m_deb;

    // The package unpacked.
    QString root() const { return m_out.filePath(u"root"_s); }
    QString completionFile() const
    {
        return root() + u"/usr/share/bash-completion/completions/tunoxa-batch"_s;
    }

private slots:
    void initTestCase()
    {
        const TestMedia::ToolResult pack = TestMedia::run(
            QStringLiteral(TUNOXA_CPACK),
            {u"--config"_s, QStringLiteral(TUNOXA_BUILD_DIR "/CPackConfig.cmake"), u"-B"_s, m_out.path()});
        QVERIFY2(pack.exitCode == 0, pack.output.constData());
        const QStringList debs = QDir(m_out.path()).entryList({u"tunoxa_*.deb"_s}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        m_deb = m_out.filePath(debs.constFirst());
        QCOMPARE(TestMedia::run(u"dpkg-deb"_s, {u"-x"_s, m_deb, root()}).exitCode, 0);
        // man finds the package's pages, in every locale's folder, and renders them 80 columns wide.
        qputenv("MANPATH", QFile::encodeName(root() + u"/usr/share/man"_s));
        qputenv("MANWIDTH", "80");
        // bash-completion looks here first, before the system's completions.
        qputenv("BASH_COMPLETION_USER_DIR", QFile::encodeName(root() + u"/usr/share/bash-completion"_s));
    }

    void debListsItsDependencies()
    {
        const TestMedia::ToolResult depends = TestMedia::run(u"dpkg-deb"_s, {u"-f"_s, m_deb, u"Depends"_s});
        QCOMPARE(depends.exitCode, 0);
        const QStringList names = packageNames(depends.output);
        for (const QString &needed :
             {u"ffmpeg"_s, u"libavcodec-extra"_s, u"sox"_s, u"libsox-fmt-all"_s, u"qt6-translations-l10n"_s,
              u"fonts-wqy-microhei"_s, u"libqt6core6"_s, u"libqt6gui6"_s, u"libqt6widgets6"_s,
              u"libqt6network6"_s, u"libqt6multimedia6"_s, u"libqt6svg6"_s})
            QVERIFY2(names.contains(needed),
                     qPrintable(needed + u" in "_s + QString::fromUtf8(depends.output)));

        // Laid out for /usr, with the menu entry starting /usr/bin/tunoxa.
        QCOMPARE(QFile::symLinkTarget(root() + u"/usr/bin/tunoxa"_s), root() + u"/usr/lib/tunoxa/tunoxa"_s);
        QVERIFY(QFile::exists(root() + u"/usr/lib/tunoxa/installed"_s));
        QVERIFY(QFile::exists(root() + u"/usr/lib/tunoxa/data/conv"_s));
        QVERIFY(fileContent(root() + u"/usr/share/applications/tunoxa.desktop"_s)
                    .contains("Exec=\"/usr/bin/tunoxa\" %F\n"));
        QCOMPARE(TestMedia::run(u"dpkg-deb"_s, {u"-f"_s, m_deb, u"Recommends"_s}).output,
                 "bash-completion\n");
        // The icon theme's sizes beside the SVG, each a PNG of its size (the width in its header).
        for (const int side : {16, 24, 32, 48, 64, 128, 256}) {
            const QByteArray png =
                fileContent(root() + u"/usr/share/icons/hicolor/%1x%1/apps/tunoxa.png"_s.arg(side));
            QVERIFY2(png.startsWith("\x89PNG") &&
                         qFromBigEndian<quint32>(png.constData() + 16) == quint32(side),
                     qPrintable(QString::number(side)));
        }
    }

    // Each checker accepts its part of the package with no error and no warning; a checker that is
    // missing fails the test.
    void debPassesTheCheckers_data()
    {
        QTest::addColumn<QString>("checker");
        QTest::addColumn<QStringList>("arguments"); // "@" is the unpacked package, "@deb" the package
        QTest::newRow("lintian") << u"lintian"_s << QStringList{u"--tag-display-limit"_s, u"0"_s, u"@deb"_s};
        QTest::newRow("software centres' metadata")
            << u"appstreamcli"_s
            << QStringList{u"validate"_s, u"--no-net"_s,
                           u"@/usr/share/metainfo/invalid.tunoxa.Tunoxa.metainfo.xml"_s};
        QTest::newRow("menu entry") << u"desktop-file-validate"_s
                                    << QStringList{u"@/usr/share/applications/tunoxa.desktop"_s};
    }
    void debPassesTheCheckers()
    {
        QFETCH(QString, checker);
        QFETCH(QStringList, arguments);
        for (QString &argument : arguments)
            argument = argument == u"@deb" ? m_deb : argument.replace(u'@', root());
        const TestMedia::ToolResult checked = TestMedia::run(checker, arguments);
        const QString output = QString::fromUtf8(checked.output);
        QVERIFY2(checked.exitCode == 0, qPrintable(checker + u": "_s + output));
        static const QRegularExpression complaint(u"^[EW]: |: (error|warning): "_s,
                                                  QRegularExpression::MultilineOption);
        QVERIFY2(!complaint.match(output).hasMatch(), qPrintable(output));
    }

    // man shows the Chinese pages under a Chinese or the C locale and the English ones under an
    // English locale, without a complaint of the formatter.
    void manualPagesFollowTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("name"); // the NAME line's start
        for (const QString &locale : {u"zh_CN.UTF-8"_s, u"C"_s}) {
            QTest::addRow("tunoxa, %s", qPrintable(locale))
                << locale << u"tunoxa"_s << u"tunoxa - 把 FLAC 专辑"_s;
            QTest::addRow("tunoxa-batch, %s", qPrintable(locale))
                << locale << u"tunoxa-batch"_s << u"tunoxa-batch - 不用窗口"_s;
        }
        QTest::newRow("tunoxa, en_US.UTF-8") << u"en_US.UTF-8"_s << u"tunoxa"_s << u"tunoxa - convert FLAC"_s;
        QTest::newRow("tunoxa-batch, en_US.UTF-8")
            << u"en_US.UTF-8"_s << u"tunoxa-batch"_s << u"tunoxa-batch - convert FLAC"_s;
    }
    void manualPagesFollowTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, page);
        QFETCH(QString, name);
        const TestMedia::ToolResult shown =
            TestMedia::run(u"man"_s, {u"--warnings"_s, u"-L"_s, locale, page});
        const QString output = QString::fromUtf8(shown.output);
        QVERIFY2(shown.exitCode == 0, qPrintable(output));
        QVERIFY2(output.contains(u"\n       "_s + name), qPrintable(output));
        QVERIFY2(!output.contains(u"warning"_s), qPrintable(output));
    }

    // Every option `tunoxa-batch --help` lists is in both manual pages and offered by the completion.
    void batchOptionsAreDocumented_data()
    {
        QTest::addColumn<QString>("page"); // under usr/share/man; else the completion, sourced by this
        QTest::newRow("Chinese page") << u"man1/tunoxa-batch.1.gz"_s;
        QTest::newRow("English page") << u"en/man1/tunoxa-batch.1.gz"_s;
        QTest::newRow("completion") << completionFile();
        QTest::newRow("completion loaded by bash-completion")
            << u"/usr/share/bash-completion/bash_completion"_s;
    }
    void batchOptionsAreDocumented()
    {
        QFETCH(QString, page);
        const TestMedia::ToolResult help =
            TestMedia::run(root() + u"/usr/lib/tunoxa/tunoxa-batch"_s, {u"--help"_s});
        QCOMPARE(help.exitCode, 0);
        const QStringList options = listedOptions(QString::fromUtf8(help.output));
        QVERIFY2(options.contains(u"-f"_s) && options.contains(u"--help"_s), help.output.constData());

        QString text;
        if (!page.endsWith(u".gz"_s)) {
            QVERIFY2(QFile::exists(page), qPrintable(page + u" is missing (scripts/install-deps.sh)"_s));
            text = completions(page, m_out.path(), {u"-"_s}).join(u' ');
        } else {
            const TestMedia::ToolResult shown =
                TestMedia::run(u"man"_s, {u"-l"_s, root() + u"/usr/share/man/"_s + page});
            QCOMPARE(shown.exitCode, 0);
            text = QString::fromUtf8(shown.output);
        }
        for (const QString &option : options)
            QVERIFY2(namesOption(text, option), qPrintable(option + u" is missing"_s));
    }

    // zsh offers the formats after -f in the table's order.
    void zshCompletionOffersTheFormats()
    {
        const QString completion =
            QString::fromUtf8(fileContent(root() + u"/usr/share/zsh/vendor-completions/_tunoxa-batch"_s));
        const QRegularExpressionMatch offered =
            QRegularExpression(u":format:\\(([^)]*)\\)"_s).match(completion);
        QVERIFY2(offered.hasMatch(), qPrintable(completion));
        QCOMPARE(offered.captured(1).split(u' '), formatNames());
    }

    void batchCompletion_data()
    {
        QTest::addColumn<QStringList>("words"); // after tunoxa-batch; the last is being completed
        QTest::addColumn<QStringList>("offered");
        QStringList formats = formatNames();
        formats.sort();
        QTest::newRow("a long option") << QStringList{u"--h"_s} << QStringList{u"--help"_s};
        QTest::newRow("formats after -f") << QStringList{u"-f"_s, QString()} << formats;
        QTest::newRow("long options by their start")
            << QStringList{u"--d"_s} << QStringList{u"--delete"_s, u"--dry-run"_s};
        QTest::newRow("formats after --format=")
            << QStringList{u"--format"_s, u"="_s, u"mp4"_s} << QStringList{u"mp4hd"_s, u"mp4mobile"_s};
        QTest::newRow("formats by their start")
            << QStringList{u"-f"_s, u"mp"_s} << QStringList{u"mp3"_s, u"mp4hd"_s, u"mp4mobile"_s, u"mpg"_s};
        QTest::newRow("channels after -c") << QStringList{u"-c"_s, QString()} << QStringList{u"1"_s, u"2"_s};
        QTest::newRow("nothing for a bitrate") << QStringList{u"-b"_s, QString()} << QStringList();
        QTest::newRow("folders after -o")
            << QStringList{u"-f"_s, u"mp3"_s, u"-o"_s, QString()} << QStringList{u"album"_s, u"two words"_s};
        QTest::newRow("folders after letters ending in -o")
            << QStringList{u"-Lno"_s, QString()} << QStringList{u"album"_s, u"two words"_s};
        QTest::newRow("folders, FLAC and video files")
            << QStringList{u"-j"_s, u"2"_s, QString()}
            << QStringList{u"-x.flac"_s,  u"SONG.FLAC"_s,    u"album"_s,    u"clip.MP4"_s,
                           u"film.mkv"_s, u"my song.flac"_s, u"two words"_s};
        QTest::newRow("a blank typed with a backslash")
            << QStringList{u"my\\ s"_s} << QStringList{u"my song.flac"_s};
        QTest::newRow("a name in quotes") << QStringList{u"\"two"_s} << QStringList{u"two words"_s};
        QTest::newRow("files after --") << QStringList{u"--"_s, u"-"_s} << QStringList{u"-x.flac"_s};
    }
    void batchCompletion()
    {
        QFETCH(QStringList, words);
        QFETCH(QStringList, offered);
        QTemporaryDir folder;
        for (const QString &name : {u"album"_s, u"two words"_s})
            QVERIFY(QDir(folder.path()).mkdir(name));
        for (const QString &name : {u"-x.flac"_s, u"SONG.FLAC"_s, u"clip.MP4"_s, u"film.mkv"_s,
                                    u"my song.flac"_s, u"notes.txt"_s, u"cover.jpg"_s}) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(completions(completionFile(), folder.path(), words), offered);
    }
};

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
