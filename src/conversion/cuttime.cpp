#include "conversion/cuttime.h"

#include "settings/numbertext.h"

#include <QCoreApplication>

#include <cmath>

namespace CutTime {

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CutTime)
};

} // namespace

Parts split(qint32 totalSeconds)
{
    const double s = totalSeconds;
    Parts parts;
    parts.hours = qint64(std::floor(s / 3600));
    parts.minutes = qint64(std::floor((s - double(parts.hours) * 3600) / 60));
    parts.seconds = qint64(std::floor(s - double(parts.hours) * 3600 - double(parts.minutes) * 60));
    return parts;
}

std::optional<qint32> toSeconds(const QString &hours, const QString &minutes, const QString &seconds)
{
    return NumberText::toInt32(NumberText::leading(hours) * 3600 + NumberText::leading(minutes) * 60 +
                               NumberText::leading(seconds));
}

QString startTitle()
{
    return Texts::tr("开始");
}

QString endTitle()
{
    return Texts::tr("结束");
}

QString negativeTime()
{
    return Texts::tr("时间不能为负数");
}

QString endBeforeStart()
{
    return Texts::tr("结束时间必须晚于开始时间");
}

QString hoursTitle()
{
    return Texts::tr("小时");
}

QString hoursTooLarge()
{
    return Texts::tr("小时必须小于100");
}

bool endsAfterStart(qint32 startSeconds, qint32 endSeconds)
{
    return endSeconds == 0 || endSeconds > startSeconds;
}

std::optional<RangeProblem> rangeProblem(qint32 startSeconds, qint32 endSeconds)
{
    if (startSeconds < 0)
        return RangeProblem{startTitle(), negativeTime()};
    if (endSeconds < 0)
        return RangeProblem{endTitle(), negativeTime()};
    if (startSeconds > MostSeconds || endSeconds > MostSeconds)
        return RangeProblem{hoursTitle(), hoursTooLarge()};
    if (!endsAfterStart(startSeconds, endSeconds))
        return RangeProblem{endTitle(), endBeforeStart()};
    return std::nullopt;
}

} // namespace CutTime
