#pragma once

#include <QString>

#include <functional>

class QObject;

// The completion sound is played by a module of its own, loaded when the first sound plays: Qt
// Multimedia and the sound system's libraries then cost a start nothing. It lies in lib/ of the
// program folder, where sound.wav is.
namespace SoundModule {

inline constexpr char path[] = "lib/libtunoxa-sound.so"; // from the program folder
inline constexpr char entryPoint[] = "tunoxaPlaySound";

// As UserServices::playSound, for a file that exists.
using PlaySound = void (*)(const QString &wavPath, QObject *context, std::function<void()> finished);

} // namespace SoundModule
