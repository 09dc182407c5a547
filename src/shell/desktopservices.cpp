#include "shell/desktopservices.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMessageBox>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

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

void DesktopServices::playSoundSync(const QString &wavPath)
{
    if (!QFileInfo::exists(wavPath)) {
        QApplication::beep();
        return;
    }
    // Without an audio output nothing can be heard; waiting would only hold the controls back.
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    QSoundEffect effect;
    effect.setSource(QUrl::fromLocalFile(wavPath));
    QEventLoop loop;
    // An effect that never starts playing must not hold the run's end; the guard ends the wait.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&effect, &QSoundEffect::playingChanged, &loop, [&] {
        if (!effect.isPlaying())
            loop.quit();
    });
    QObject::connect(&effect, &QSoundEffect::statusChanged, &loop, [&] {
        if (effect.status() == QSoundEffect::Error)
            loop.quit();
        else if (effect.status() == QSoundEffect::Ready && !effect.isPlaying())
            effect.play();
    });
    guard.start(10000);
    if (effect.status() == QSoundEffect::Ready)
        effect.play();
    loop.exec();
}
