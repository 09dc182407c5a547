#include "conversion/filefailure.h"

#include "conversion/runtexts.h"
#include "media/cuesheet.h"
#include "runner/runnertexts.h"

#include <QCoreApplication>

#include <cerrno>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(FileFailure)
};

// In the program's own words: the system's are English under the C locale the Chinese interface
// runs in, and a tool's repeat the path the line already starts with.
QString unreachableText(const QString &errorNumber)
{
    switch (errorNumber.toInt()) {
    case ENOENT:
        return Texts::tr("文件不存在");
    case EACCES:
        return Texts::tr("没有读取权限");
    case EISDIR:
        return Texts::tr("是文件夹，不是文件");
    case ENOTDIR:
        return Texts::tr("路径中有一部分不是文件夹");
    case ELOOP:
        return Texts::tr("符号链接层数过多或成环");
    case ENAMETOOLONG:
        return Texts::tr("文件名或路径太长");
    case EIO:
        return Texts::tr("读取时出现设备错误");
    default:
        return RunTexts::inputUnreachable();
    }
}

} // namespace

QString failureText(const FileFailure &failure)
{
    using Kind = FileFailure::Kind;
    switch (failure.kind) {
    case Kind::NoFormat:
        return RunTexts::noFormatSelected();
    case Kind::SourceUnreachable:
        return unreachableText(failure.detail);
    case Kind::NotRegularFile:
        return RunTexts::notRegularFile();
    case Kind::DamagedSource:
        return RunTexts::damagedSource();
    case Kind::UndecodableSource:
        return RunTexts::undecodableSource();
    case Kind::DiskFull:
        return RunTexts::diskFull();
    case Kind::IncompleteOutput:
        return RunTexts::incompleteOutput();
    case Kind::OutputPlaceTaken:
        return RunTexts::outputOccupied();
    case Kind::OutputFolderUnwritable:
        return RunTexts::cannotWriteOutputFolder() + failure.detail;
    case Kind::OutputNameRefused:
        return Texts::tr("文件系统不接受输出文件的名称");
    case Kind::CutBeyondInput:
        return RunTexts::cutBeyondInput();
    case Kind::ToolNotStarted:
        return RunnerTexts::startProblem(ToolRunner::StartProblem(failure.detail.toInt()));
    case Kind::ToolKilled:
        return Texts::tr("转换工具被终止");
    case Kind::ToolExitStatus:
        return Texts::tr("转换工具退出状态 %1").arg(failure.detail);
    case Kind::NoOutputWritten:
        return Texts::tr("转换工具没有写出文件");
    case Kind::PartialInput:
        return Texts::tr("转换工具只处理了部分输入");
    case Kind::CueSheetWrong: {
        const QStringList numbers = failure.detail.split(u' ');
        return CueProblem{CueProblem::Kind(numbers.value(0).toInt()), numbers.value(1).toInt()}.text();
    }
    case Kind::ToolSaid:
        break;
    }
    return failure.detail;
}
