#include "common/testmedia.h"
#include "conversion/runtexts.h"
#include "platform/interfacelanguage.h"

#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using Language = InterfaceLanguage::Language;

class TestInterfaceLanguage : public QObject
{
    Q_OBJECT

private slots:
    // The lists as QLocale::system().uiLanguages() gives them for LC_ALL, LANG and LANGUAGE.
    void chosenFromTheSystemsLanguages_data()
    {
        QTest::addColumn<QStringList>("uiLanguages");
        QTest::addColumn<Language>("language");
        QTest::newRow("C") << QStringList{u"C"_s} << Language::Chinese;
        QTest::newRow("en_US") << QStringList{u"en-US"_s, u"en-Latn-US"_s, u"en"_s} << Language::English;
        QTest::newRow("en_GB") << QStringList{u"en-GB"_s, u"en-Latn-GB"_s, u"en"_s} << Language::English;
        QTest::newRow("zh_CN") << QStringList{u"zh-CN"_s, u"zh-Hans-CN"_s, u"zh"_s} << Language::Chinese;
        QTest::newRow("zh_TW") << QStringList{u"zh-TW"_s, u"zh-Hant-TW"_s, u"zh"_s} << Language::Chinese;
        QTest::newRow("fr_FR, unknown")
            << QStringList{u"fr-FR"_s, u"fr-Latn-FR"_s, u"fr"_s} << Language::Chinese;
        QTest::newRow("nothing") << QStringList{} << Language::Chinese;
        QTest::newRow("LANGUAGE=fr:en")
            << QStringList{u"fr"_s, u"fr-Latn-FR"_s, u"en"_s, u"en-Latn-US"_s} << Language::English;
        QTest::newRow("LANGUAGE=de:zh_CN:en")
            << QStringList{u"de"_s, u"zh-CN"_s, u"en"_s} << Language::Chinese;
        QTest::newRow("LANGUAGE=en:zh_CN") << QStringList{u"en"_s, u"zh-CN"_s} << Language::English;
    }
    void chosenFromTheSystemsLanguages()
    {
        QFETCH(QStringList, uiLanguages);
        QFETCH(Language, language);
        QCOMPARE(InterfaceLanguage::chosenFrom(uiLanguages), language);
    }

    // tunoxa-batch chooses as the window does, from the locale it is started in; its usage keeps the
    // shape of its lines for scripts in both languages.
    void batchSpeaksTheChosenLanguage_data()
    {
        QTest::addColumn<QStringList>("locale");
        QTest::addColumn<QString>("complaint");
        const QString chinese = u"tunoxa-batch: 未知选项：-x\n\n用法：tunoxa-batch [-f FORMAT]"_s;
        const QString english = u"tunoxa-batch: Unknown option: -x\n\nUsage: tunoxa-batch [-f FORMAT]"_s;
        QTest::newRow("C") << QStringList{u"LC_ALL=C.UTF-8"_s} << chinese;
        QTest::newRow("Chinese") << QStringList{u"LANG=zh_CN.UTF-8"_s} << chinese;
        QTest::newRow("English") << QStringList{u"LANG=en_US.UTF-8"_s} << english;
        QTest::newRow("French") << QStringList{u"LC_ALL=fr_FR.UTF-8"_s} << chinese;
        QTest::newRow("French, then English")
            << QStringList{u"LC_ALL=fr_FR.UTF-8"_s, u"LANGUAGE=fr:en"_s} << english;
        QTest::newRow("Chinese before English")
            << QStringList{u"LANG=en_GB.UTF-8"_s, u"LANGUAGE=zh_CN:en"_s} << chinese;
    }
    void batchSpeaksTheChosenLanguage()
    {
        QFETCH(QStringList, locale);
        QFETCH(QString, complaint);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"LC_ALL"_s, u"LC_MESSAGES"_s, u"LANG"_s, u"LANGUAGE"_s})
            environment.remove(name);
        for (const QString &setting : locale)
            environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        QProcess batch;
        batch.setProcessEnvironment(environment);
        batch.start(TestMedia::programFolder() + u"/tunoxa-batch"_s, {u"-x"_s, u"a.flac"_s});
        QVERIFY(batch.waitForFinished(30000));
        QCOMPARE(batch.exitCode(), 2);
        const QString err = QString::fromUtf8(batch.readAllStandardError());
        QVERIFY2(err.startsWith(complaint), qPrintable(err));
        QVERIFY(err.contains(u"\n  mp3        -b 320 -r 48000 -c 2\n"
                             u"  rmvb       -b 320 -r 44100 -c 2 -v 1200 -s original -F 29\n"_s));
        if (complaint.contains(u"Usage"))
            QVERIFY2(!err.contains(QRegularExpression(u"[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"_s)),
                     qPrintable(err));
    }

    // What an install leaves in the application: the texts the program shows, Qt's own texts and the
    // guide it opens. Each install replaces the one before.
    void installSwitchesTheTexts_data()
    {
        QTest::addColumn<Language>("asked");
        QTest::addColumn<bool>("withTranslation"); // the program folder holds translations/
        QTest::addColumn<Language>("shown");
        QTest::addColumn<QString>("failedTitle");
        QTest::addColumn<QString>("qtCancel");
        QTest::addColumn<QString>("guide");
        QTest::newRow("English") << Language::English << true << Language::English << u"Conversion failed"_s
                                 << u"Cancel"_s << u"help_en.html"_s;
        QTest::newRow("Chinese") << Language::Chinese << true << Language::Chinese << u"转换失败"_s
                                 << u"取消"_s << u"help.html"_s;
        QTest::newRow("English without its file") << Language::English << false << Language::Chinese
                                                  << u"转换失败"_s << u"取消"_s << u"help.html"_s;
    }
    void installSwitchesTheTexts()
    {
        QFETCH(Language, asked);
        QFETCH(bool, withTranslation);
        QFETCH(Language, shown);
        QFETCH(QString, failedTitle);
        QFETCH(QString, qtCancel);
        QFETCH(QString, guide);
        QTemporaryDir bare;
        InterfaceLanguage::install(Language::English, TestMedia::programFolder());
        QCOMPARE(
            InterfaceLanguage::install(asked, withTranslation ? TestMedia::programFolder() : bare.path()),
            shown);
        QCOMPARE(InterfaceLanguage::installed(), shown);
        QCOMPARE(RunTexts::failedTitle(), failedTitle);
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), qtCancel);
        QCOMPARE(InterfaceLanguage::helpFileName(), guide);
    }
};

QTEST_GUILESS_MAIN(TestInterfaceLanguage)
#include "tst_interfacelanguage.moc"
