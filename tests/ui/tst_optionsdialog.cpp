#include "common/recordingservices.h"
#include "common/testfiles.h"
#include "settings/optionsfile.h"
#include "settings/programsettings.h"
#include "ui/optionsdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using TestFiles::fileContent;

using Sound = ProgramSettings::SoundChoice;
using Cutter = ProgramSettings::CutterSwitch;

namespace {

const QStringList fieldNames{u"startHoursEdit"_qs, u"startMinutesEdit"_qs, u"startSecondsEdit"_qs,
                             u"endHoursEdit"_qs,   u"endMinutesEdit"_qs,   u"endSecondsEdit"_qs};
const QByteArray oldOptions("0\r\n0\r\n11\r\n22\r\n");

QLineEdit *field(const QDialog &dialog, const QString &name)
{
    return dialog.findChild<QLineEdit *>(name);
}

QStringList fieldTexts(const QDialog &dialog)
{
    QStringList texts;
    for (const QString &name : fieldNames)
        texts.append(field(dialog, name)->text());
    return texts;
}

bool fieldsEnabled(const QDialog &dialog)
{
    return std::all_of(fieldNames.cbegin(), fieldNames.cend(),
                       [&](const QString &name) { return field(dialog, name)->isEnabled(); });
}

} // namespace

class TestOptionsDialog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;
    ProgramSettings m_settings;
    RecordingServices m_services; // for the tests that look at no message

    QString optionsPath() const { return m_folder.filePath(OptionsFile::fileName()); }

private slots:
    void init()
    {
        QFile file(optionsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(oldOptions);
    }

    // What the dialog shows when it opens.
    void load_data()
    {
        QTest::addColumn<ProgramSettings>("settings");
        QTest::addColumn<int>("soundIndex");
        QTest::addColumn<bool>("cutter");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("3725 s, cutter on")
            << ProgramSettings{Sound(0), Cutter(1), 3725, 7322} << 0 << true
            << QStringList{u"1"_qs, u"2"_qs, u"5"_qs, u"2"_qs, u"2"_qs, u"2"_qs};
        QTest::newRow("3725 s, cutter off")
            << ProgramSettings{Sound(1), Cutter(0), 3725, 7322} << 1 << false << QStringList(6, u"0"_qs);
        QTest::newRow("cutter value 2 is not on")
            << ProgramSettings{Sound(0), Cutter(2), 3725, 0} << 0 << false << QStringList(6, u"0"_qs);
        QTest::newRow("sound index outside the list")
            << ProgramSettings{Sound(5), Cutter(1), 0, 59} << -1 << true
            << QStringList{u"0"_qs, u"0"_qs, u"0"_qs, u"0"_qs, u"0"_qs, u"59"_qs};
        QTest::newRow("negative start")
            << ProgramSettings{Sound(-1), Cutter(1), -100, 2147483647} << -1 << true
            << QStringList{u"-1"_qs, u"58"_qs, u"20"_qs, u"596523"_qs, u"14"_qs, u"7"_qs};
    }
    void load()
    {
        QFETCH(ProgramSettings, settings);
        m_settings = settings;
        OptionsDialog dialog(m_settings, m_folder.path(), m_services);
        QCOMPARE(dialog.windowTitle(), u"选项设置"_qs);
        QVERIFY(dialog.isModal());
        QTEST(dialog.findChild<QComboBox *>(u"soundCombo"_qs)->currentIndex(), "soundIndex");
        QTEST(dialog.findChild<QCheckBox *>(u"cutterCheck"_qs)->isChecked(), "cutter");
        QTEST(fieldsEnabled(dialog), "cutter");
        QTEST(fieldTexts(dialog), "texts");
    }

    void switchEnablesFields()
    {
        m_settings = ProgramSettings{Sound(0), Cutter(0), 3725, 0};
        OptionsDialog dialog(m_settings, m_folder.path(), m_services);
        auto *cutter = dialog.findChild<QCheckBox *>(u"cutterCheck"_qs);
        QVERIFY(!fieldsEnabled(dialog));
        cutter->click();
        QVERIFY(fieldsEnabled(dialog));
        // The texts stay as they were: the stored seconds are not shown.
        QCOMPARE(fieldTexts(dialog), QStringList(6, u"0"_qs));
        cutter->click();
        QVERIFY(!fieldsEnabled(dialog));
    }

    // OK: the checks in their order, then what is stored and written.
    void ok_data()
    {
        QTest::addColumn<ProgramSettings>("before");
        QTest::addColumn<QStringList>(
            "edits"); // "name=text"; "cutterCheck=1"/"cutterCheck=0"; "soundCombo=index"
        QTest::addColumn<ProgramSettings>("after");
        QTest::addColumn<QString>("title"); // of the warning; empty when OK succeeds
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");

        const ProgramSettings on{Sound(0), Cutter(1), 3725, 7322};
        QTest::newRow("unchanged") << on << QStringList() << on << QString() << QString() << QString();
        QTest::newRow("cutter off stores 0 ranges")
            << ProgramSettings{Sound(0), Cutter(0), 3725, 7322} << QStringList()
            << ProgramSettings{Sound(0), Cutter(0), 0, 0} << QString() << QString() << QString();
        QTest::newRow("minutes 60 in the start row")
            << on << QStringList{u"startMinutesEdit=60"_qs} << on << u"分钟"_qs << u"分钟必须小于60"_qs
            << u"startMinutesEdit"_qs;
        QTest::newRow("seconds 59.5 in the end row")
            << on << QStringList{u"endMinutesEdit=59"_qs, u"endSecondsEdit=59.5"_qs} << on << u"秒"_qs
            << u"秒必须小于60"_qs << u"endSecondsEdit"_qs;
        QTest::newRow("end minutes checked before start seconds")
            << on << QStringList{u"startSecondsEdit=61"_qs, u"endMinutesEdit=75"_qs} << on << u"分钟"_qs
            << u"分钟必须小于60"_qs << u"endMinutesEdit"_qs;
        QTest::newRow("checked with the cutter off")
            << ProgramSettings{Sound(0), Cutter(0), 5, 6} << QStringList{u"startSecondsEdit=60"_qs}
            << ProgramSettings{Sound(0), Cutter(0), 5, 6} << u"秒"_qs << u"秒必须小于60"_qs
            << QString(); // a disabled field cannot take the focus
        QTest::newRow("all zero unticks")
            << on << QStringList{u"startHoursEdit=0"_qs, u"startMinutesEdit=0"_qs, u"startSecondsEdit=0"_qs,
                                 u"endHoursEdit=0"_qs,   u"endMinutesEdit=0"_qs,   u"endSecondsEdit=0"_qs}
            << ProgramSettings{Sound(0), Cutter(0), 0, 0} << QString() << QString() << QString();
        QTest::newRow("2 h 0 min 30 s")
            << on << QStringList{u"startHoursEdit=2"_qs, u"startMinutesEdit=0"_qs, u"startSecondsEdit=30"_qs}
            << ProgramSettings{Sound(0), Cutter(1), 7230, 7322} << QString() << QString() << QString();
        QTest::newRow("start after end")
            << on << QStringList{u"startHoursEdit=0"_qs, u"startMinutesEdit=5"_qs, u"startSecondsEdit=0"_qs,
                                 u"endHoursEdit=0"_qs,   u"endMinutesEdit=1"_qs,   u"endSecondsEdit=0"_qs}
            << on << u"结束"_qs << u"结束时间必须晚于开始时间"_qs << u"endHoursEdit"_qs;
        QTest::newRow("end equal to start, compared in whole seconds")
            << on << QStringList{u"startHoursEdit=0"_qs, u"startMinutesEdit=0"_qs, u"startSecondsEdit=5.4"_qs,
                                 u"endHoursEdit=0"_qs,   u"endMinutesEdit=0"_qs,   u"endSecondsEdit=4.6"_qs}
            << on << u"结束"_qs << u"结束时间必须晚于开始时间"_qs << u"endHoursEdit"_qs;
        QTest::newRow("end of zero cuts to the end")
            << on << QStringList{u"endHoursEdit=0"_qs, u"endMinutesEdit=0"_qs, u"endSecondsEdit=0"_qs}
            << ProgramSettings{Sound(0), Cutter(1), 3725, 0} << QString() << QString() << QString();
        QTest::newRow("negative start") << on << QStringList{u"startSecondsEdit=-5"_qs} << on << u"开始"_qs
                                        << u"时间不能为负数"_qs << u"startSecondsEdit"_qs;
        QTest::newRow("negative end") << on << QStringList{u"endHoursEdit=-1"_qs} << on << u"结束"_qs
                                      << u"时间不能为负数"_qs << u"endHoursEdit"_qs;
        QTest::newRow("three files at once")
            << on << QStringList{u"simultaneousSpin=3"_qs}
            << ProgramSettings{Sound(0), Cutter(1), 3725, 7322,
                               qMin(3, ProgramSettings::mostSimultaneousFiles())}
            << QString() << QString() << QString();
        QTest::newRow("OFF") << on << QStringList{u"soundCombo=1"_qs}
                             << ProgramSettings{Sound(1), Cutter(1), 3725, 7322} << QString() << QString()
                             << QString();
        QTest::newRow("letters and fractions")
            << on
            << QStringList{u"startHoursEdit=abc"_qs, u"startMinutesEdit= 1.5x"_qs, u"startSecondsEdit=0.5"_qs}
            << ProgramSettings{Sound(0), Cutter(1), 90, 7322} << QString() << QString() << QString();
        QTest::newRow("600000 hours") << on << QStringList{u"startHoursEdit=600000"_qs, u"endHoursEdit=3"_qs}
                                      << on << u"小时"_qs << u"小时必须小于100"_qs << u"startHoursEdit"_qs;
        QTest::newRow("hours 100 in the end row, checked before minutes")
            << on << QStringList{u"startMinutesEdit=60"_qs, u"endHoursEdit=100"_qs} << on << u"小时"_qs
            << u"小时必须小于100"_qs << u"endHoursEdit"_qs;
        QTest::newRow("hours 99.5") << on << QStringList{u"startHoursEdit=99.5"_qs} << on << u"小时"_qs
                                    << u"小时必须小于100"_qs << u"startHoursEdit"_qs;
        QTest::newRow("99:59:59, the most the fields show")
            << on
            << QStringList{u"startHoursEdit=99"_qs, u"startMinutesEdit=59"_qs, u"startSecondsEdit=59"_qs,
                           u"endHoursEdit=0"_qs,    u"endMinutesEdit=0"_qs,    u"endSecondsEdit=0"_qs}
            << ProgramSettings{Sound(0), Cutter(1), 359999, 0} << QString() << QString() << QString();
        QTest::newRow("no sound entry stores -1")
            << ProgramSettings{Sound(7), Cutter(1), 1, 2} << QStringList()
            << ProgramSettings{Sound(-1), Cutter(1), 1, 2} << QString() << QString() << QString();
        QTest::newRow("ticking the cutter")
            << ProgramSettings{Sound(0), Cutter(0), 0, 0}
            << QStringList{u"cutterCheck=1"_qs, u"endMinutesEdit=3"_qs}
            << ProgramSettings{Sound(0), Cutter(1), 0, 180} << QString() << QString() << QString();
        QTest::newRow("library mode on")
            << ProgramSettings{Sound(0), Cutter(0), 0, 0} << QStringList{u"libraryCheck=1"_qs}
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true} << QString() << QString() << QString();
        QTest::newRow("library mode off")
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true} << QStringList{u"libraryCheck=0"_qs}
            << ProgramSettings{Sound(0), Cutter(0), 0, 0} << QString() << QString() << QString();
        QTest::newRow("covers up to 600 px, names as they are")
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true}
            << QStringList{u"coverEdgeSpin=600"_qs, u"fatNamesCheck=0"_qs}
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true, false, 600, false} << QString()
            << QString() << QString();
        QTest::newRow("covers up to the largest edge")
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true} << QStringList{u"coverEdgeSpin=99999"_qs}
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true, false, 99999} << QString() << QString()
            << QString();
        QTest::newRow("deleting orphans")
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true} << QStringList{u"deleteOrphansCheck=1"_qs}
            << ProgramSettings{Sound(0), Cutter(0), 0, 0, 1, true, true} << QString() << QString()
            << QString();
    }
    void ok()
    {
        QFETCH(ProgramSettings, before);
        QFETCH(QStringList, edits);
        QFETCH(ProgramSettings, after);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        RecordingServices services;
        m_settings = before;
        OptionsDialog dialog(m_settings, m_folder.path(), services);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        for (const QString &edit : edits) {
            const QString name = edit.section(QLatin1Char('='), 0, 0);
            const QString value = edit.section(QLatin1Char('='), 1);
            if (name.endsWith(u"Check"))
                dialog.findChild<QCheckBox *>(name)->setChecked(value == u"1");
            else if (name == u"soundCombo")
                dialog.findChild<QComboBox *>(name)->setCurrentIndex(value.toInt());
            else if (name.endsWith(u"Spin"))
                dialog.findChild<QSpinBox *>(name)->setValue(value.toInt());
            else
                field(dialog, name)->setText(value);
        }
        QTest::mouseClick(dialog.findChild<QPushButton *>(u"okButton"_qs), Qt::LeftButton);
        QCOMPARE(m_settings, after);
        if (title.isEmpty()) {
            QVERIFY(services.messages.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(!dialog.isVisible());
            QCOMPARE(fileContent(optionsPath()), OptionsFile::compose(after));
            QCOMPARE(dialog.findChild<QCheckBox *>(u"cutterCheck"_qs)->isChecked(),
                     after.cutter == ProgramSettings::CutterSwitch::On);
            QCOMPARE(fieldsEnabled(dialog), after.cutter == ProgramSettings::CutterSwitch::On);
        } else {
            QCOMPARE(services.messages.size(), 1);
            QCOMPARE(services.messages[0].icon, UserServices::Icon::Warning);
            QCOMPARE(services.messages[0].title, title);
            QCOMPARE(services.messages[0].text, message);
            QVERIFY(dialog.isVisible());
            if (!focus.isEmpty())
                QCOMPARE(QApplication::focusWidget(), field(dialog, focus));
            QCOMPARE(fileContent(optionsPath()), oldOptions);
        }
    }

    void offStoresDigitOne()
    {
        RecordingServices services;
        m_settings = ProgramSettings{};
        OptionsDialog dialog(m_settings, m_folder.path(), services);
        dialog.findChild<QComboBox *>(u"soundCombo"_qs)->setCurrentIndex(1);
        dialog.storeAndClose();
        QCOMPARE(fileContent(optionsPath()).left(3), QByteArray("1\r\n"));
        QVERIFY(!m_settings.playsCompletionSound());
    }

    void unwritableFileIsNotReported()
    {
        RecordingServices services;
        m_settings = ProgramSettings{};
        QVERIFY(QFile::setPermissions(optionsPath(), QFile::ReadOwner));
        OptionsDialog dialog(m_settings, m_folder.path(), services);
        dialog.findChild<QComboBox *>(u"soundCombo"_qs)->setCurrentIndex(1);
        dialog.storeAndClose();
        QVERIFY(QFile::setPermissions(optionsPath(), QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(services.messages.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(m_settings.soundChoice, ProgramSettings::SoundChoice::Off);
        QCOMPARE(fileContent(optionsPath()), oldOptions);
    }

    // Back, Exit and the back button close without storing; the next showing starts from the settings.
    void closeWithoutStoring_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("backPicture") << u"backPicture"_qs;
        QTest::newRow("closePicture") << u"closePicture"_qs;
        QTest::newRow("backButton") << u"backButton"_qs;
    }
    void closeWithoutStoring()
    {
        QFETCH(QString, button);
        RecordingServices services;
        const ProgramSettings stored{Sound(0), Cutter(1), 3725, 7322};
        m_settings = stored;
        {
            OptionsDialog dialog(m_settings, m_folder.path(), services);
            dialog.show();
            dialog.findChild<QComboBox *>(u"soundCombo"_qs)->setCurrentIndex(1);
            dialog.findChild<QCheckBox *>(u"cutterCheck"_qs)->setChecked(false);
            for (const QString &name : fieldNames)
                field(dialog, name)->setText(u"9"_qs);
            QTest::mouseClick(dialog.findChild<QAbstractButton *>(button), Qt::LeftButton);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(!dialog.isVisible());
        }
        QCOMPARE(m_settings, stored);
        QCOMPARE(fileContent(optionsPath()), oldOptions);
        QVERIFY(services.messages.isEmpty());
        OptionsDialog again(m_settings, m_folder.path(), services);
        QCOMPARE(fieldTexts(again), (QStringList{u"1"_qs, u"2"_qs, u"5"_qs, u"2"_qs, u"2"_qs, u"2"_qs}));
        QCOMPARE(again.findChild<QComboBox *>(u"soundCombo"_qs)->currentIndex(), 0);
    }

    // The rows say which time they hold and every field its unit; no caption is cut or covers a field.
    void timeFieldsAreLabelled()
    {
        OptionsDialog dialog(m_settings, m_folder.path(), m_services);
        const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
        const auto captionAt = [&labels](const QRect &place) {
            for (const QLabel *label : labels) {
                if (label->geometry().intersects(place))
                    return label->text();
            }
            return QString();
        };
        for (const QLabel *label : labels) {
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
            for (const QString &name : fieldNames)
                QVERIFY2(!label->geometry().intersects(field(dialog, name)->geometry()), qPrintable(name));
        }
        const QString units[] = {u"时"_qs, u"分"_qs, u"秒"_qs};
        for (int k = 0; k < fieldNames.size(); ++k) {
            const QRect box = field(dialog, fieldNames.at(k))->geometry();
            QCOMPARE(captionAt(QRect(box.right() + 1, box.top(), 8, box.height())), units[k % 3]);
        }
        QCOMPARE(captionAt(QRect(0, field(dialog, u"startHoursEdit"_qs)->y(),
                                 field(dialog, u"startHoursEdit"_qs)->x(), 22)),
                 u"开始"_qs);
        QCOMPARE(captionAt(QRect(0, field(dialog, u"endHoursEdit"_qs)->y(),
                                 field(dialog, u"endHoursEdit"_qs)->x(), 22)),
                 u"结束"_qs);
    }

    void pictureButtonsShowTheHand()
    {
        OptionsDialog dialog(m_settings, m_folder.path(), m_services);
        for (const QString &name : {u"okPicture"_qs, u"backPicture"_qs, u"closePicture"_qs}) {
            auto *button = dialog.findChild<QToolButton *>(name);
            QVERIFY2(button, qPrintable(name));
            QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        }
    }
};

QTEST_MAIN(TestOptionsDialog)
#include "tst_optionsdialog.moc"
