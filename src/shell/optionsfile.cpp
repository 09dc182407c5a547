#include "shell/optionsfile.h"

#include "shell/numbertext.h"
#include "shell/settingsfile.h"

namespace {

constexpr int lineCount = 4;
constexpr qint64 maxReadBytes = 64 * 1024;

template<typename Int>
Int lineValue(const QStringList &lines, int line, std::optional<Int> (*convert)(double))
{
    if (line >= lines.size())
        return 0;
    return convert(NumberText::leading(lines[line])).value_or(0);
}

ProgramSettings fromLines(const QStringList &lines)
{
    ProgramSettings settings;
    settings.soundPromptIndex = lineValue<qint16>(lines, 0, NumberText::toInt16);
    settings.cutterEnabled = lineValue<qint16>(lines, 1, NumberText::toInt16);
    settings.cutStartSeconds = lineValue<qint32>(lines, 2, NumberText::toInt32);
    settings.cutEndSeconds = lineValue<qint32>(lines, 3, NumberText::toInt32);
    return settings;
}

QStringList toLines(const ProgramSettings &settings)
{
    QStringList lines;
    for (const qint32 value : {qint32(settings.soundPromptIndex), qint32(settings.cutterEnabled),
                               settings.cutStartSeconds, settings.cutEndSeconds})
        lines.append(QString::number(value));
    return lines;
}

} // namespace

namespace OptionsFile {

QString fileName()
{
    return QStringLiteral("options.ini");
}

ProgramSettings parse(const QByteArray &content)
{
    return fromLines(SettingsFile::splitLines(content, lineCount));
}

QByteArray compose(const ProgramSettings &settings)
{
    return SettingsFile::joinLines(toLines(settings));
}

ProgramSettings read(const QString &path)
{
    return fromLines(SettingsFile::readLines(path, lineCount, maxReadBytes));
}

bool write(const QString &path, const ProgramSettings &settings)
{
    return SettingsFile::writeLines(path, toLines(settings));
}

} // namespace OptionsFile
