#include "runner/utf8chunkdecoder.h"

namespace {

// Length of the sequence a lead byte opens; 1 for ASCII and for bytes that cannot lead.
int sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0 && lead <= 0xF7)
        return 4;
    if (lead >= 0xE0)
        return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

// Where an unfinished sequence at the end of bytes begins, or bytes.size() when there is none.
qsizetype unfinishedTail(const QByteArray &bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= n; ++back) {
        const auto c = static_cast<unsigned char>(bytes.at(n - back));
        if ((c & 0xC0) == 0x80)
            continue;
        return sequenceLength(c) > back ? n - back : n;
    }
    return n;
}

} // namespace

QString Utf8ChunkDecoder::decode(const QByteArray &bytes)
{
    QByteArray data = m_carry + bytes;
    const qsizetype end = unfinishedTail(data);
    m_carry = data.mid(end);
    data.truncate(end);
    return QString::fromUtf8(data);
}

QString Utf8ChunkDecoder::flush()
{
    const QString rest = QString::fromUtf8(m_carry);
    m_carry.clear();
    return rest;
}
