#include "settings/optionsfile.h"

#include "settings/numbertext.h"
#include "settings/settingsfile.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int lineCount = 9;
// The lines after the fourth are positional: files converted at once, library mode, deleting
// orphans, the largest cover edge, FAT-safe names.
// Each is written when it or a later line differs from its default, so that with every one at its
// default the file is as it always was; a switch is "1" when on, "0" when off.
constexpr int simultaneousLine = 4;
constexpr int libraryLine = 5;
constexpr int deleteOrphansLine = 6;
constexpr int coverEdgeLine = 7;
constexpr int fatNamesLine = 8;
constexpr qint64 maxReadBytes = 64 * 1024;

template<typename Int>
Int lineValue(const QStringList &lines, int line, std::optional<Int> (*convert)(double))
{
    if (line >= lines.size())
        return 0;
    return convert(NumberText::leading(lines[line])).value_or(0);
}

qint32 cutSeconds(const QStringList &lines, int line)
{
    if (line >= lines.size())
        return 0;
    constexpr double lowest = std::numeric_limits<qint32>::min();
    constexpr double highest = std::numeric_limits<qint32>::max();
    return NumberText::toInt32(std::clamp(NumberText::leading(lines[line]), lowest, highest)).value_or(0);
}

ProgramSettings fromLines(const QStringList &lines)
{
    ProgramSettings settings;
    settings.soundChoice = ProgramSettings::SoundChoice(lineValue<qint16>(lines, 0, NumberText::toInt16));
    settings.cutter = ProgramSettings::CutterSwitch(lineValue<qint16>(lines, 1, NumberText::toInt16));
    settings.cutStartSeconds = cutSeconds(lines, 2);
    settings.cutEndSeconds = cutSeconds(lines, 3);
    if (lines.size() > simultaneousLine) {
        // A value beyond its bounds reads as the nearest bound.
        const int most = ProgramSettings::mostSimultaneousFiles();
        const double files = NumberText::leading(lines[simultaneousLine]);
        settings.simultaneousFiles =
            files >= most ? most : std::max(1, NumberText::toInt32(files).value_or(1));
    }
    settings.libraryMode = lines.size() > libraryLine && lines[libraryLine] == u"1";
    settings.deleteOrphans = lines.size() > deleteOrphansLine && lines[deleteOrphansLine] == u"1";
    // A line with no number on it, or one --cover-size would refuse, keeps the default edge: 0 would
    // mean covers of any size. Other scripts' digits are not numbers here.
    const QString edge = lines.value(coverEdgeLine).trimmed();
    if (!edge.isEmpty() && edge.front() >= u'0' && edge.front() <= u'9') {
        const qint64 value = NumberText::roundHalfEven(NumberText::leading(edge));
        if (value <= ProgramSettings::largestCoverEdge)
            settings.coverEdge = qint32(value);
    }
    settings.fatNames = lines.size() <= fatNamesLine || lines[fatNamesLine] != u"0";
    return settings;
}

QStringList toLines(const ProgramSettings &settings)
{
    QStringList lines;
    for (const qint32 value : {qint32(settings.soundChoice), qint32(settings.cutter),
                               settings.cutStartSeconds, settings.cutEndSeconds})
        lines.append(QString::number(value));
    const QStringList positional{
        QString::number(settings.simultaneousFiles), QString::number(int(settings.libraryMode)),
        QString::number(int(settings.deleteOrphans)), QString::number(settings.coverEdge),
        QString::number(int(settings.fatNames))};
    const QStringList defaults{QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"),
                               QStringLiteral("1000"), QStringLiteral("1")};
    qsizetype written = positional.size();
    while (written > 0 && positional[written - 1] == defaults[written - 1])
        --written;
    return lines + positional.first(written);
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
    return fromLines(SettingsFile::readLines(path, lineCount, maxReadBytes));
}

bool write(const QString &path, const ProgramSettings &settings)
{
    return SettingsFile::writeLines(path, toLines(settings));
}

} // namespace OptionsFile
