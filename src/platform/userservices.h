#pragma once

#include <QString>

#include <functional>

class QObject;

// What the program asks of the desktop: message boxes, opening a folder or file, the completion
// sound. The program hands the desktop implementation to those who need it; tests hand a recorder,
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
    // Asks a question with Yes and No and returns; answered runs from the event loop with the
    // answer (No when the box is closed), never inside this call, and not once context is gone.
    virtual void askYesNo(const QString &title, const QString &text, QObject *context,
                          std::function<void(bool yes)> answered) = 0;
    // Opens a folder in the file browser, or a file with its viewer.
    virtual void openPath(const QString &path) = 0;
    // Starts playing a wave file (the system beep when the file is missing) and returns. finished
    // runs from the event loop once the sound has ended, could not play, or cannot be heard for
    // want of an audio output; never inside this call, and not once context is gone.
    virtual void playSound(const QString &wavPath, QObject *context, std::function<void()> finished) = 0;
};
