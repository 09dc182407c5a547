#include "app/startoptions.h"

#include "platform/productinfo.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace StartOptions {

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(StartOptions)
};

bool existsIn(const QByteArray &currentFolder, const QByteArray &argument)
{
    const QString path = QFile::decodeName(argument);
    return QFileInfo::exists(QFileInfo(path).isAbsolute() ? path
                                                          : QFile::decodeName(currentFolder) + u'/' + path);
}

} // namespace

Reading read(const QList<QByteArray> &arguments, const QByteArray &currentFolder)
{
    Reading reading;
    bool optionsEnded = false;
    for (const QByteArray &argument : arguments) {
        if (optionsEnded || !argument.startsWith('-')) {
            reading.paths.append(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            return {Reading::Ask::Help, {}, {}};
        } else if (argument == "--version") {
            return {Reading::Ask::Version, {}, {}};
        } else if (existsIn(currentFolder, argument)) {
            reading.paths.append(argument);
        } else {
            return {Reading::Ask::UsageError, {}, argument};
        }
    }
    return reading;
}

QString usage()
{
    //: the options and the column their descriptions start in stay as they are
    return Texts::tr("用法：tunoxa [-h] [--version] [--] [FILE|FOLDER...]\n"
                     "打开转换窗口，把 FILE 和 FOLDER（及其子文件夹）中的 FLAC 文件加入列表；"
                     "程序已在运行时，交给它的窗口。\n"
                     "\n"
                     "  -h, --help     显示本说明\n"
                     "      --version  显示版本\n"
                     "  --             其后的参数都是文件，即使以 - 开头\n"
                     "\n"
                     "也接受 Qt 的选项，如 -platform、-style。不用窗口转换文件：tunoxa-batch --help。\n");
}

QString unknownOptionText(const QByteArray &option)
{
    return Texts::tr("tunoxa：没有这个选项，也没有这个文件：%1\n用法见 tunoxa --help。\n")
        .arg(QString::fromLocal8Bit(option));
}

QString versionLine()
{
    return QStringLiteral("tunoxa ") + ProductInfo::versionNumber() + u'\n';
}

} // namespace StartOptions
