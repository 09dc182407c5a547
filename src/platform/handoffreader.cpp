#include "platform/handoffreader.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <utility>

namespace {

constexpr int FieldBytes = 4;

} // namespace

HandoffReader::State HandoffReader::read(QIODevice &device)
{
    while (device.bytesAvailable() > 0) {
        if (m_expecting != Expecting::Bytes) {
            if (!readField(device))
                return State::Reading;
            const State state = fieldRead(qFromBigEndian<quint32>(m_field.constData()));
            m_field.clear();
            if (state != State::Reading)
                return state;
            continue;
        }
        const QByteArray piece = device.read(std::min<qint64>(m_bytesLeft, device.bytesAvailable()));
        m_path += piece;
        m_bytesLeft -= quint32(piece.size());
        if (m_bytesLeft == 0 && pathEnded() == State::Complete)
            return State::Complete;
    }
    return State::Reading;
}

QList<QByteArray> HandoffReader::takePaths()
{
    m_expecting = Expecting::Count;
    m_field.clear();
    m_path.clear();
    m_messageBytes = 0;
    return std::exchange(m_paths, {});
}

bool HandoffReader::readField(QIODevice &device)
{
    m_field += device.read(FieldBytes - m_field.size());
    return m_field.size() == FieldBytes;
}

HandoffReader::State HandoffReader::fieldRead(quint32 value)
{
    m_messageBytes += FieldBytes;
    if (m_expecting == Expecting::Count) {
        if (value > MostPaths)
            return State::OutOfBounds;
        m_pathsLeft = value;
        m_expecting = Expecting::Length;
        return value == 0 ? State::Complete : State::Reading;
    }
    // QDataStream writes a null array's length as 0xFFFFFFFF; it is beyond the bound like any other.
    m_messageBytes += value;
    if (value > MostPathBytes || m_messageBytes > MostMessageBytes)
        return State::OutOfBounds;
    if (value == 0)
        return pathEnded();
    m_bytesLeft = value;
    m_path.reserve(value);
    m_expecting = Expecting::Bytes;
    return State::Reading;
}

HandoffReader::State HandoffReader::pathEnded()
{
    if (m_path.startsWith('/'))
        m_paths.append(m_path);
    m_path.clear();
    --m_pathsLeft;
    m_expecting = m_pathsLeft == 0 ? Expecting::Count : Expecting::Length;
    return m_pathsLeft == 0 ? State::Complete : State::Reading;
}
