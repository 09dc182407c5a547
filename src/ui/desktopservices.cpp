#include "ui/desktopservices.h"

#include "ui/soundmodule.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMessageBox>
#include <QTimer>
#include <QUrl>

#include <utility>

void DesktopServices::showMessage(Icon icon, const QString &title, const QString &text)
{
    const QMessageBox::Icon boxIcon = icon == Icon::Critical  ? QMessageBox::Critical
                                      : icon == Icon::Warning ? QMessageBox::Warning
                                                              : QMessageBox::Information;
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, m_owner);
    box.exec();
}

void DesktopServices::askYesNo(const QString &title, const QString &text, QObject *context,
                               std::function<void(bool)> answered)
{
    // Opened, not executed: the run goes on from the answer, with no event loop of the box's own.
    auto *box =
        new QMessageBox(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, m_owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setDefaultButton(QMessageBox::No);
    QObject::connect(box, &QMessageBox::finished, context,
                     [answered = std::move(answered)](int result) { answered(result == QMessageBox::Yes); });
    box->open();
}

void DesktopServices::openPath(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void DesktopServices::playSound(const QString &wavPath, QObject *context, std::function<void()> finished)
{
    const QFileInfo sound(wavPath);
    SoundModule::PlaySound play = nullptr;
    if (sound.exists()) {
        // Loaded with the first sound; a module that cannot be loaded leaves the beep, and says why.
        static const auto module = [&sound] {
            QLibrary library(sound.dir().filePath(QString::fromLatin1(SoundModule::path)));
            const auto found =
                reinterpret_cast<SoundModule::PlaySound>(library.resolve(SoundModule::entryPoint));
            if (!found)
                qWarning("tunoxa: the completion sound is a beep: %s", qPrintable(library.errorString()));
            return found;
        }();
        play = module;
    }
    if (!play) {
        QApplication::beep();
        QTimer::singleShot(0, context, std::move(finished));
        return;
    }
    play(wavPath, context, std::move(finished));
}
