#pragma once

#include <QByteArray>
#include <QList>

class QIODevice;

// Reads the handoff messages of one connection as their bytes arrive, keeping no more than the path
// it is reading. A message is what QDataStream writes for a QList<QByteArray>: a quint32 count, then
// per path a quint32 length and the path's bytes, all big-endian. Nothing the peer announces is
// reserved ahead: the bounds below are checked before a single byte of a path is kept.
class HandoffReader
{
public:
    static constexpr quint32 MostPathBytes = 4096;
    static constexpr quint32 MostPaths = 100000;
    static constexpr qint64 MostMessageBytes = 16 * 1024 * 1024;

    enum class State
    {
        Reading,    // the message is not complete yet
        Complete,   // takePaths() holds the whole message
        OutOfBounds // the message breaks a bound; takePaths() holds the paths that came before
    };

    // Takes what the device holds, up to the end of the current message.
    State read(QIODevice &device);
    // The paths read so far (empty ones and relative ones are left out, as no start sends them);
    // the next message starts afresh.
    QList<QByteArray> takePaths();

private:
    // Fills m_field up to four bytes; true once it holds them.
    bool readField(QIODevice &device);
    State fieldRead(quint32 value);
    State pathEnded();

    enum class Expecting
    {
        Count,
        Length,
        Bytes
    };
    Expecting m_expecting = Expecting::Count;
    QByteArray m_field;
    quint32 m_pathsLeft = 0;
    quint32 m_bytesLeft = 0;
    qint64 m_messageBytes = 0;
    QByteArray m_path;
    QList<QByteArray> m_paths;
};
