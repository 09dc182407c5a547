#include "ui/desktopservices.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMessageBox>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <utility>

namespace {

constexpr int SoundGuardMs = 10000;

} // namespace

void DesktopServices::showMessage(Icon icon, const QString &title, const QString &text)
{
    const QMessageBox::Icon boxIcon = icon == Icon::Critical  ? QMessageBox::Critical
                                      : icon == Icon::Warning ? QMessageBox::Warning
                                                              : QMessageBox::Information;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, m_owner);
    box.exec();
}

void DesktopServices::openPath(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DesktopServices::playSound(const QString &wavPath, QObject *context, std::function<void()> finished)
{
    if (!QFileInfo::exists(wavPath)) {
        QApplication::beep();
        QTimer::singleShot(0, context, std::move(finished));
        return;
    }
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
