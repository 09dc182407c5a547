#pragma once

#include "platform/userservices.h"

#include <functional>

// The desktop as tunoxa-batch has it: a message box becomes its text on standard error, and there
// is no file browser and no sound.
class ConsoleServices final : public UserServices
{
public:
    // Text goes through print, so that it can keep clear of progress bars on the terminal.
    explicit ConsoleServices(std::function<void(const QString &)> print);

    void showMessage(Icon icon, const QString &title, const QString &text) override;
    // The command line asked already (--delete): yes.
    void askYesNo(const QString &, const QString &, QObject *context,
                  std::function<void(bool)> answered) override;
    void openPath(const QString &) override {}
    void playSound(const QString &wavPath, QObject *context, std::function<void()> finished) override;

private:
    std::function<void(const QString &)> m_print;
};
