#pragma once

#include <QDialog>

#include <chrono>

class FeedbackRequest;
class QLabel;
class QLineEdit;
class QPushButton;

// The feedback window: name, e-mail address and comment, sent to the maker as one web request.
class frmSuggest : public QDialog
{
    Q_OBJECT

public:
    explicit frmSuggest(QWidget *parent = nullptr);

    // The page the fields are appended to; the build-time address unless changed.
    void setFeedbackAddress(const QString &address) { m_address = address; }
    // How long a request may take before the window reports it failed.
    void setRequestTimeout(std::chrono::milliseconds timeout);

    // The submission: checks the three fields in order, then sends them.
    void Command1_Click();

    // Closing abandons a request under way, so no answer reaches a window that is gone.
    void done(int result) override;

protected:
    // Dragging the background with the left button moves the window.
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void showStatus(const QString &text);
    void promptFor(QLineEdit *field, const QString &prompt);
    void wb_Finished(bool success);

    QLineEdit *txtName;
    QLineEdit *txtEMail;
    QLineEdit *txtComment;
    QPushButton *Command3;
    QPushButton *Command4;
    QLabel *lblSending;

    FeedbackRequest *m_request;
    QString m_address;
};
