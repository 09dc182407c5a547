#include "settings/setupfile.h"

#include "settings/numbertext.h"
#include "settings/settingsfile.h"

namespace {

constexpr int lineCount = 5;
// No settings line is longer than a path; a larger file is not read past this.
constexpr qint64 maxReadBytes = 256 * 1024;
constexpr qsizetype maxPathLength = 4096;

// One record per line. A quoted field runs to the last quote of its line, so a folder name that
// holds double quotes comes back whole; an unquoted field ends at a comma.
QString field(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(QLatin1Char('"'))) {
        const qsizetype close = trimmed.lastIndexOf(QLatin1Char('"'));
        return close > 0 ? trimmed.mid(1, close - 1) : trimmed.mid(1);
    }
    const qsizetype comma = trimmed.indexOf(QLatin1Char(','));
    return (comma >= 0 ? trimmed.left(comma) : trimmed).trimmed();
}

std::optional<int> index(const QString &line)
{
    const std::optional<double> number = NumberText::whole(field(line));
    if (!number)
        return std::nullopt;
    const std::optional<qint32> value = NumberText::toInt32(*number);
    return value ? std::optional<int>(*value) : std::nullopt;
}

// Text that cannot be a folder the user chose (control characters, bytes that are not UTF-8,
// more than a path can hold) is not applied.
std::optional<QString> folder(const QString &line)
{
    const QString text = field(line);
    if (text.size() > maxPathLength)
        return std::nullopt;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter)
            return std::nullopt;
    }
    return text;
}

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

QString quoted(std::optional<int> index)
{
    return quoted(QString::number(index.value_or(-1)));
}

SetupState fromLines(const QStringList &lines)
{
    SetupState state;
    if (lines.size() > 0)
        state.bitrateIndex = index(lines[0]);
    if (lines.size() > 1)
        state.sampleRateIndex = index(lines[1]);
    if (lines.size() > 2)
        state.channelIndex = index(lines[2]);
    if (lines.size() > 3)
        state.outputFolder = folder(lines[3]);
    if (lines.size() > 4)
        state.formatIndex = index(lines[4]);
    return state;
}

QStringList toLines(const SetupState &state)
{
    QString folderText = state.outputFolder.value_or(QString());
    // A line break would split the record; such a folder is not kept (the next start uses the default).
    if (folderText.contains(QLatin1Char('\n')) || folderText.contains(QLatin1Char('\r')))
        folderText.clear();
    return {quoted(state.bitrateIndex), quoted(state.sampleRateIndex), quoted(state.channelIndex),
            quoted(folderText), quoted(state.formatIndex)};
}

} // namespace

std::optional<int> SetupState::applicableIndex(std::optional<int> index, int count)
{
    if (!index || *index < -1 || *index >= count)
        return std::nullopt;
    return index;
}

namespace SetupFile {

QString fileName()
{
    return QStringLiteral("setup.ini");
}

QString pathIn(const QString &settingsFolder)
{
    return settingsFolder + QLatin1Char('/') + fileName();
}

QByteArray compose(const SetupState &state)
{
    return SettingsFile::joinLines(toLines(state));
}

SetupState read(const QString &path)
{
    return fromLines(SettingsFile::readLines(path, lineCount, maxReadBytes));
}

bool write(const QString &path, const SetupState &state)
{
    return SettingsFile::writeLines(path, toLines(state));
}

} // namespace SetupFile
