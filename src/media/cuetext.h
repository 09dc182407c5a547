#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The text of a cue sheet from its bytes, in whichever encoding the sheet was written.
namespace CueText {

// Sheets are a few kilobytes; a larger file is refused unread.
constexpr qsizetype largestSheet = 1 << 20;

struct Decoded
{
    QString text;
    QByteArray encoding; // the name QStringDecoder knows it by
};

// A byte-order mark decides the encoding, else valid UTF-8 is UTF-8. Otherwise each of GB18030,
// Big5, Shift_JIS, EUC-KR, EUC-JP and windows-1252 that decodes every byte is weighed: first by a
// FILE line that names an existing file (fileExists gets the name as the sheet gives it) only under
// it, then by how many of the text's other than ASCII characters are the common ones of its
// language, last by a statistical guess. A forced encoding is the only one tried. None where no
// encoding decodes the bytes.
std::optional<Decoded> decode(const QByteArray &bytes,
                              const std::function<bool(const QString &fileName)> &fileExists,
                              const QByteArray &forcedEncoding = {});

} // namespace CueText
