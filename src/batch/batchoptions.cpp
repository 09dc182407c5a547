#include "batch/batchoptions.h"

#include "batch/batchtexts.h"
#include "platform/userpath.h"
#include "settings/programsettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(BatchCommandLine)
};

// The formats in the order the usage lists them: the default, MP3, first, then as the window's
// selector has them.
QList<OutputFormat> listedFormats()
{
    QList<OutputFormat> formats = {OutputFormat::Mp3};
    for (int position = 0; position < FormatTable::formatCount; ++position) {
        if (position != FormatTable::positionOf(OutputFormat::Mp3))
            formats.append(*FormatTable::formatAt(position));
    }
    return formats;
}

// Every option: its letter, its long name, and whether a value follows it.
struct OptionName
{
    char16_t letter;
    QStringView longName;
    bool takesValue;
};

// Options with a long name only are told apart by values no letter of an argument can have.
constexpr char16_t deleteOption = 0xE000;
constexpr char16_t fatNamesOption = 0xE001;
constexpr char16_t noFatNamesOption = 0xE002;
constexpr char16_t coverSizeOption = 0xE003;
constexpr char16_t versionOption = 0xE004;

constexpr std::array<OptionName, 17> optionTable{{
    {u'f', u"format", true},
    {u'b', u"bitrate", true},
    {u'r', u"rate", true},
    {u'c', u"channels", true},
    {u'v', u"video-bitrate", true},
    {u's', u"size", true},
    {u'F', u"fps", true},
    {u'o', u"output", true},
    {u'j', u"jobs", true},
    {u'L', u"library", false},
    {u'n', u"dry-run", false},
    {deleteOption, u"delete", false},
    {fatNamesOption, u"fat-names", false},
    {noFatNamesOption, u"no-fat-names", false},
    {coverSizeOption, u"cover-size", true},
    {u'h', u"help", false},
    {versionOption, u"version", false},
}};

// Options that mean something in library mode only.
constexpr std::array<char16_t, 5> libraryOptions{u'n', deleteOption, fatNamesOption, noFatNamesOption,
                                                 coverSizeOption};

const OptionName *optionLettered(char letter)
{
    const auto found = std::ranges::find(optionTable, char16_t(uchar(letter)), &OptionName::letter);
    return found == optionTable.end() ? nullptr : &*found;
}

const OptionName *optionNamed(QStringView name)
{
    const auto found = std::ranges::find(optionTable, name, &OptionName::longName);
    return found == optionTable.end() ? nullptr : &*found;
}

// A setting as the command line gives it: the option as it was written (for the messages) and its
// value.
struct GivenSetting
{
    QChar letter;
    QString option;
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

// Puts one option's value in place; an error text when the value does not fit the option.
QString applyOption(const GivenSetting &setting, const QString &currentFolder, int mostFiles,
                    BatchOptions &options)
{
    const QString &value = setting.value;
    const QString bad = BatchTexts::badValue(setting.option, value);
    EncodingSettings &encoding = options.encoding;
    switch (setting.letter.unicode()) {
    case 'b':
        encoding.audioBitrate = value;
        return isPositiveNumber(value, true) ? QString() : bad;
    case 'r':
        encoding.sampleRate = value;
        return isPositiveNumber(value, false) ? QString() : bad;
    case 'c':
        encoding.channelIndex = value == u"1" ? 0 : 1;
        return value == u"1" || value == u"2" ? QString() : bad;
    case 'v':
        encoding.videoBitrate = value;
        return isPositiveNumber(value, false) ? QString() : bad;
    case 's': {
        const bool original = value == u"original" || FormatTable::keepsOriginalSize(value);
        encoding.size = original ? FormatTable::originalSize() : value;
        return original || matches(QStringLiteral("[1-9][0-9]*x[1-9][0-9]*"), value) ? QString() : bad;
    }
    case 'F':
        encoding.frameRate = value;
        return isPositiveNumber(value, true) ? QString() : bad;
    case 'o':
        options.outputFolder = QDir::cleanPath(UserPath::absolute(value, currentFolder));
        return value.isEmpty() ? bad : QString();
    case coverSizeOption: {
        bool ok = false;
        options.coverEdge = value.toInt(&ok);
        const bool fits = ok && options.coverEdge <= ProgramSettings::largestCoverEdge;
        return fits && matches(QStringLiteral("[0-9]+"), value) ? QString() : bad;
    }
    case 'j': {
        // More than the cores is as many as there are, so one command line serves every machine.
        bool ok = false;
        const int files = value.toInt(&ok);
        options.simultaneousFiles = std::min(files, mostFiles);
        return ok && files >= 1 ? QString() : bad;
    }
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
void take(const OptionName &option, const QString &written, const QString &value, Reading &reading)
{
    if (reading.libraryOption.isEmpty() &&
        std::ranges::find(libraryOptions, option.letter) != libraryOptions.end())
        reading.libraryOption = written;
    switch (option.letter) {
    case u'h':
        reading.result.helpAsked = true;
        reading.stop = true;
        return;
    case versionOption:
        reading.result.versionAsked = true;
        reading.stop = true;
        return;
    case u'L':
        reading.options.library = true;
        return;
    case u'n':
        reading.options.dryRun = true;
        return;
    case deleteOption:
        reading.options.deleteOrphans = true;
        return;
    case fatNamesOption:
    case noFatNamesOption:
        reading.options.fatNames = option.letter == fatNamesOption;
        return;
    case u'f':
        if (const std::optional<OutputFormat> format = FormatTable::formatNamed(value.toLower()))
            reading.options.format = *format;
        else
            fail(reading, BatchTexts::badValue(written, value));
        return;
    }
    reading.settings.append({QChar(option.letter), written, value});
}

// "--name", "--name=value" or "--name value"; k moves on past a value taken from the next argument.
void readLongOption(const QList<QByteArray> &arguments, qsizetype &k, Reading &reading)
{
    const QByteArray &argument = arguments[k];
    const QString text = QString::fromLocal8Bit(argument.mid(2));
    const qsizetype equals = text.indexOf(u'=');
    const OptionName *option = optionNamed(text.left(equals));
    if (!option)
        return fail(reading, BatchTexts::unknownOption() + QString::fromLocal8Bit(argument));
    const QString written = QStringLiteral("--") + option->longName.toString();
    if (!option->takesValue) {
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
        const OptionName *option = optionLettered(argument.at(i));
        // Named from the letter that is no option on, so that "-xyz" reads as it was written.
        if (!option)
            return fail(reading, BatchTexts::unknownOption() + QLatin1Char('-') +
                                     QString::fromLocal8Bit(argument.mid(i)));
        const QString written = QStringLiteral("-") + QChar(option->letter);
        if (!option->takesValue) {
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
    if (!options.library && !reading.libraryOption.isEmpty()) {
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

QString usage(int mostFiles)
{
    //: the options, their values and the column their descriptions start in stay as they are
    QString text = Texts::tr(
        "用法：tunoxa-batch [-f FORMAT] [-b KBIT] [-r HZ] [-c 1|2] [-v KBIT] [-s WxH] [-F FPS] [-o FOLDER] "
        "[-j N] [-L [-n] [--delete] [--cover-size PX] [--no-fat-names]] FILE|FOLDER...\n"
        "不用窗口转换文件：FILE 直接加入列表，FOLDER 及其子文件夹中的 FLAC 文件按名称顺序加入。\n"
        "\n"
        "  -f, --format FORMAT        输出格式：%1（默认 mp3）\n"
        "  -b, --bitrate KBIT         音频比特率\n"
        "  -r, --rate HZ              采样率\n"
        "  -c, --channels 1|2         声道：1 单声道，2 双声道\n"
        "  -v, --video-bitrate KBIT   视频比特率\n"
        "  -s, --size WxH             画面大小，或 original（原始大小）\n"
        "  -F, --fps FPS              帧率\n"
        "  -o, --output FOLDER        输出文件夹（默认当前文件夹）\n"
        "  -j, --jobs N               同时转换的文件数（默认 1），最多 %2（处理器核数）\n"
        "  -L, --library              音乐库模式：保留文件夹结构和封面，文件名不加时间，跳过已转换的文件\n"
        "  -n, --dry-run              只列出 -L "
        "将转换、替换、更新标签、移动、跳过和删除的文件，不写任何文件\n"
        "      --delete               与 -L 一起：删除来源已不在的输出文件\n"
        "      --cover-size PX        与 -L 一起：封面最大边长，更大的封面缩小（默认 1000，0 为不限）\n"
        "      --no-fat-names         与 -L 一起：文件名保留 FAT 不能存的字符（默认改为\"_\"）\n"
        "  -h, --help                 显示本说明\n"
        "      --version              显示版本\n"
        "长选项的取值也可以用 = 连接，如 --output=FOLDER；单字母选项可以合写，如 -Lnj2。\n"
        "\n"
        "未给出的设置取所选格式的默认值：\n");
    QStringList names;
    for (OutputFormat format : listedFormats())
        names.append(FormatTable::commandName(format));
    //: between the format names
    text = text.arg(names.join(Texts::tr("、"))).arg(mostFiles);
    for (OutputFormat format : listedFormats()) {
        const FormatDefaults d = FormatTable::defaultsFor(format);
        QString line =
            QStringLiteral("  %1 -b %2 -r %3 -c %4")
                .arg(FormatTable::commandName(format).leftJustified(10), d.audioBitrate, d.sampleRate)
                .arg(d.channelIndex + 1);
        if (d.videoBitrate)
            line += QStringLiteral(" -v ") + *d.videoBitrate;
        if (d.size)
            line += QStringLiteral(" -s ") +
                    (FormatTable::keepsOriginalSize(*d.size) ? QStringLiteral("original") : *d.size);
        if (d.frameRate)
            line += QStringLiteral(" -F ") + *d.frameRate;
        text += line + QLatin1Char('\n');
    }
    text += Texts::tr("\n退出状态：0 全部文件转换成功；1 有文件转换失败，或转换工具、文件夹无法使用；"
                      "2 用法错误。\n");
    //: the first line is words; the commands below it stay as they are
    text +=
        Texts::tr("\n用 GNU parallel 在多台机器上每次转换一个专辑文件夹，再预览删除：\n"
                  "  find /srv/music -mindepth 1 -maxdepth 1 -type d |\n"
                  "      parallel --will-cite --sshlogin 2/:,2/alice@host1,2/alice@host2 tunoxa-batch -L -o "
                  "/srv/mp3/music {}\n"
                  "  tunoxa-batch -L --delete -n -o /srv/mp3 /srv/music\n");
    return text;
}

} // namespace BatchCommandLine
