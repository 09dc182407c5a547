#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// setup.ini: the main window's state from one run of the program to the next. Five lines, each
// one value in double quotes, ending with CR LF, in UTF-8:
//   1 entry of audioBitrateCombo, 2 entry of sampleRateCombo, 3 entry of channelCombo, 4 the output folder
//   text, 5 entry of formatCombo.
// An entry is a list position, "-1" for no selection.
struct SetupState
{
    // Read: nothing where the line is missing or does not hold a usable value.
    // Written: nothing gives "-1" (no selection) and "" (no folder).
    std::optional<int> bitrateIndex;
    std::optional<int> sampleRateIndex;
    std::optional<int> channelIndex;
    std::optional<QString> outputFolder;
    std::optional<int> formatIndex;

    bool operator==(const SetupState &) const = default;

    // The position to give a list of `count` entries, or nothing when the value cannot be applied
    // there (missing, or outside the list; -1 clears the selection).
    static std::optional<int> applicableIndex(std::optional<int> index, int count);
};

namespace SetupFile {

QString fileName(); // "setup.ini"
// Its path in the settings folder.
QString pathIn(const QString &settingsFolder);

QByteArray compose(const SetupState &state);

// A missing or unreadable file gives an empty state.
SetupState read(const QString &path);
// Replaces the file atomically; false (and the old file untouched) when it could not.
bool write(const QString &path, const SetupState &state);

} // namespace SetupFile
