#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtEndian>

// Reads numbers and runs of bytes from the front of a piece of a file, in either byte order; a
// read past the end leaves the reader failed, and every read after it gives nothing.
class ByteReader
{
public:
    explicit ByteReader(QByteArrayView bytes)
        : m_bytes(bytes)
    {}

    bool failed() const { return m_failed; }
    qsizetype position() const { return m_position; }
    qsizetype left() const { return m_failed ? 0 : m_bytes.size() - m_position; }

    quint32 bigEndian32() { return number<quint32, qFromBigEndian<quint32>>(); }
    quint32 littleEndian32() { return number<quint32, qFromLittleEndian<quint32>>(); }
    quint16 bigEndian16() { return number<quint16, qFromBigEndian<quint16>>(); }
    quint64 bigEndian64() { return number<quint64, qFromBigEndian<quint64>>(); }

    QByteArrayView bytes(qint64 count)
    {
        if (m_failed || count < 0 || count > m_bytes.size() - m_position) {
            m_failed = true;
            return {};
        }
        const QByteArrayView part = m_bytes.sliced(m_position, qsizetype(count));
        m_position += qsizetype(count);
        return part;
    }
    void skip(qint64 count) { bytes(count); }

    // A value of a number of bytes in the order it is kept, at a place of a piece, with no reader:
    // 0 where the piece is too short.
    static quint32 bigEndianAt(QByteArrayView bytes, qsizetype at, int count = 4)
    {
        quint32 value = 0;
        for (int k = 0; k < count; ++k)
            value = (value << 8) | (at + k < bytes.size() ? uchar(bytes[at + k]) : 0);
        return value;
    }
    static quint32 littleEndianAt(QByteArrayView bytes, qsizetype at, int count = 4)
    {
        quint32 value = 0;
        for (int k = count - 1; k >= 0; --k)
            value = (value << 8) | (at + k < bytes.size() ? uchar(bytes[at + k]) : 0);
        return value;
    }

private:
    template<typename Number, Number (*convert)(const void *)>
    Number number()
    {
        const QByteArrayView part = bytes(sizeof(Number));
        return m_failed ? Number(0) : convert(part.data());
    }

    QByteArrayView m_bytes;
    qsizetype m_position = 0;
    bool m_failed = false;
};
