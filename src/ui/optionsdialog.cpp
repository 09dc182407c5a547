#include "ui/optionsdialog.h"

#include "conversion/cuttime.h"
#include "platform/userservices.h"
#include "settings/numbertext.h"
#include "settings/optionsfile.h"
#include "settings/programsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

OptionsDialog::OptionsDialog(ProgramSettings &settings, const QString &settingsFolder, UserServices &services,
                             QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_settingsFolder(settingsFolder)
    , m_services(services)
{
    setWindowTitle(tr("选项设置"));
    setModal(true);
    setFixedSize(380, 376);

    addFields();
    addButtons();
    showStoredSettings();
}

void OptionsDialog::addFields()
{
    auto *soundLabel =
        addCaption(QStringLiteral("soundLabel"), tr("转换完毕声音提示"), QRect(20, 40, 130, 22));

    m_soundCombo = new QComboBox(this);
    m_soundCombo->setObjectName(QStringLiteral("soundCombo"));
    m_soundCombo->addItems({tr("ON"), tr("OFF")});
    m_soundCombo->setGeometry(160, 40, 80, 22);
    soundLabel->setBuddy(m_soundCombo);

    m_cutterCheck = new QCheckBox(tr("Music Cutter"), this);
    m_cutterCheck->setObjectName(QStringLiteral("cutterCheck"));
    m_cutterCheck->setGeometry(20, 74, 200, 22);
    connect(m_cutterCheck, &QCheckBox::toggled, this, &OptionsDialog::updateTimeFieldsEnabled);

    // Each row is named and each field carries its unit, so the six boxes read as two times.
    const QString hours = tr("时", "unit after a time field");
    const QString minutes = tr("分", "unit after a time field");
    const QString seconds = tr("秒", "unit after a time field");
    addCaption(QStringLiteral("startLabel"), tr("开始"), QRect(20, 104, 36, 22));
    m_startHoursEdit = addTimeField(QStringLiteral("startHoursEdit"), tr("开始 时"), hours, 58, 104);
    m_startMinutesEdit = addTimeField(QStringLiteral("startMinutesEdit"), tr("开始 分"), minutes, 124, 104);
    m_startSecondsEdit = addTimeField(QStringLiteral("startSecondsEdit"), tr("开始 秒"), seconds, 190, 104);
    addCaption(QStringLiteral("endLabel"), tr("结束"), QRect(20, 134, 36, 22));
    m_endHoursEdit = addTimeField(QStringLiteral("endHoursEdit"), tr("结束 时"), hours, 58, 134);
    m_endMinutesEdit = addTimeField(QStringLiteral("endMinutesEdit"), tr("结束 分"), minutes, 124, 134);
    m_endSecondsEdit = addTimeField(QStringLiteral("endSecondsEdit"), tr("结束 秒"), seconds, 190, 134);

    auto *simultaneousLabel =
        addCaption(QStringLiteral("simultaneousLabel"), tr("同时转换文件数"), QRect(20, 164, 130, 22));
    m_simultaneousSpin = new QSpinBox(this);
    m_simultaneousSpin->setObjectName(QStringLiteral("simultaneousSpin"));
    m_simultaneousSpin->setRange(1, ProgramSettings::mostSimultaneousFiles());
    m_simultaneousSpin->setGeometry(160, 164, 80, 22);
    simultaneousLabel->setBuddy(m_simultaneousSpin);

    m_libraryCheck = new QCheckBox(tr("音乐库模式"), this);
    m_libraryCheck->setObjectName(QStringLiteral("libraryCheck"));
    m_libraryCheck->setGeometry(20, 194, 200, 22);
    auto *libraryHint =
        addCaption(QStringLiteral("libraryHint"),
                   tr("保留文件夹结构和封面，文件名不加时间，跳过已转换的文件"), QRect(38, 216, 336, 20));
    m_libraryCheck->setAccessibleDescription(libraryHint->text());
    m_deleteOrphansCheck = new QCheckBox(tr("删除来源已不在的输出"), this);
    m_deleteOrphansCheck->setObjectName(QStringLiteral("deleteOrphansCheck"));
    m_deleteOrphansCheck->setGeometry(38, 240, 336, 22);
    auto *coverEdgeLabel =
        addCaption(QStringLiteral("coverEdgeLabel"), tr("封面最大边长"), QRect(38, 266, 130, 22));
    m_coverEdgeSpin = new QSpinBox(this);
    m_coverEdgeSpin->setObjectName(QStringLiteral("coverEdgeSpin"));
    m_coverEdgeSpin->setRange(0, 10000);
    m_coverEdgeSpin->setSpecialValueText(tr("不限"));
    m_coverEdgeSpin->setGeometry(176, 266, 80, 22);
    coverEdgeLabel->setBuddy(m_coverEdgeSpin);
    m_fatNamesCheck = new QCheckBox(tr("文件名兼容 FAT"), this);
    m_fatNamesCheck->setObjectName(QStringLiteral("fatNamesCheck"));
    m_fatNamesCheck->setGeometry(38, 294, 336, 22);
    // Library-mode choices: they mean nothing without library mode.
    for (QWidget *choice : libraryChoices())
        connect(m_libraryCheck, &QCheckBox::toggled, choice, &QWidget::setEnabled);
}

QList<QWidget *> OptionsDialog::libraryChoices() const
{
    return {m_deleteOrphansCheck, m_coverEdgeSpin, m_fatNamesCheck};
}

void OptionsDialog::addButtons()
{
    auto *closePicture = addPictureButton(QStringLiteral("closePicture"), tr("Exit"), tr("关闭"),
                                          QStyle::SP_TitleBarCloseButton, QRect(352, 4, 24, 24));
    auto *okPicture = addPictureButton(QStringLiteral("okPicture"), tr("OK"), tr("确定"),
                                       QStyle::SP_DialogApplyButton, QRect(20, 336, 28, 28));
    auto *backPicture = addPictureButton(QStringLiteral("backPicture"), tr("Back"), tr("返回"),
                                         QStyle::SP_ArrowBack, QRect(54, 336, 28, 28));
    connect(okPicture, &QToolButton::clicked, this, &OptionsDialog::storeAndClose);
    connect(backPicture, &QToolButton::clicked, this, &OptionsDialog::closeWithoutStoring);
    connect(closePicture, &QToolButton::clicked, this, &OptionsDialog::closeWithoutStoring);

    auto *okButton = new QPushButton(tr("确定"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setGeometry(208, 338, 76, 26);
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &OptionsDialog::storeAndClose);

    auto *backButton = new QPushButton(tr("返回"), this);
    backButton->setObjectName(QStringLiteral("backButton"));
    backButton->setGeometry(290, 338, 76, 26);
    connect(backButton, &QPushButton::clicked, this, &OptionsDialog::closeWithoutStoring);
}

QLabel *OptionsDialog::addCaption(const QString &name, const QString &text, const QRect &place)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
}

QLineEdit *OptionsDialog::addTimeField(const QString &name, const QString &accessibleName,
                                       const QString &unit, int x, int y)
{
    auto *field = new QLineEdit(QStringLiteral("0"), this);
    field->setObjectName(name);
    field->setAccessibleName(accessibleName);
    field->setGeometry(x, y, 44, 22);
    addCaption(name + QStringLiteral("Unit"), unit, QRect(x + 47, y, 16, 22));
    return field;
}

QToolButton *OptionsDialog::addPictureButton(const QString &name, const QString &tip,
                                             const QString &accessibleName, QStyle::StandardPixmap icon,
                                             const QRect &place)
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleName(accessibleName);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(style()->standardIcon(icon));
    button->setGeometry(place);
    return button;
}

QList<QLineEdit *> OptionsDialog::timeFields() const
{
    return {m_startHoursEdit, m_startMinutesEdit, m_startSecondsEdit,
            m_endHoursEdit,   m_endMinutesEdit,   m_endSecondsEdit};
}

void OptionsDialog::showStoredSettings()
{
    const ProgramSettings &settings = m_settings;
    // An index outside the list leaves it without a selection.
    const int sound = int(settings.soundChoice);
    m_soundCombo->setCurrentIndex(sound >= 0 && sound < m_soundCombo->count() ? sound : -1);
    m_simultaneousSpin->setValue(settings.simultaneousFiles);
    m_libraryCheck->setChecked(settings.libraryMode);
    m_deleteOrphansCheck->setChecked(settings.deleteOrphans);
    m_coverEdgeSpin->setValue(settings.coverEdge);
    m_fatNamesCheck->setChecked(settings.fatNames);
    for (QWidget *choice : libraryChoices())
        choice->setEnabled(settings.libraryMode);
    m_cutterCheck->setChecked(settings.cutter == ProgramSettings::CutterSwitch::On);
    updateTimeFieldsEnabled();
    if (!m_cutterCheck->isChecked())
        return;
    const CutTime::Parts from = CutTime::split(settings.cutStartSeconds);
    const CutTime::Parts to = CutTime::split(settings.cutEndSeconds);
    m_startHoursEdit->setText(QString::number(from.hours));
    m_startMinutesEdit->setText(QString::number(from.minutes));
    m_startSecondsEdit->setText(QString::number(from.seconds));
    m_endHoursEdit->setText(QString::number(to.hours));
    m_endMinutesEdit->setText(QString::number(to.minutes));
    m_endSecondsEdit->setText(QString::number(to.seconds));
}

void OptionsDialog::updateTimeFieldsEnabled()
{
    for (QLineEdit *field : timeFields())
        field->setEnabled(m_cutterCheck->isChecked());
}

bool OptionsDialog::checkAtMost(QLineEdit *field, double most, const QString &message, const QString &title)
{
    return NumberText::leading(field->text()) <= most || refuse(field, title, message);
}

bool OptionsDialog::refuse(QLineEdit *field, const QString &title, const QString &message)
{
    m_services.showMessage(UserServices::Icon::Warning, title, message);
    field->setFocus();
    return false;
}

bool OptionsDialog::checkRange()
{
    if (!m_cutterCheck->isChecked())
        return true;
    const QList<QLineEdit *> fields = timeFields();
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (NumberText::leading(fields[k]->text()) < 0)
            return refuse(fields[k], k < 3 ? CutTime::startTitle() : CutTime::endTitle(),
                          CutTime::negativeTime());
    }
    // Compared as they are stored: in whole seconds.
    const std::optional<qint32> start =
        CutTime::toSeconds(m_startHoursEdit->text(), m_startMinutesEdit->text(), m_startSecondsEdit->text());
    const std::optional<qint32> end =
        CutTime::toSeconds(m_endHoursEdit->text(), m_endMinutesEdit->text(), m_endSecondsEdit->text());
    if (start && end && !CutTime::endsAfterStart(*start, *end))
        return refuse(m_endHoursEdit, CutTime::endTitle(), CutTime::endBeforeStart());
    return true;
}

void OptionsDialog::storeAndClose()
{
    const QString minutesMessage = tr("分钟必须小于60");
    const QString minutesTitle = tr("分钟");
    const QString secondsMessage = tr("秒必须小于60");
    const QString secondsTitle = tr("秒", "title of a warning about the seconds");
    // Hours below 100 keep every range within what the fields can show again (CutTime::MostSeconds).
    if (!checkAtMost(m_startHoursEdit, 99, CutTime::hoursTooLarge(), CutTime::hoursTitle()) ||
        !checkAtMost(m_endHoursEdit, 99, CutTime::hoursTooLarge(), CutTime::hoursTitle()) ||
        !checkAtMost(m_startMinutesEdit, 59, minutesMessage, minutesTitle) ||
        !checkAtMost(m_endMinutesEdit, 59, minutesMessage, minutesTitle) ||
        !checkAtMost(m_startSecondsEdit, 59, secondsMessage, secondsTitle) ||
        !checkAtMost(m_endSecondsEdit, 59, secondsMessage, secondsTitle) || !checkRange())
        return;

    const QList<QLineEdit *> fields = timeFields();
    if (std::all_of(fields.cbegin(), fields.cend(),
                    [](const QLineEdit *field) { return NumberText::leading(field->text()) == 0; }))
        m_cutterCheck->setChecked(false);

    ProgramSettings &settings = m_settings;
    settings.soundChoice = ProgramSettings::SoundChoice(m_soundCombo->currentIndex());
    settings.cutter =
        m_cutterCheck->isChecked() ? ProgramSettings::CutterSwitch::On : ProgramSettings::CutterSwitch::Off;
    settings.simultaneousFiles = m_simultaneousSpin->value();
    settings.libraryMode = m_libraryCheck->isChecked();
    settings.deleteOrphans = m_deleteOrphansCheck->isChecked();
    settings.coverEdge = m_coverEdgeSpin->value();
    settings.fatNames = m_fatNamesCheck->isChecked();
    // A range too large for 32 bits is not stored; that value stays as it was.
    if (const auto start = CutTime::toSeconds(m_startHoursEdit->text(), m_startMinutesEdit->text(),
                                              m_startSecondsEdit->text()))
        settings.cutStartSeconds = *start;
    if (const auto end =
            CutTime::toSeconds(m_endHoursEdit->text(), m_endMinutesEdit->text(), m_endSecondsEdit->text()))
        settings.cutEndSeconds = *end;
    // A file that cannot be written is not reported: the settings already hold the new values.
    OptionsFile::write(OptionsFile::pathIn(m_settingsFolder), settings);
    accept();
}

void OptionsDialog::closeWithoutStoring()
{
    reject();
}

void OptionsDialog::mousePressEvent(QMouseEvent *event)
{
    // Pressing the left button on the bare background drags the dialog.
    if (event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}
