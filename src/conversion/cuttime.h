#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The music cutter's times: whole seconds stored, hours, minutes and seconds shown.
namespace CutTime {

// 99:59:59, the most the options dialog's fields can show.
constexpr qint32 MostSeconds = 99 * 3600 + 59 * 60 + 59;

struct Parts
{
    qint64 hours = 0;
    qint64 minutes = 0;
    qint64 seconds = 0;
};

// Each part rounded down: 3725 -> 1, 2, 5.
Parts split(qint32 totalSeconds);

// hours * 3600 + minutes * 60 + seconds from the fields' leading numbers, rounded half to even;
// nothing when the sum does not fit in 32 bits.
std::optional<qint32> toSeconds(const QString &hours, const QString &minutes, const QString &seconds);

// The warnings about a range the cutter cannot use, titled after the row they concern.
QString startTitle();     // "开始"
QString endTitle();       // "结束"
QString negativeTime();   // "时间不能为负数"
QString endBeforeStart(); // "结束时间必须晚于开始时间"
// The warning about hours of 100 or more, titled after the field.
QString hoursTitle();    // "小时"
QString hoursTooLarge(); // "小时必须小于100"

// An end of 0 means the input's end; any other end must lie after the start.
bool endsAfterStart(qint32 startSeconds, qint32 endSeconds);

struct RangeProblem
{
    QString title;
    QString text;
};

// Why a stored range cannot be cut: a negative time, a time beyond MostSeconds, or an end that is not
// after the start (an end of 0 means the input's end and is always fine). Nothing when it can.
std::optional<RangeProblem> rangeProblem(qint32 startSeconds, qint32 endSeconds);

} // namespace CutTime
