#include "ui/soundmodule.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <utility>

namespace {

constexpr int SoundGuardMs = 10000;

} // namespace

extern "C" Q_DECL_EXPORT void tunoxaPlaySound(const QString &wavPath, QObject *context,
                                              std::function<void()> finished)
{
    static_assert(std::is_same_v<decltype(&tunoxaPlaySound), SoundModule::PlaySound>);
    // Without an audio output nothing can be heard; waiting would only hold the controls back.
    if (QMediaDevices::audioOutputs().isEmpty()) {
        QTimer::singleShot(0, context, std::move(finished));
        return;
    }
    // The effect and its guard live until the sound has ended; an effect that never starts playing
    // must not hold the run's end, so the guard ends it after a while.
    auto *effect = new QSoundEffect(context);
    auto *guard = new QTimer(effect);
    guard->setSingleShot(true);
    const auto end = [effect, ended = std::make_shared<bool>(false), finished = std::move(finished)] {
        if (std::exchange(*ended, true))
            return;
        effect->deleteLater();
        finished();
    };
    QObject::connect(guard, &QTimer::timeout, effect, end);
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect, end] {
        if (!effect->isPlaying())
            end();
    });
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect, end] {
        if (effect->status() == QSoundEffect::Error)
            end();
        else if (effect->status() == QSoundEffect::Ready && !effect->isPlaying())
            effect->play();
    });
    effect->setSource(QUrl::fromLocalFile(wavPath));
    guard->start(SoundGuardMs);
    if (effect->status() == QSoundEffect::Ready)
        effect->play();
}
