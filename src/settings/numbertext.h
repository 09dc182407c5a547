#pragma once

#include <QString>

#include <optional>

// Numbers typed into fields or stored in the settings files. A value is read as a decimal number
// (sign, digits, fraction, exponent) and rounded half to even before it is put into a 16- or
// 32-bit variable.
namespace NumberText {

// The number at the start of the text: blanks before it are skipped, reading stops at the first
// character that cannot continue the number, and a text without a leading number gives 0.
double leading(const QString &text);

// The whole text as one number, blanks around it allowed; nothing when anything else is there
// (an empty text, letters, a second number).
std::optional<double> whole(const QString &text);

// Rounds to the nearest whole number, halves to even. A value beyond the range of qint64 gives
// its nearest end, NaN gives 0.
qint64 roundHalfEven(double value);

// Rounded half to even; nothing when the rounded value does not fit (or is not finite).
std::optional<qint16> toInt16(double value);
std::optional<qint32> toInt32(double value);

} // namespace NumberText
