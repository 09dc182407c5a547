#include "platform/handoffreader.h"
#include "platform/instancehandoff.h"

#include <QLocalSocket>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

// A handoff message's pieces as QDataStream writes them: a big-endian quint32, and a path after its length.
QByteArray field(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray pathField(const QByteArray &path)
{
    return field(quint32(path.size())) + path;
}

} // namespace

// The running program's end of the handoff, with a sender that is not a start of the program.
class TestInstanceHandoff : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

private slots:
    // What a later start sends is read as it arrives and within bounds: a message that breaks one is
    // dropped unread and its connection closed, and the paths that came whole before it still arrive.
    void handoffWithinBounds_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QList<QByteArray>>("arrived");
        QTest::addColumn<int>("answers"); // the bytes that say "taken"
        QTest::addColumn<bool>("closed");
        const QByteArray a("/music/a.flac");
        const QByteArray b("/music/b.flac");
        QTest::newRow("two messages")
            << field(1) + pathField(a) + field(1) + pathField(b) << QList<QByteArray>{a, b} << 2 << false;
        const QByteArray longest = '/' + QByteArray(HandoffReader::MostPathBytes - 1, 'x');
        QTest::newRow("a path of 4096 bytes")
            << field(1) + pathField(longest) << QList<QByteArray>{longest} << 1 << false;
        QTest::newRow("empty and relative paths are left out")
            << field(4) + pathField({}) + pathField("b.flac") + pathField(":b.flac") + pathField(a)
            << QList<QByteArray>{a} << 1 << false;
        QTest::newRow("a path of 64 MB")
            << field(3) + pathField(a) + field(64 << 20) + QByteArray(1 << 20, 'x') << QList<QByteArray>{a}
            << 1 << true;
        QTest::newRow("a crafted count") << field(1) + pathField(a) + field(0xFFFFFFFF) + pathField(b)
                                         << QList<QByteArray>{a} << 1 << true;
        // 4 bytes of count, then 4 + 4000 bytes a path: 4190 paths fit into 16 MB.
        const QByteArray path4000 = '/' + QByteArray(3999, 'y');
        QByteArray overflowing = field(5000);
        for (int k = 0; k < 5000; ++k)
            overflowing += pathField(path4000);
        QTest::newRow("a message beyond 16 MB")
            << overflowing << QList<QByteArray>(4190, path4000) << 1 << true;
    }
    void handoffWithinBounds()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QList<QByteArray>, arrived);
        QFETCH(int, answers);
        QFETCH(bool, closed);
        const QString name = m_folder.filePath(u"bounds.socket"_qs);
        HandoffServer server;
        QVERIFY(server.listen(name));
        QList<QByteArray> received;
        connect(&server, &HandoffServer::pathsArrived, this,
                [&](const QList<QByteArray> &paths) { received += paths; });
        QLocalSocket sender;
        QByteArray answered;
        connect(&sender, &QLocalSocket::readyRead, this, [&] { answered += sender.readAll(); });
        sender.connectToServer(name);
        QVERIFY(sender.waitForConnected(5000));
        sender.write(sent);

        QTRY_COMPARE(answered, QByteArray(answers, '\x01'));
        QTRY_COMPARE(received, arrived);
        if (closed)
            QTRY_COMPARE(sender.state(), QLocalSocket::UnconnectedState);
        else
            QCOMPARE(sender.state(), QLocalSocket::ConnectedState);
    }
};

QTEST_GUILESS_MAIN(TestInstanceHandoff)
#include "tst_instancehandoff.moc"
