#include "ui/feedbackdialog.h"

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

FeedbackDialog::FeedbackDialog(QWidget *parent)
    : QDialog(parent)
    , m_request(new FeedbackRequest(this))
    , m_address(FeedbackRequest::defaultAddress())
{
    setWindowTitle(QStringLiteral("建议和意见"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/feedback.svg")));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Twips::toPixels(4290), Twips::toPixels(2100));
    setFont(QFont(QStringLiteral("Tahoma"), 9));

    makeLabel(this, QStringLiteral("nameLabel"), QStringLiteral("姓名："), Twips::point(450, 330));
    m_nameEdit = makeField(this, QStringLiteral("nameEdit"), 50, Twips::rect(1110, 270, 2115, 315));
    m_nameEdit->setToolTip(QStringLiteral("Your Name"));
    makeLabel(this, QStringLiteral("emailLabel"), QStringLiteral("EMAIL："), Twips::point(300, 720));
    m_emailEdit = makeField(this, QStringLiteral("emailEdit"), 100, Twips::rect(1110, 660, 2115, 315));
    m_emailEdit->setToolTip(QStringLiteral("Email"));
    makeLabel(this, QStringLiteral("commentLabel"), QStringLiteral("留言："), Twips::point(420, 1110));
    m_commentEdit = makeField(this, QStringLiteral("commentEdit"), 256, Twips::rect(1110, 1050, 2835, 315));
    m_sendButton = makeButton(this, QStringLiteral("sendButton"), QStringLiteral("发送"),
                              Twips::rect(1830, 1470, 1005, 375));
    m_sendButton->setDefault(true);
    m_backButton = makeButton(this, QStringLiteral("backButton"), QStringLiteral("返回"),
                              Twips::rect(2970, 1470, 975, 375));

    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setGeometry(Twips::rect(240, 1590, 1080, 210));
    QFont bold = font();
    bold.setBold(true);
    m_statusLabel->setFont(bold);
    m_statusLabel->hide();

    setTabOrder(m_nameEdit, m_emailEdit);
    setTabOrder(m_emailEdit, m_commentEdit);
    setTabOrder(m_commentEdit, m_sendButton);
    setTabOrder(m_sendButton, m_backButton);

    connect(m_sendButton, &QPushButton::clicked, this, &FeedbackDialog::send);
    connect(m_backButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_request, &FeedbackRequest::finished, this, &FeedbackDialog::showRequestResult);
}

void FeedbackDialog::setRequestTimeout(std::chrono::milliseconds timeout)
{
    m_request->setTimeout(timeout);
}

void FeedbackDialog::send()
{
    // Only an exactly empty field is missing: a name of blanks is a name.
    if (m_nameEdit->text().isEmpty()) {
        promptFor(m_nameEdit, QStringLiteral("您的姓名？"));
        return;
    }
    if (m_emailEdit->text().isEmpty()) {
        promptFor(m_emailEdit, QStringLiteral("您的Email？"));
        return;
    }
    if (m_commentEdit->text().isEmpty()) {
        promptFor(m_commentEdit, QStringLiteral("您的意见？"));
        return;
    }
    showStatus(QStringLiteral("正在发送..."));
    m_request->send(
        FeedbackRequest::compose(m_address, m_nameEdit->text(), m_emailEdit->text(), m_commentEdit->text()));
}

void FeedbackDialog::done(int result)
{
    m_request->abort();
    QDialog::done(result);
}

void FeedbackDialog::mouseMoveEvent(QMouseEvent *event)
{
    QDialog::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && windowHandle())
        windowHandle()->startSystemMove();
}

void FeedbackDialog::showStatus(const QString &text)
{
    m_statusLabel->setText(text);
    m_statusLabel->show();
}

void FeedbackDialog::promptFor(QLineEdit *field, const QString &prompt)
{
    showStatus(prompt);
    field->setFocus();
}

void FeedbackDialog::showRequestResult(bool success)
{
    showStatus(success ? QStringLiteral("完毕.") : QStringLiteral("发送失败."));
}
