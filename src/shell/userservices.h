#pragma once

#include <QString>

// What the program asks of the desktop: message boxes, opening a folder or file, the completion
// sound. The program installs the desktop implementation at start; tests install a recorder,
// so nothing waits on a modal box, a file browser or an audio device.
class UserServices
{
public:
    enum class Icon
    {
        Information,
        Warning,
        Critical
    };

    virtual ~UserServices() = default;

    // Modal message box with one OK button.
    virtual void showMessage(Icon icon, const QString &title, const QString &text) = 0;
    // Opens a folder in the file browser, or a file with its viewer.
    virtual void openPath(const QString &path) = 0;
    // Plays a wave file to its end; the system beep when the file is missing.
    virtual void playSoundSync(const QString &wavPath) = 0;

    // The services in force. Until one is installed, messages go to the log and nothing opens or plays.
    static UserServices &instance();
    // Installs services (not owned); nullptr restores the logging default.
    static void setInstance(UserServices *services);
};
