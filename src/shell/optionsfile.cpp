#include "shell/optionsfile.h"

#include "shell/atomicfile.h"
#include "shell/numbertext.h"
#include "shell/settingslines.h"

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

} // namespace

namespace OptionsFile {

QString fileName()
{
    return QStringLiteral("options.ini");
}

ProgramSettings parse(const QByteArray &content)
{
    const QStringList lines = SettingsLines::split(content, lineCount);
    ProgramSettings settings;
    settings.soundPromptIndex = lineValue<qint16>(lines, 0, NumberText::toInt16);
    settings.cutterEnabled = lineValue<qint16>(lines, 1, NumberText::toInt16);
    settings.cutStartSeconds = lineValue<qint32>(lines, 2, NumberText::toInt32);
    settings.cutEndSeconds = lineValue<qint32>(lines, 3, NumberText::toInt32);
    return settings;
}

QByteArray compose(const ProgramSettings &settings)
{
    QByteArray content;
    for (const qint32 value : {qint32(settings.soundPromptIndex), qint32(settings.cutterEnabled),
                               settings.cutStartSeconds, settings.cutEndSeconds})
        content += QByteArray::number(value) + "\r\n";
    return content;
}

ProgramSettings read(const QString &path)
{
    return parse(AtomicFile::readHead(path, maxReadBytes));
}

bool write(const QString &path, const ProgramSettings &settings)
{
    return AtomicFile::write(path, compose(settings));
}

} // namespace OptionsFile
