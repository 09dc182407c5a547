#pragma once

#include <QByteArray>
#include <QString>

// Decodes a byte stream that arrives in pieces. A multi-byte character cut by the end of a
// piece is held back and decoded with the next one, so no piece shows half a character.
// Qt takes the locale's 8-bit encoding to be UTF-8 on Linux, and so does this decoder.
class Utf8ChunkDecoder
{
public:
    QString decode(const QByteArray &bytes);
    // Whatever is still held back, as replacement characters: the stream has ended.
    QString flush();
    void reset() { m_carry.clear(); }

private:
    QByteArray m_carry;
};
