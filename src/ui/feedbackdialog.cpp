#include "ui/feedbackdialog.h"

#include "platform/feedbackrequest.h"
#include "ui/artwork.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QWindow>

namespace {

// The window's client area and its controls, in logical pixels.
constexpr QSize WindowSize(286, 140);
constexpr QPoint NameLabelPlace(30, 22);
constexpr QRect NameEditRect(74, 18, 141, 21);
constexpr QPoint EmailLabelPlace(20, 48);
constexpr QRect EmailEditRect(74, 44, 141, 21);
constexpr QPoint CommentLabelPlace(28, 74);
constexpr QRect CommentEditRect(74, 70, 189, 21);
constexpr QRect SendButtonRect(122, 98, 67, 25);
constexpr QRect BackButtonRect(198, 98, 65, 25);
constexpr QRect StatusLabelRect(16, 106, 72, 14);

// A field with its caption label just left of it; the label names the field to assistive technology.
QLineEdit *makeField(QWidget *parent, const QString &objectName, int maxLength, const QRect &geometry,
                     const QString &labelName, const QString &caption, QPoint captionPlace)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(labelName);
    label->move(captionPlace);
    label->adjustSize();
    auto *field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setMaxLength(maxLength);
    field->setGeometry(geometry);
    label->setBuddy(field);
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
    setWindowTitle(tr("建议和意见"));
    setWindowIcon(Artwork::icon(QStringLiteral("feedback")));
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(WindowSize);
    setFont(QFont(QStringLiteral("Tahoma"), 9));

    m_nameEdit = makeField(this, QStringLiteral("nameEdit"), 50, NameEditRect, QStringLiteral("nameLabel"),
                           tr("姓名："), NameLabelPlace);
    m_nameEdit->setToolTip(tr("Your Name"));
    m_emailEdit = makeField(this, QStringLiteral("emailEdit"), 100, EmailEditRect,
                            QStringLiteral("emailLabel"), tr("EMAIL："), EmailLabelPlace);
    m_emailEdit->setToolTip(tr("Email"));
    m_commentEdit = makeField(this, QStringLiteral("commentEdit"), 256, CommentEditRect,
                              QStringLiteral("commentLabel"), tr("留言："), CommentLabelPlace);
    m_sendButton = makeButton(this, QStringLiteral("sendButton"), tr("发送"), SendButtonRect);
    m_sendButton->setDefault(true);
    m_backButton = makeButton(this, QStringLiteral("backButton"), tr("返回"), BackButtonRect);

    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setGeometry(StatusLabelRect);
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
        promptFor(m_nameEdit, tr("您的姓名？"));
        return;
    }
    if (m_emailEdit->text().isEmpty()) {
        promptFor(m_emailEdit, tr("您的Email？"));
        return;
    }
    if (m_commentEdit->text().isEmpty()) {
        promptFor(m_commentEdit, tr("您的意见？"));
        return;
    }
    showStatus(tr("正在发送..."));
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
    showStatus(success ? tr("完毕.") : tr("发送失败."));
}
