#include "shell/frmoptions.h"

#include "shell/cuttime.h"
#include "shell/numbertext.h"
#include "shell/optionsfile.h"
#include "shell/programsettings.h"
#include "shell/userservices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

frmOptions::frmOptions(const QString &programFolder, QWidget *parent)
    : QDialog(parent)
    , m_programFolder(programFolder)
{
    setWindowTitle(QStringLiteral("选项设置"));
    setModal(true);
    setFixedSize(300, 214);

    Label1 = new QLabel(QStringLiteral("转换完毕声音提示"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(20, 40, 130, 22);

    cmbSR = new QComboBox(this);
    cmbSR->setObjectName(QStringLiteral("cmbSR"));
    cmbSR->addItems({QStringLiteral("ON"), QStringLiteral("OFF")});
    cmbSR->setGeometry(160, 40, 80, 22);

    chkMC = new QCheckBox(QStringLiteral("Music Cutter"), this);
    chkMC->setObjectName(QStringLiteral("chkMC"));
    chkMC->setGeometry(20, 74, 200, 22);
    connect(chkMC, &QCheckBox::toggled, this, &frmOptions::chkMC_Click);

    // Each row is named and each field carries its unit, so the six boxes read as two times.
    addCaption(QStringLiteral("lblFrom"), QStringLiteral("开始"), QRect(20, 104, 36, 22));
    txtFromH = addTimeField(QStringLiteral("txtFromH"), QStringLiteral("时"), 58, 104);
    txtFromM = addTimeField(QStringLiteral("txtFromM"), QStringLiteral("分"), 124, 104);
    txtFromS = addTimeField(QStringLiteral("txtFromS"), QStringLiteral("秒"), 190, 104);
    addCaption(QStringLiteral("lblTo"), QStringLiteral("结束"), QRect(20, 134, 36, 22));
    txtToH = addTimeField(QStringLiteral("txtToH"), QStringLiteral("时"), 58, 134);
    txtToM = addTimeField(QStringLiteral("txtToM"), QStringLiteral("分"), 124, 134);
    txtToS = addTimeField(QStringLiteral("txtToS"), QStringLiteral("秒"), 190, 134);

    imgExit = addPictureButton(QStringLiteral("imgExit"), QStringLiteral("Exit"),
                               QStyle::SP_TitleBarCloseButton, QRect(272, 4, 24, 24));
    imgOK = addPictureButton(QStringLiteral("imgOK"), QStringLiteral("OK"), QStyle::SP_DialogApplyButton,
                             QRect(20, 174, 28, 28));
    imgBack = addPictureButton(QStringLiteral("imgBack"), QStringLiteral("Back"), QStyle::SP_ArrowBack,
                               QRect(54, 174, 28, 28));
    connect(imgOK, &QToolButton::clicked, this, &frmOptions::imgOK_Click);
    connect(imgBack, &QToolButton::clicked, this, &frmOptions::imgBack_Click);
    connect(imgExit, &QToolButton::clicked, this, &frmOptions::imgExit_Click);

    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(128, 176, 76, 26);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmOptions::imgOK_Click);

    Command2 = new QPushButton(QStringLiteral("返回"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(210, 176, 76, 26);
    connect(Command2, &QPushButton::clicked, this, &frmOptions::imgExit_Click);

    Form_Load();
}

QLabel *frmOptions::addCaption(const QString &name, const QString &text, const QRect &place)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(name);
    label->setGeometry(place);
    return label;
}

QLineEdit *frmOptions::addTimeField(const QString &name, const QString &unit, int x, int y)
{
    auto *field = new QLineEdit(QStringLiteral("0"), this);
    field->setObjectName(name);
    field->setGeometry(x, y, 44, 22);
    addCaption(name + QStringLiteral("Unit"), unit, QRect(x + 47, y, 16, 22));
    return field;
}

QToolButton *frmOptions::addPictureButton(const QString &name, const QString &tip,
                                          QStyle::StandardPixmap icon, const QRect &place)
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(style()->standardIcon(icon));
    button->setGeometry(place);
    return button;
}

QList<QLineEdit *> frmOptions::timeFields() const
{
    return {txtFromH, txtFromM, txtFromS, txtToH, txtToM, txtToS};
}

void frmOptions::Form_Load()
{
    const ProgramSettings &settings = ProgramSettings::instance();
    // An index outside the list leaves it without a selection.
    cmbSR->setCurrentIndex(settings.SoundPromptIndex >= 0 && settings.SoundPromptIndex < cmbSR->count()
                               ? settings.SoundPromptIndex
                               : -1);
    chkMC->setChecked(settings.CutterEnabled == 1);
    chkMC_Click();
    if (!chkMC->isChecked())
        return;
    const CutTime::Parts from = CutTime::split(settings.CutStartSeconds);
    const CutTime::Parts to = CutTime::split(settings.CutEndSeconds);
    txtFromH->setText(QString::number(from.hours));
    txtFromM->setText(QString::number(from.minutes));
    txtFromS->setText(QString::number(from.seconds));
    txtToH->setText(QString::number(to.hours));
    txtToM->setText(QString::number(to.minutes));
    txtToS->setText(QString::number(to.seconds));
}

void frmOptions::chkMC_Click()
{
    for (QLineEdit *field : timeFields())
        field->setEnabled(chkMC->isChecked());
}

bool frmOptions::checkBelowSixty(QLineEdit *field, const QString &message, const QString &title)
{
    if (NumberText::leading(field->text()) <= 59)
        return true;
    UserServices::instance().showMessage(UserServices::Icon::Warning, title, message);
    field->setFocus();
    return false;
}

void frmOptions::imgOK_Click()
{
    const QString minutesMessage = QStringLiteral("分钟必须小于60");
    const QString minutesTitle = QStringLiteral("分钟");
    const QString secondsMessage = QStringLiteral("秒必须小于60");
    const QString secondsTitle = QStringLiteral("秒");
    if (!checkBelowSixty(txtFromM, minutesMessage, minutesTitle) ||
        !checkBelowSixty(txtToM, minutesMessage, minutesTitle) ||
        !checkBelowSixty(txtFromS, secondsMessage, secondsTitle) ||
        !checkBelowSixty(txtToS, secondsMessage, secondsTitle))
        return;

    const QList<QLineEdit *> fields = timeFields();
    if (std::all_of(fields.cbegin(), fields.cend(),
                    [](const QLineEdit *field) { return NumberText::leading(field->text()) == 0; }))
        chkMC->setChecked(false);

    ProgramSettings &settings = ProgramSettings::instance();
    settings.SoundPromptIndex = qint16(cmbSR->currentIndex());
    settings.CutterEnabled = chkMC->isChecked() ? 1 : 0;
    // A range too large for 32 bits is not stored; that value stays as it was.
    if (const auto start = CutTime::toSeconds(txtFromH->text(), txtFromM->text(), txtFromS->text()))
        settings.CutStartSeconds = *start;
    if (const auto end = CutTime::toSeconds(txtToH->text(), txtToM->text(), txtToS->text()))
        settings.CutEndSeconds = *end;
    // A file that cannot be written is not reported: the settings already hold the new values.
    OptionsFile::write(m_programFolder + QLatin1Char('/') + OptionsFile::fileName(), settings);
    accept();
}

void frmOptions::imgBack_Click()
{
    reject();
}

void frmOptions::imgExit_Click()
{
    reject();
}

void frmOptions::mousePressEvent(QMouseEvent *event)
{
    // Pressing the left button on the bare background drags the dialog.
    if (event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QDialog::mousePressEvent(event);
}
