#include "conversion/stageverdict.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace StageVerdict {

namespace {

// A time value as the tools print it: hh:mm:ss(.ff) or plain seconds.
const QString timeValue = QStringLiteral(R"((\d+:\d+:\d+(?:\.\d*)?|\d+(?:\.\d*)?))");

// Reason of a failed stage: the tool's own last words, or the fallback when it printed nothing.
QString reasonOr(const StageOutcome &outcome, const QString &fallback)
{
    const QString line = lastLine(outcome.output);
    return line.isEmpty() ? fallback : line;
}

} // namespace

double readTime(QStringView text)
{
    static const QRegularExpression clock(QStringLiteral(R"(^\s*(\d+):(\d+):(\d+(?:\.\d*)?))"));
    static const QRegularExpression seconds(QStringLiteral(R"(^\s*(\d+(?:\.\d*)?))"));
    const QRegularExpressionMatch c = clock.match(text);
    if (c.hasMatch())
        return c.capturedView(1).toDouble() * 3600 + c.capturedView(2).toDouble() * 60 +
               c.capturedView(3).toDouble();
    const QRegularExpressionMatch s = seconds.match(text);
    return s.hasMatch() ? s.capturedView(1).toDouble() : -1.0;
}

double announcedDuration(const QString &output)
{
    static const QRegularExpression duration(QStringLiteral("Duration: ") + timeValue);
    const QRegularExpressionMatch m = duration.match(output);
    return m.hasMatch() ? readTime(m.capturedView(1)) : -1.0;
}

double lastProgressTime(const QString &output)
{
    static const QRegularExpression progress(QStringLiteral(R"((?:time=|Pos:)\s*)") + timeValue);
    double last = -1.0;
    QRegularExpressionMatchIterator it = progress.globalMatch(output);
    while (it.hasNext())
        last = readTime(it.next().capturedView(1));
    return last;
}

QString lastLine(const QString &output)
{
    static const QRegularExpression lineEnd(QStringLiteral("[\r\n]"));
    const QStringList lines = output.split(lineEnd, Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QString line = it->trimmed();
        if (!line.isEmpty())
            return line;
    }
    return {};
}

QString failureReason(const StageOutcome &outcome)
{
    if (!outcome.started)
        return outcome.startFailure.isEmpty() ? QStringLiteral("无法启动转换工具") : outcome.startFailure;
    if (outcome.crashed)
        return reasonOr(outcome, QStringLiteral("转换工具被终止"));
    if (outcome.exitCode != 0)
        return reasonOr(outcome, QStringLiteral("转换工具退出状态 %1").arg(outcome.exitCode));
    if (!outcome.writtenPath.isEmpty()) {
        const QFileInfo written(outcome.writtenPath);
        if (!written.isFile() || written.size() == 0)
            return reasonOr(outcome, QStringLiteral("转换工具没有写出文件"));
    }
    // A damaged input the tool decoded only in part: it stopped more than a second before the
    // end it announced for the input.
    const double duration = announcedDuration(outcome.output);
    const double reached = lastProgressTime(outcome.output);
    if (duration > 0 && reached >= 0 && reached < duration - 1.0)
        return reasonOr(outcome, QStringLiteral("转换工具只处理了部分输入"));
    return {};
}

} // namespace StageVerdict
