#include "batch/batchoptionlist.h"
#include "batch/batchoptions.h"
#include "batch/batchtexts.h"

#include <QCoreApplication>

namespace {

using Kind = BatchOption::Kind;

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(BatchCommandLine)
};

// The column the options' descriptions start in.
constexpr qsizetype descriptionColumn = 29;

// "-j N", or the long form for an option without a letter: "--cover-size PX".
QString shortForm(const BatchOption &option)
{
    QString form = option.letter != 0 ? QStringLiteral("-") + QChar(option.letter)
                                      : QStringLiteral("--") + option.longName;
    if (option.takesValue())
        form += QLatin1Char(' ') + option.valueName.toString();
    return form;
}

// Help and version end at once: the synopsis leaves them out.
bool inSynopsis(const BatchOption &option)
{
    return option.usageText && option.kind != Kind::Help && option.kind != Kind::Version;
}

// The program with its options: [-f FORMAT] ... [-L [-n] [--delete] ...], those that need -L inside -L's.
QString synopsis()
{
    const ProgramOption &library = ProgramOptions::of(&ProgramSettings::libraryMode);
    QString needingLibrary;
    for (const BatchOption &option : BatchOptionList::all()) {
        if (inSynopsis(option) && option.libraryOnly)
            needingLibrary += QStringLiteral(" [") + shortForm(option) + QLatin1Char(']');
    }
    QString text = BatchTexts::programName();
    for (const BatchOption &option : BatchOptionList::all()) {
        if (inSynopsis(option) && !option.libraryOnly)
            text += QStringLiteral(" [") + shortForm(option) +
                    (option.program == &library ? needingLibrary : QString()) + QLatin1Char(']');
    }
    return text + QStringLiteral(" FILE|FOLDER...");
}

// The text with %1, %2 and so on replaced by the values; a text names only those it needs.
QString filled(const QString &text, const QStringList &values)
{
    QString result = text;
    for (qsizetype k = values.size(); k >= 1; --k)
        result.replace(QLatin1Char('%') + QString::number(k), values[k - 1]);
    return result;
}

QString description(const BatchOption &option, int mostFiles)
{
    const QString text = QCoreApplication::translate("BatchCommandLine", option.usageText);
    if (option.kind == Kind::Format) {
        QStringList names;
        for (OutputFormat format : BatchCommandLine::formats())
            names.append(FormatTable::commandName(format));
        //: between the format names
        return filled(text, {names.join(Texts::tr("、")), names.constFirst()});
    }
    if (option.kind != Kind::Program)
        return text;
    const ProgramOption &program = *option.program;
    const QString described =
        filled(text, {QString::number(program.defaultValue()), QString::number(program.mostWith(mostFiles))});
    return program.libraryOnly ? Texts::tr("与 -L 一起：") + described : described;
}

QString optionLine(const BatchOption &option, int mostFiles)
{
    QString column = option.letter != 0 ? QStringLiteral("  -") + QChar(option.letter) + QStringLiteral(", ")
                                        : QStringLiteral("      ");
    column += QStringLiteral("--") + option.longName;
    if (option.takesValue())
        column += QLatin1Char(' ') + option.valueName.toString();
    return column.leftJustified(descriptionColumn - 1) + QLatin1Char(' ') + description(option, mostFiles) +
           QLatin1Char('\n');
}

QString formatDefaultsLine(OutputFormat format)
{
    const FormatDefaults d = FormatTable::defaultsFor(format);
    QString line = QStringLiteral("  %1 -b %2 -r %3 -c %4")
                       .arg(FormatTable::commandName(format).leftJustified(10), d.audioBitrate, d.sampleRate)
                       .arg(d.channelIndex + 1);
    if (d.videoBitrate)
        line += QStringLiteral(" -v ") + *d.videoBitrate;
    if (d.size)
        line += QStringLiteral(" -s ") +
                (FormatTable::keepsOriginalSize(*d.size) ? QStringLiteral("original") : *d.size);
    if (d.frameRate)
        line += QStringLiteral(" -F ") + *d.frameRate;
    return line + QLatin1Char('\n');
}

} // namespace

namespace BatchCommandLine {

QList<OutputFormat> formats()
{
    QList<OutputFormat> formats = {BatchOptions().format};
    for (int position = 0; position < FormatTable::formatCount; ++position) {
        if (*FormatTable::formatAt(position) != formats.constFirst())
            formats.append(*FormatTable::formatAt(position));
    }
    return formats;
}

QString usage(int mostFiles)
{
    //: %1 is the command with its options, which stay as they are
    QString text =
        Texts::tr("用法：%1\n"
                  "不用窗口转换文件：FILE 直接加入列表，FOLDER 及其子文件夹中的 FLAC 文件按名称顺序加入。\n"
                  "整轨文件（一个 FLAC 加一个 CUE 表）分成各音轨，每轨一个输出；FILE 也可以是 CUE 表。\n"
                  "\n")
            .arg(synopsis());
    for (const BatchOption &option : BatchOptionList::all()) {
        if (option.usageText)
            text += optionLine(option, mostFiles);
    }
    //: the options stay as they are
    text += Texts::tr("长选项的取值也可以用 = 连接，如 --output=FOLDER；单字母选项可以合写，如 -Lnj2。\n"
                      "\n"
                      "未给出的设置取所选格式的默认值：\n");
    for (OutputFormat format : BatchCommandLine::formats())
        text += formatDefaultsLine(format);
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
