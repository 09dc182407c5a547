#include "settings/optionsfile.h"

#include "settings/numbertext.h"
#include "settings/programoptions.h"
#include "settings/settingsfile.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 maxReadBytes = 64 * 1024;

using Reading = ProgramOption::Reading;

// The value of an option's line as it is there; a missing line gives the default.
qint64 lineValue(const ProgramOption &option, const QString &line)
{
    switch (option.reading) {
    case Reading::Code:
        return NumberText::toInt16(NumberText::leading(line)).value_or(0);
    case Reading::Seconds: {
        constexpr double lowest = std::numeric_limits<qint32>::min();
        constexpr double highest = std::numeric_limits<qint32>::max();
        return NumberText::toInt32(std::clamp(NumberText::leading(line), lowest, highest)).value_or(0);
    }
    case Reading::Clamped: {
        const int most = option.mostWith(ProgramSettings::mostSimultaneousFiles());
        const double value = NumberText::leading(line);
        return value >= most ? most
                             : std::max(option.least, NumberText::toInt32(value).value_or(option.least));
    }
    case Reading::Switch:
        return line == u"1" ? 1 : line == u"0" ? 0 : option.defaultValue();
    case Reading::Bounded: {
        const QString text = line.trimmed();
        if (text.isEmpty() || text.front() < u'0' || text.front() > u'9')
            return option.defaultValue();
        const qint64 value = NumberText::roundHalfEven(NumberText::leading(text));
        return value >= option.least && value <= option.most ? value : option.defaultValue();
    }
    }
    Q_UNREACHABLE();
}

ProgramSettings fromLines(const QStringList &lines)
{
    ProgramSettings settings;
    const std::span<const ProgramOption> options = ProgramOptions::all();
    for (qsizetype line = 0; line < lines.size() && line < qsizetype(options.size()); ++line)
        options[line].assign(settings, lineValue(options[line], lines[line]));
    return settings;
}

// The lines up to the last one that is always written or differs from its default, so that with
// every later option at its default the file is as it was before those options came.
QStringList toLines(const ProgramSettings &settings)
{
    QStringList lines;
    qsizetype needed = 0;
    for (const ProgramOption &option : ProgramOptions::all()) {
        const qint64 value = option.value(settings);
        lines.append(QString::number(value));
        if (option.alwaysWritten || value != option.defaultValue())
            needed = lines.size();
    }
    return lines.first(needed);
}

} // namespace

namespace OptionsFile {

QString fileName()
{
    return QStringLiteral("options.ini");
}

QString pathIn(const QString &settingsFolder)
{
    return settingsFolder + QLatin1Char('/') + fileName();
}

QByteArray compose(const ProgramSettings &settings)
{
    return SettingsFile::joinLines(toLines(settings));
}

ProgramSettings read(const QString &path)
{
    return fromLines(SettingsFile::readLines(path, int(ProgramOptions::all().size()), maxReadBytes));
}

bool write(const QString &path, const ProgramSettings &settings)
{
    return SettingsFile::writeLines(path, toLines(settings));
}

} // namespace OptionsFile
