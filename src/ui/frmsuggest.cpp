#include "ui/frmsuggest.h"

#include "ui/feedbackrequest.h"
#include "ui/twips.h"

#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

namespace {

void makeLabel(QWidget *parent, const QString &objectName, const QString &text, QPoint position)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(objectName);
    label->move(position);
    label->adjustSize();
}

QLineEdit *makeField(QWidget *parent, const QString &objectName, int maxLength, const QRect &geometry)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setMaxLength(maxLength);
    field->setGeometry(geometry);
    return field;
}

QPushButton *makeButton(QWidget *parent, const QString &objectName, const QString &text,
                        const QRect &geometry)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setGeometry(geometry);
    return button;
}

} // namespace

frmSuggest::frmSuggest(QWidget *parent)
    : QDialog(parent)
    , m_request(new FeedbackRequest(this))
    , m_address(FeedbackRequest::defaultAddress())
{
    setWindowTitle(QStringLiteral("建议和意见"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/feedback.svg")));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(4290), Twips::toPixels(2100));
    setFont(QFont(QStringLiteral("Tahoma"), 9));

    makeLabel(this, QStringLiteral("Label1"), QStringLiteral("姓名："), Twips::point(450, 330));
    txtName = makeField(this, QStringLiteral("txtName"), 50, Twips::rect(1110, 270, 2115, 315));
    txtName->setToolTip(QStringLiteral("Your Name"));
    makeLabel(this, QStringLiteral("Label2"), QStringLiteral("EMAIL："), Twips::point(300, 720));
    txtEMail = makeField(this, QStringLiteral("txtEMail"), 100, Twips::rect(1110, 660, 2115, 315));
    txtEMail->setToolTip(QStringLiteral("Email"));
    makeLabel(this, QStringLiteral("Label3"), QStringLiteral("留言："), Twips::point(420, 1110));
    txtComment = makeField(this, QStringLiteral("txtComment"), 256, Twips::rect(1110, 1050, 2835, 315));
    Command3 = makeButton(this, QStringLiteral("Command3"), QStringLiteral("发送"),
                          Twips::rect(1830, 1470, 1005, 375));
    Command3->setDefault(true);
    Command4 = makeButton(this, QStringLiteral("Command4"), QStringLiteral("返回"),
                          Twips::rect(2970, 1470, 975, 375));

    lblSending = new QLabel(this);
    lblSending->setObjectName(QStringLiteral("lblSending"));
    lblSending->setGeometry(Twips::rect(240, 1590, 1080, 210));
    QFont bold = font();
    bold.setBold(true);
    lblSending->setFont(bold);
    lblSending->hide();

    setTabOrder(txtName, txtEMail);
    setTabOrder(txtEMail, txtComment);
    setTabOrder(txtComment, Command3);
    setTabOrder(Command3, Command4);

    connect(Command3, &QPushButton::clicked, this, &frmSuggest::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_request, &FeedbackRequest::finished, this, &frmSuggest::wb_Finished);
}

void frmSuggest::setRequestTimeout(std::chrono::milliseconds timeout)
{
    m_request->setTimeout(timeout);
}

void frmSuggest::Command1_Click()
{
    // Only an exactly empty field is missing: a name of blanks is a name.
    if (txtName->text().isEmpty()) {
        promptFor(txtName, QStringLiteral("您的姓名？"));
        return;
    }
    if (txtEMail->text().isEmpty()) {
        promptFor(txtEMail, QStringLiteral("您的Email？"));
        return;
    }
    if (txtComment->text().isEmpty()) {
        promptFor(txtComment, QStringLiteral("您的意见？"));
        return;
    }
    showStatus(QStringLiteral("正在发送..."));
    m_request->send(
        FeedbackRequest::compose(m_address, txtName->text(), txtEMail->text(), txtComment->text()));
}

void frmSuggest::done(int result)
{
    m_request->abort();
    QDialog::done(result);
}

void frmSuggest::mouseMoveEvent(QMouseEvent *event)
{
    QDialog::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && windowHandle())
        windowHandle()->startSystemMove();
}

void frmSuggest::showStatus(const QString &text)
{
    lblSending->setText(text);
    lblSending->show();
}

void frmSuggest::promptFor(QLineEdit *field, const QString &prompt)
{
    showStatus(prompt);
    field->setFocus();
}

void frmSuggest::wb_Finished(bool success)
{
    showStatus(success ? QStringLiteral("完毕.") : QStringLiteral("发送失败."));
}
