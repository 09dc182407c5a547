#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The music cutter's times: whole seconds stored, hours, minutes and seconds shown.
namespace CutTime {

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

} // namespace CutTime
