#pragma once

#include "platform/userservices.h"

#include <QStringList>
#include <QTimer>

// Records what the program asked of the desktop.
class RecordingServices final : public UserServices
{
public:
    struct Message
    {
        Icon icon;
        QString title;
        QString text;
    };

    void showMessage(Icon icon, const QString &title, const QString &text) override
    {
        messages.append({icon, title, text});
    }
    void askYesNo(const QString &title, const QString &text, QObject *context,
                  std::function<void(bool)> answered) override
    {
        questions.append({Icon::Information, title, text});
        QTimer::singleShot(0, context, [this, answered] { answered(answerYes); });
    }
    void openPath(const QString &path) override { openedPaths.append(path); }
    void playSound(const QString &wavPath, QObject *context, std::function<void()> finished) override
    {
        playedSounds.append(wavPath);
        QTimer::singleShot(0, context, std::move(finished));
    }

    QList<Message> messages;
    QList<Message> questions;
    bool answerYes = true;
    QStringList openedPaths;
    QStringList playedSounds;
};
