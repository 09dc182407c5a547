#pragma once

#include "platform/userservices.h"

class QWidget;

// The real desktop: QMessageBox, QDesktopServices, and QSoundEffect through the sound module.
class DesktopServices final : public UserServices
{
public:
    // Message boxes are owned by this window (may be null).
    explicit DesktopServices(QWidget *owner = nullptr)
        : m_owner(owner)
    {}
    void setOwner(QWidget *owner) { m_owner = owner; }

    void showMessage(Icon icon, const QString &title, const QString &text) override;
    void askYesNo(const QString &title, const QString &text, QObject *context,
                  std::function<void(bool)> answered) override;
    void openPath(const QString &path) override;
    void playSound(const QString &wavPath, QObject *context, std::function<void()> finished) override;

private:
    QWidget *m_owner;
};
