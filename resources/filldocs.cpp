// Build tool: fills the formats into a template of the documentation (the manual pages, the shell
// completions, the user guide) from the format table, so that they list what tunoxa-batch -f takes,
// in its order, with the table's facts; and the ranges and defaults of the program's options from
// the options table.
//
// filldocs TEMPLATE OUTPUT
//   @TUNOXA_FORMATS@       the formats' command names with a blank between them
//   @NAME.extension@       the extension of that format's output, such as ".opus"
//   @NAME.bitrates@        the bitrates its encoder takes, such as "64–256"
//   @NAME.bitrate@, @NAME.rate@   its default bitrate and sample rate
//   @--OPTION.default@, @--OPTION.least@, @--OPTION.most@   of a program option tunoxa-batch takes
//   @TUNOXA_FORMAT_ENTRIES JOINT@ ... @TUNOXA_FORMAT_ENTRIES_END@ on lines of their own
//       a list of scdoc entries: a line that starts with names (a blank between them) begins an
//       entry, whose description is the indented lines under it. The entries come out in the
//       formats' order, each headed by its names in bold with JOINT between them and followed by an
//       empty line. Every format is in one entry, and an entry's formats follow each other.

#include "batch/batchoptions.h"
#include "conversion/formatfacts.h"
#include "settings/programoptions.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include <cstdio>
#include <stdexcept>

namespace {

const QString entriesBegin = QStringLiteral("@TUNOXA_FORMAT_ENTRIES ");
const QString entriesEnd = QStringLiteral("@TUNOXA_FORMAT_ENTRIES_END@\n");

[[noreturn]] void refuse(const QString &problem)
{
    throw std::runtime_error(problem.toStdString());
}

OutputFormat formatNamed(const QString &name)
{
    const std::optional<OutputFormat> format = FormatTable::formatNamed(name);
    if (!format || !BatchCommandLine::formats().contains(*format))
        refuse(QStringLiteral("no format is named ") + name);
    return *format;
}

QString fact(const QString &name, const QString &which)
{
    const FormatFacts &facts = FormatTable::facts(formatNamed(name));
    if (which == u"extension")
        return facts.extension.toString();
    if (which == u"bitrate")
        return facts.defaults.audioBitrate.toString();
    if (which == u"rate")
        return facts.defaults.sampleRate.toString();
    if (which == u"bitrates" && facts.limits.mostKbps > 0)
        return QStringLiteral("%1–%2").arg(facts.limits.leastKbps).arg(facts.limits.mostKbps);
    refuse(name + QStringLiteral(" has no ") + which);
}

QString optionFact(const QString &longName, const QString &which)
{
    for (const ProgramOption &option : ProgramOptions::all()) {
        if (option.longName != longName)
            continue;
        if (which == u"default")
            return QString::number(option.defaultValue());
        if (which == u"least")
            return QString::number(option.least);
        if (which == u"most" && option.most != ProgramOption::processorCores)
            return QString::number(option.most);
    }
    refuse(QStringLiteral("no option --%1 with a %2").arg(longName, which));
}

struct Entry
{
    QStringList names;
    QString description;
};

// The entries between the begin line (without it) and the end line, written out in the formats' order.
QString entries(const QString &block, const QString &joint)
{
    QList<Entry> given;
    for (const QString &line : block.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.front().isSpace() && !given.isEmpty())
            given.last().description += line + u'\n';
        else
            given.append({line.split(u' ', Qt::SkipEmptyParts), {}});
    }
    QString text;
    const QList<OutputFormat> formats = BatchCommandLine::formats();
    for (qsizetype k = 0; k < formats.size();) {
        const QString name = FormatTable::commandName(formats[k]);
        const auto entry =
            std::ranges::find_if(given, [&](const Entry &e) { return e.names.contains(name); });
        if (entry == given.end())
            refuse(QStringLiteral("no entry for ") + name);
        QStringList bold;
        for (const QString &named : entry->names) {
            if (k >= formats.size() || formatNamed(named) != formats[k])
                refuse(QStringLiteral("the entry of %1 names %2 out of order").arg(name, named));
            bold.append(u'*' + named + u'*');
            ++k;
        }
        text += u'\t' + bold.join(joint) + u'\n' + entry->description + u'\n';
        given.erase(entry);
    }
    if (!given.isEmpty())
        refuse(QStringLiteral("an entry names no format: ") + given.constFirst().names.join(u' '));
    return text;
}

QString filled(QString text)
{
    for (qsizetype begin; (begin = text.indexOf(entriesBegin)) >= 0;) {
        const qsizetype jointEnd = text.indexOf(QStringLiteral("@\n"), begin);
        const qsizetype end = text.indexOf(entriesEnd, begin);
        if (jointEnd < 0 || end < jointEnd)
            refuse(QStringLiteral("a list of entries without its end"));
        const qsizetype blockStart = jointEnd + 2;
        const QString joint = text.mid(begin + entriesBegin.size(), jointEnd - begin - entriesBegin.size());
        text.replace(begin, end + entriesEnd.size() - begin,
                     entries(text.mid(blockStart, end - blockStart), joint));
    }
    QStringList names;
    for (OutputFormat format : BatchCommandLine::formats())
        names.append(FormatTable::commandName(format));
    text.replace(QStringLiteral("@TUNOXA_FORMATS@"), names.join(u' '));
    static const QRegularExpression factPlace(QStringLiteral("@([a-z0-9]+)\\.([a-z]+)@"));
    for (QRegularExpressionMatch match; (match = factPlace.match(text)).hasMatch();)
        text.replace(match.capturedStart(), match.capturedLength(),
                     fact(match.captured(1), match.captured(2)));
    static const QRegularExpression optionPlace(QStringLiteral("@--([a-z-]+)\\.([a-z]+)@"));
    for (QRegularExpressionMatch match; (match = optionPlace.match(text)).hasMatch();)
        text.replace(match.capturedStart(), match.capturedLength(),
                     optionFact(match.captured(1), match.captured(2)));
    if (text.contains(QStringLiteral("@TUNOXA")))
        refuse(QStringLiteral("a place nothing fills"));
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fputs("usage: filldocs TEMPLATE OUTPUT\n", stderr);
        return 2;
    }
    QFile in(arguments.at(1));
    QFile out(arguments.at(2));
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "filldocs: cannot read %s or write %s\n", qPrintable(arguments.at(1)),
                     qPrintable(arguments.at(2)));
        return 1;
    }
    try {
        const QByteArray text = filled(QString::fromUtf8(in.readAll())).toUtf8();
        if (out.write(text) != text.size())
            refuse(QStringLiteral("cannot write ") + arguments.at(2));
    } catch (const std::runtime_error &problem) {
        out.remove();
        std::fprintf(stderr, "filldocs: %s: %s\n", qPrintable(arguments.at(1)), problem.what());
        return 1;
    }
    return 0;
}
