#include "batch/batchoptions.h"

#include "batch/batchtexts.h"
#include "shell/userpath.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

struct FormatName
{
    QStringView name;
    OutputFormat format;
};

constexpr std::array<FormatName, FormatTable::formatCount> formatNameTable{{
    {u"mp3", OutputFormat::Mp3},
    {u"rmvb", OutputFormat::Rmvb},
    {u"rm", OutputFormat::Rm},
    {u"mpg", OutputFormat::Mpg},
    {u"avi", OutputFormat::Avi},
    {u"mp4hd", OutputFormat::HdMp4},
    {u"mov", OutputFormat::Mov},
    {u"mp4mobile", OutputFormat::MobileMp4},
    {u"3gp", OutputFormat::ThreeGp},
}};

// The letters of the options that take a value.
constexpr QStringView valueOptions = u"fbrcvsFoj";

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
QString applyOption(QChar letter, const QString &value, const QString &currentFolder, int mostFiles,
                    BatchOptions &options)
{
    const QString option = QStringLiteral("-") + letter;
    const QString bad = BatchTexts::badValue(option, value);
    EncodingSettings &encoding = options.encoding;
    switch (letter.unicode()) {
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
        const bool original = value == u"original" || value == FormatTable::originalSize();
        encoding.size = original ? FormatTable::originalSize() : value;
        return original || matches(QStringLiteral("[1-9][0-9]*x[1-9][0-9]*"), value) ? QString() : bad;
    }
    case 'F':
        encoding.frameRate = value;
        return isPositiveNumber(value, true) ? QString() : bad;
    case 'o':
        options.outputFolder = QDir::cleanPath(UserPath::absolute(value, currentFolder));
        return value.isEmpty() ? bad : QString();
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

// A format's defaults as the settings boxes would take them; the video boxes of an audio format
// stay empty, since its recipe reads none of them.
EncodingSettings defaultSettings(OutputFormat format)
{
    const FormatDefaults d = FormatTable::defaultsFor(format);
    return {d.videoBitrate.value_or(QString()),
            d.frameRate.value_or(QString()),
            d.size.value_or(QString()),
            d.sampleRate,
            d.audioBitrate,
            d.channelIndex};
}

// The names -f takes, in the order the usage lists them.
QStringList formatNames()
{
    QStringList names;
    for (const FormatName &entry : formatNameTable)
        names.append(entry.name.toString());
    return names;
}

std::optional<OutputFormat> formatNamed(const QString &name)
{
    for (const FormatName &entry : formatNameTable) {
        if (entry.name == name)
            return entry.format;
    }
    return std::nullopt;
}

} // namespace

namespace BatchCommandLine {

ParsedCommandLine parse(const QList<QByteArray> &arguments, const QString &currentFolder, int mostFiles)
{
    ParsedCommandLine result;
    // The format is found first: the other settings go over its defaults.
    QList<std::pair<QChar, QString>> settings;
    BatchOptions options;
    options.outputFolder = QDir::cleanPath(currentFolder);
    bool optionsEnded = false;
    for (qsizetype k = 0; k < arguments.size(); ++k) {
        const QByteArray &argument = arguments[k];
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            options.inputs.append(absolutePath(argument, currentFolder));
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            result.helpAsked = true;
            return result;
        }
        const QChar letter = QLatin1Char(argument.at(1));
        if (argument.startsWith("--") || !valueOptions.contains(letter)) {
            result.error = BatchTexts::unknownOption() + QString::fromLocal8Bit(argument);
            return result;
        }
        QString value;
        if (argument.size() > 2) {
            value = QString::fromLocal8Bit(argument.mid(2));
        } else if (k + 1 < arguments.size()) {
            value = QString::fromLocal8Bit(arguments[++k]);
        } else {
            result.error = BatchTexts::missingValue(QString::fromLocal8Bit(argument));
            return result;
        }
        if (letter == u'f') {
            const std::optional<OutputFormat> format = formatNamed(value.toLower());
            if (!format) {
                result.error = BatchTexts::badValue(QStringLiteral("-f"), value);
                return result;
            }
            options.format = *format;
        } else {
            settings.append({letter, value});
        }
    }
    options.encoding = defaultSettings(options.format);
    for (const auto &[letter, value] : std::as_const(settings)) {
        result.error = applyOption(letter, value, currentFolder, mostFiles, options);
        if (!result.error.isEmpty())
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
    QString text = QStringLiteral(
        "用法：tunoxa-batch [-f FORMAT] [-b KBIT] [-r HZ] [-c 1|2] [-v KBIT] [-s WxH] [-F FPS] [-o FOLDER] "
        "[-j N] FILE|FOLDER...\n"
        "不用窗口转换文件：FILE 直接加入列表，FOLDER 及其子文件夹中的 FLAC 文件按名称顺序加入。\n"
        "\n"
        "  -f FORMAT   输出格式：%1（默认 mp3）\n"
        "  -b KBIT     音频比特率\n"
        "  -r HZ       采样率\n"
        "  -c 1|2      声道：1 单声道，2 双声道\n"
        "  -v KBIT     视频比特率\n"
        "  -s WxH      画面大小，或 original（原始大小）\n"
        "  -F FPS      帧率\n"
        "  -o FOLDER   输出文件夹（默认当前文件夹）\n"
        "  -j N        同时转换的文件数（默认 1），最多 %2（处理器核数）\n"
        "  -h, --help  显示本说明\n"
        "\n"
        "未给出的设置取所选格式的默认值：\n");
    text = text.arg(formatNames().join(QStringLiteral("、"))).arg(mostFiles);
    for (const FormatName &entry : formatNameTable) {
        const FormatDefaults d = FormatTable::defaultsFor(entry.format);
        QString line = QStringLiteral("  %1 -b %2 -r %3 -c %4")
                           .arg(entry.name.toString().leftJustified(10), d.audioBitrate, d.sampleRate)
                           .arg(d.channelIndex + 1);
        if (d.videoBitrate)
            line += QStringLiteral(" -v ") + *d.videoBitrate;
        if (d.size)
            line += QStringLiteral(" -s ") +
                    (*d.size == FormatTable::originalSize() ? QStringLiteral("original") : *d.size);
        if (d.frameRate)
            line += QStringLiteral(" -F ") + *d.frameRate;
        text += line + QLatin1Char('\n');
    }
    text += QStringLiteral("\n退出状态：0 全部文件转换成功；1 有文件转换失败，或转换工具、文件夹无法使用；"
                           "2 用法错误。\n");
    return text;
}

} // namespace BatchCommandLine
