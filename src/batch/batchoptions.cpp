#include "batch/batchoptions.h"

#include "batch/batchoptionlist.h"
#include "batch/batchtexts.h"
#include "platform/userpath.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace {

using Kind = BatchOption::Kind;

const BatchOption *optionLettered(char letter)
{
    const QList<BatchOption> &options = BatchOptionList::all();
    const auto found = std::ranges::find_if(options, [letter](const BatchOption &option) {
        return option.letter != 0 && option.letter == uchar(letter);
    });
    return found == options.end() ? nullptr : &*found;
}

const BatchOption *optionNamed(QStringView name)
{
    const QList<BatchOption> &options = BatchOptionList::all();
    const auto found = std::ranges::find(options, name, &BatchOption::longName);
    return found == options.end() ? nullptr : &*found;
}

// A setting as the command line gives it: the option, as it was written (for the messages), and its
// value.
struct GivenSetting
{
    const BatchOption *option;
    QString written;
    QString value;
};

bool matches(const QString &pattern, const QString &value)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(value).hasMatch();
}

// A positive number, whole (rates, frame sizes) or with a fraction (bitrates such as 12.2, frame rates
// such as 29.97).
bool isPositiveNumber(const QString &value, bool fractionAllowed)
{
    if (!matches(fractionAllowed ? QStringLiteral("[0-9]+(\\.[0-9]+)?") : QStringLiteral("[0-9]+"), value))
        return false;
    bool ok = false;
    return value.toDouble(&ok) > 0 && ok;
}

// The path the tools are given: absolute, so that it never depends on the tools' working folder
// and never reads as an option. A name that is valid UTF-8 is also tidied ("./", "a/../").
QByteArray absolutePath(const QByteArray &path, const QString &currentFolder)
{
    const QByteArray joined =
        path.startsWith('/') ? path : QFile::encodeName(currentFolder) + QByteArrayLiteral("/") + path;
    const QString text = QString::fromUtf8(joined);
    return text.toUtf8() == joined ? QFile::encodeName(QDir::cleanPath(text)) : joined;
}

// A program option's number put in place; false when the text is not one it takes.
bool takeProgramValue(const ProgramOption &option, const QString &value, int mostFiles,
                      ProgramSettings &settings)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    const int most = option.mostWith(mostFiles);
    switch (option.reading) {
    case ProgramOption::Reading::Clamped:
        // More than the most is the most: one command line serves every machine.
        option.assign(settings, std::min(number, most));
        return ok && number >= option.least;
    case ProgramOption::Reading::Bounded:
        option.assign(settings, number);
        return ok && number >= option.least && number <= most && matches(QStringLiteral("[0-9]+"), value);
    case ProgramOption::Reading::Code:
    case ProgramOption::Reading::Seconds:
    case ProgramOption::Reading::Switch:
        break;
    }
    return false;
}

// Puts one option's value in place; an error text when the value does not fit the option.
QString applyOption(const GivenSetting &setting, const QString &currentFolder, int mostFiles,
                    BatchOptions &options)
{
    const QString &value = setting.value;
    const QString bad = BatchTexts::badValue(setting.written, value);
    EncodingSettings &encoding = options.encoding;
    switch (setting.option->kind) {
    case Kind::Bitrate:
        encoding.audioBitrate = value;
        return isPositiveNumber(value, true) ? QString() : bad;
    case Kind::Rate:
        encoding.sampleRate = value;
        return isPositiveNumber(value, false) ? QString() : bad;
    case Kind::Channels:
        encoding.channelIndex = value == u"1" ? 0 : 1;
        return value == u"1" || value == u"2" ? QString() : bad;
    case Kind::VideoBitrate:
        encoding.videoBitrate = value;
        return isPositiveNumber(value, false) ? QString() : bad;
    case Kind::Size: {
        const bool original = value == u"original" || FormatTable::keepsOriginalSize(value);
        encoding.size = original ? FormatTable::originalSize() : value;
        return original || matches(QStringLiteral("[1-9][0-9]*x[1-9][0-9]*"), value) ? QString() : bad;
    }
    case Kind::Fps:
        encoding.frameRate = value;
        return isPositiveNumber(value, true) ? QString() : bad;
    case Kind::Output:
        options.outputFolder = QDir::cleanPath(UserPath::absolute(value, currentFolder));
        return value.isEmpty() ? bad : QString();
    case Kind::Program:
        return takeProgramValue(*setting.option->program, value, mostFiles, options.settings) ? QString()
                                                                                              : bad;
    case Kind::CueEncoding:
        options.images.forcedEncoding = value.toLatin1();
        return QStringDecoder(value.toLatin1().constData()).isValid() ? QString() : bad;
    case Kind::Format:
    case Kind::DryRun:
    case Kind::NoCue:
    case Kind::Help:
    case Kind::Version:
        break;
    }
    return bad;
}

// What the options read so far ask for; stop is set by --help, --version and by a usage error.
struct Reading
{
    ParsedCommandLine result;
    BatchOptions options;
    QList<GivenSetting> settings; // in the order given; they go over the format's defaults
    QString libraryOption;        // the first option given that needs -L, as written
    bool stop = false;
};

void fail(Reading &reading, const QString &error)
{
    reading.result.error = error;
    reading.stop = true;
}

// One option, as written, with its value if it takes one. The format is found at once: the other
// settings go over its defaults.
void take(const BatchOption &option, const QString &written, const QString &value, Reading &reading)
{
    if (reading.libraryOption.isEmpty() && option.libraryOnly)
        reading.libraryOption = written;
    switch (option.kind) {
    case Kind::Help:
        reading.result.helpAsked = true;
        reading.stop = true;
        return;
    case Kind::Version:
        reading.result.versionAsked = true;
        reading.stop = true;
        return;
    case Kind::DryRun:
        reading.options.dryRun = true;
        return;
    case Kind::NoCue:
        reading.options.images.split = false;
        return;
    case Kind::Format:
        if (const std::optional<OutputFormat> format = FormatTable::formatNamed(value.toLower()))
            reading.options.format = *format;
        else
            fail(reading, BatchTexts::badValue(written, value));
        return;
    case Kind::Program:
        if (!option.takesValue()) {
            option.program->assign(reading.options.settings, option.switchValue);
            return;
        }
        break;
    default:
        break;
    }
    reading.settings.append({&option, written, value});
}

// "--name", "--name=value" or "--name value"; k moves on past a value taken from the next argument.
void readLongOption(const QList<QByteArray> &arguments, qsizetype &k, Reading &reading)
{
    const QByteArray &argument = arguments[k];
    const QString text = QString::fromLocal8Bit(argument.mid(2));
    const qsizetype equals = text.indexOf(u'=');
    const BatchOption *option = optionNamed(text.left(equals));
    if (!option)
        return fail(reading, BatchTexts::unknownOption() + QString::fromLocal8Bit(argument));
    const QString written = QStringLiteral("--") + option->longName;
    if (!option->takesValue()) {
        if (equals >= 0)
            return fail(reading, BatchTexts::valueNotTaken(written));
        return take(*option, written, QString(), reading);
    }
    if (equals >= 0)
        return take(*option, written, text.mid(equals + 1), reading);
    if (k + 1 < arguments.size())
        return take(*option, written, QString::fromLocal8Bit(arguments[++k]), reading);
    fail(reading, BatchTexts::missingValue(written));
}

// Letters behind one "-", as getopt reads them: options without a value, then perhaps one that takes
// the rest of the argument, or else the next argument, as its value.
void readLetters(const QList<QByteArray> &arguments, qsizetype &k, Reading &reading)
{
    const QByteArray &argument = arguments[k];
    for (qsizetype i = 1; i < argument.size() && !reading.stop; ++i) {
        const BatchOption *option = optionLettered(argument.at(i));
        // Named from the letter that is no option on, so that "-xyz" reads as it was written.
        if (!option)
            return fail(reading, BatchTexts::unknownOption() + QLatin1Char('-') +
                                     QString::fromLocal8Bit(argument.mid(i)));
        const QString written = QStringLiteral("-") + QChar(option->letter);
        if (!option->takesValue()) {
            take(*option, written, QString(), reading);
        } else if (i + 1 < argument.size()) {
            return take(*option, written, QString::fromLocal8Bit(argument.mid(i + 1)), reading);
        } else if (k + 1 < arguments.size()) {
            return take(*option, written, QString::fromLocal8Bit(arguments[++k]), reading);
        } else {
            return fail(reading, BatchTexts::missingValue(written));
        }
    }
}

} // namespace

namespace BatchCommandLine {

ParsedCommandLine parse(const QList<QByteArray> &arguments, const QString &currentFolder, int mostFiles)
{
    Reading reading;
    ParsedCommandLine &result = reading.result;
    BatchOptions &options = reading.options;
    options.outputFolder = QDir::cleanPath(currentFolder);
    bool optionsEnded = false;
    for (qsizetype k = 0; k < arguments.size() && !reading.stop; ++k) {
        const QByteArray &argument = arguments[k];
        if (optionsEnded || !argument.startsWith('-') || argument == "-")
            options.inputs.append(absolutePath(argument, currentFolder));
        else if (argument == "--")
            optionsEnded = true;
        else if (argument.startsWith("--"))
            readLongOption(arguments, k, reading);
        else
            readLetters(arguments, k, reading);
    }
    if (reading.stop)
        return result;
    options.encoding = FormatTable::defaultSettings(options.format);
    for (const GivenSetting &setting : std::as_const(reading.settings)) {
        result.error = applyOption(setting, currentFolder, mostFiles, options);
        if (!result.error.isEmpty())
            return result;
    }
    result.error = FormatTable::refusedSetting(options.format, options.encoding);
    if (!result.error.isEmpty())
        return result;
    if (!options.settings.libraryMode && !reading.libraryOption.isEmpty()) {
        result.error = BatchTexts::withoutLibrary(reading.libraryOption);
        return result;
    }
    if (options.inputs.isEmpty()) {
        result.error = BatchTexts::noInput();
        return result;
    }
    result.options = options;
    return result;
}

} // namespace BatchCommandLine
