#include "convprogress.h"

#include "runner/toolphrases.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

QList<ProgressReader::Report> ProgressReader::feed(const QByteArray &data)
{
    m_pending += data;
    QList<Report> reports;
    qsizetype start = 0;
    for (qsizetype nl = m_pending.indexOf('\n'); nl >= 0; nl = m_pending.indexOf('\n', start)) {
        const QByteArray line = m_pending.mid(start, nl - start).trimmed();
        start = nl + 1;
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1).trimmed();
        bool ok = false;
        if (key == "frame") {
            const qint64 frames = value.toLongLong(&ok);
            if (ok)
                m_current.frames = frames;
        } else if (key == "out_time_us") {
            // "N/A" until the first packet is written.
            const qint64 us = value.toLongLong(&ok);
            if (ok)
                m_current.seconds = std::max<qint64>(us, 0) / 1e6;
        } else if (key == "progress") {
            m_current.end = value == "end";
            reports.append(m_current);
        }
    }
    m_pending.remove(0, start);
    return reports;
}

namespace ProgressText {

int percent(double seconds, double durationSeconds)
{
    if (!(durationSeconds > 0) || !(seconds > 0))
        return 0;
    return static_cast<int>(std::clamp(std::floor(seconds / durationSeconds * 100), 0.0, 99.0));
}

QByteArray positionLine(double seconds, qint64 frames, int percent)
{
    using namespace ToolPhrases;
    const auto size = [](QLatin1StringView phrase) { return static_cast<int>(phrase.size()); };
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%.*s%6.1fs %6lldf %.*s%2d%.*s ", size(Position),
                                Position.data(), seconds, static_cast<long long>(frames), size(PercentOpen),
                                PercentOpen.data(), percent, size(PercentClose), PercentClose.data());
    return QByteArray(text, std::clamp(n, 0, static_cast<int>(sizeof text) - 1));
}

} // namespace ProgressText
