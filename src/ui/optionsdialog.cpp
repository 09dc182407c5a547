#include "ui/optionsdialog.h"

#include "conversion/cuttime.h"
#include "platform/userservices.h"
#include "settings/numbertext.h"
#include "settings/optionsfile.h"
#include "settings/programoptions.h"

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
    const ProgramOption &sound = ProgramOptions::of(&ProgramSettings::soundChoice);
    auto *soundLabel = addCaption(QStringLiteral("soundLabel"), caption(sound), QRect(20, 40, 130, 22));
    auto *soundCombo = new QComboBox(this);
    soundCombo->setObjectName(QStringLiteral("soundCombo"));
    soundCombo->addItems({tr("ON"), tr("OFF")});
    soundCombo->setGeometry(160, 40, 80, 22);
    soundLabel->setBuddy(soundCombo);
    m_controls.append({&sound, soundCombo});

    m_cutterCheck = addSwitch(ProgramOptions::of(&ProgramSettings::cutter), QStringLiteral("cutterCheck"),
                              QRect(20, 74, 200, 22));
    connect(m_cutterCheck, &QCheckBox::toggled, this, &OptionsDialog::updateTimeFieldsEnabled);

    // Each row is named and each field carries its unit, so the six boxes read as two times.
    const QString hours = tr("时", "unit after a time field");
    const QString minutes = tr("分", "unit after a time field");
    const QString seconds = tr("秒", "unit after a time field");
    addCaption(QStringLiteral("startLabel"), caption(ProgramOptions::of(&ProgramSettings::cutStartSeconds)),
               QRect(20, 104, 36, 22));
    m_startHoursEdit = addTimeField(QStringLiteral("startHoursEdit"), tr("开始 时"), hours, 58, 104);
    m_startMinutesEdit = addTimeField(QStringLiteral("startMinutesEdit"), tr("开始 分"), minutes, 124, 104);
    m_startSecondsEdit = addTimeField(QStringLiteral("startSecondsEdit"), tr("开始 秒"), seconds, 190, 104);
    addCaption(QStringLiteral("endLabel"), caption(ProgramOptions::of(&ProgramSettings::cutEndSeconds)),
               QRect(20, 134, 36, 22));
    m_endHoursEdit = addTimeField(QStringLiteral("endHoursEdit"), tr("结束 时"), hours, 58, 134);
    m_endMinutesEdit = addTimeField(QStringLiteral("endMinutesEdit"), tr("结束 分"), minutes, 124, 134);
    m_endSecondsEdit = addTimeField(QStringLiteral("endSecondsEdit"), tr("结束 秒"), seconds, 190, 134);

    addNumber(ProgramOptions::of(&ProgramSettings::simultaneousFiles), QStringLiteral("simultaneous"),
              QRect(20, 164, 130, 22), 160);

    m_libraryCheck = addSwitch(ProgramOptions::of(&ProgramSettings::libraryMode),
                               QStringLiteral("libraryCheck"), QRect(20, 194, 200, 22));
    auto *libraryHint =
        addCaption(QStringLiteral("libraryHint"),
                   tr("保留文件夹结构和封面，文件名不加时间，跳过已转换的文件"), QRect(38, 216, 336, 20));
    m_libraryCheck->setAccessibleDescription(libraryHint->text());
    addSwitch(ProgramOptions::of(&ProgramSettings::deleteOrphans), QStringLiteral("deleteOrphansCheck"),
              QRect(38, 240, 336, 22));
    addNumber(ProgramOptions::of(&ProgramSettings::coverEdge), QStringLiteral("coverEdge"),
              QRect(38, 266, 130, 22), 176)
        ->setSpecialValueText(tr("不限"));
    addSwitch(ProgramOptions::of(&ProgramSettings::fatNames), QStringLiteral("fatNamesCheck"),
              QRect(38, 294, 336, 22));
    // Library-mode choices: they mean nothing without library mode.
    for (QWidget *choice : libraryChoices())
        connect(m_libraryCheck, &QCheckBox::toggled, choice, &QWidget::setEnabled);
}

QString OptionsDialog::caption(const ProgramOption &option)
{
    return tr(option.caption);
}

QCheckBox *OptionsDialog::addSwitch(const ProgramOption &option, const QString &name, const QRect &place)
{
    auto *check = new QCheckBox(caption(option), this);
    check->setObjectName(name);
    check->setGeometry(place);
    m_controls.append({&option, check});
    return check;
}

QSpinBox *OptionsDialog::addNumber(const ProgramOption &option, const QString &name,
                                   const QRect &captionPlace, int x)
{
    auto *label = addCaption(name + QStringLiteral("Label"), caption(option), captionPlace);
    auto *spin = new QSpinBox(this);
    spin->setObjectName(name + QStringLiteral("Spin"));
    spin->setRange(option.least, option.mostWith(ProgramSettings::mostSimultaneousFiles()));
    spin->setGeometry(x, captionPlace.y(), 80, 22);
    label->setBuddy(spin);
    m_controls.append({&option, spin});
    return spin;
}

QList<QWidget *> OptionsDialog::libraryChoices() const
{
    QList<QWidget *> choices;
    for (const auto &[option, control] : m_controls) {
        if (option->libraryOnly)
            choices.append(control);
    }
    return choices;
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
    for (const auto &[option, control] : m_controls) {
        const qint64 value = option->value(settings);
        // An index outside the list leaves it without a selection; a check box is on for 1 only.
        if (auto *combo = qobject_cast<QComboBox *>(control))
            combo->setCurrentIndex(value >= 0 && value < combo->count() ? int(value) : -1);
        else if (auto *check = qobject_cast<QCheckBox *>(control))
            check->setChecked(value == 1);
        else if (auto *spin = qobject_cast<QSpinBox *>(control))
            spin->setValue(int(value));
    }
    for (QWidget *choice : libraryChoices())
        choice->setEnabled(settings.libraryMode);
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
    for (const auto &[option, control] : m_controls) {
        if (auto *combo = qobject_cast<QComboBox *>(control))
            option->assign(settings, combo->currentIndex());
        else if (auto *check = qobject_cast<QCheckBox *>(control))
            option->assign(settings, check->isChecked() ? 1 : 0);
        else if (auto *spin = qobject_cast<QSpinBox *>(control))
            option->assign(settings, spin->value());
    }
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
