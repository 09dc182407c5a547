#pragma once

#include <QDialog>

#include <chrono>

class FeedbackRequest;
class QLabel;
class QLineEdit;
class QPushButton;

// The feedback window: name, e-mail address and comment, sent to the maker as one web request.
class FeedbackDialog : public QDialog
{
    Q_OBJECT

public:
    explicit FeedbackDialog(QWidget *parent = nullptr);

    // The page the fields are appended to; the build-time address unless changed.
    void setFeedbackAddress(const QString &address) { m_address = address; }
    // How long a request may take before the window reports it failed.
    void setRequestTimeout(std::chrono::milliseconds timeout);

    // The submission: checks the three fields in order, then sends them.
    void send();

    // Closing abandons a request under way, so no answer reaches a window that is gone.
    void done(int result) override;

protected:
    // Dragging the background with the left button moves the window.
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void showStatus(const QString &text);
    void promptFor(QLineEdit *field, const QString &prompt);
    void showRequestResult(bool success);

    QLineEdit *m_nameEdit;
    QLineEdit *m_emailEdit;
    QLineEdit *m_commentEdit;
    QPushButton *m_sendButton;
    QPushButton *m_backButton;
    QLabel *m_statusLabel;

    FeedbackRequest *m_request;
    QString m_address;
};
