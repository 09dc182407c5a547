#include "common/loopbackserver.h"
#include "platform/feedbackrequest.h"

#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>

// The submission address and its web request, against a server started by the test.
class TestFeedbackRequest : public QObject
{
    Q_OBJECT

private slots:
    void init();

    // Address composition
    void compose_data();
    void compose();
    void defaultAddressIsTheBuildSetting();

    // What reaches the server
    void addressArrivesUnchanged_data();
    void addressArrivesUnchanged();

    // Verdicts
    void verdict_data();
    void verdict();
    void refusedConnectionFails();

    // Requests that never end, and abandoning them
    void silentServerKeepsWaiting();
    void abortReportsNothing();
    void destroyingAbandonsTheRequest();
    void newRequestReplacesThePendingOne();

private:
    // The address as the server decodes it, with the origin put back in front.
    QString decodedAddress(int index) const
    {
        return m_server->origin() + QUrl::fromPercentEncoding(m_server->targets.at(index));
    }
    // The query as a server reads it: split at "&" and "=", then each piece decoded.
    QUrlQuery query(int index) const
    {
        return QUrlQuery(QUrl::fromEncoded(m_server->targets.at(index)).query(QUrl::FullyEncoded));
    }

    LoopbackServer *m_server = nullptr;
};

void TestFeedbackRequest::init()
{
    delete m_server;
    m_server = new LoopbackServer(this);
    QVERIFY(m_server->listen());
}

void TestFeedbackRequest::compose_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << "Ann"
                           << "ann@example.org"
                           << "Nice"
                           << "http://x/s?name=             Ann&age=ann%40example.org&comment=(FLAC)Nice";
    QTest::newRow("blanks and ampersands stay in their field")
        << "  "
        << "a&b=c"
        << "good & fast"
        << "http://x/s?name=             %20%20&age=a%26b%3Dc&comment=(FLAC)good%20%26%20fast";
    QTest::newRow("Chinese")
        << "张三"
        << "z@例子.cn"
        << "很好用！"
        << "http://x/s?name=             %E5%BC%A0%E4%B8%89&age=z%40%E4%BE%8B%E5%AD%90.cn"
           "&comment=(FLAC)%E5%BE%88%E5%A5%BD%E7%94%A8%EF%BC%81";
    QTest::newRow("escapes not interpreted")
        << "%41"
        << "#x"
        << "a+b%20"
        << "http://x/s?name=             %2541&age=%23x&comment=(FLAC)a%2Bb%2520";
    QTest::newRow("empty fields") << ""
                                  << ""
                                  << ""
                                  << "http://x/s?name=             &age=&comment=(FLAC)";
}

void TestFeedbackRequest::compose()
{
    QFETCH(QString, name);
    QFETCH(QString, email);
    QFETCH(QString, comment);
    QFETCH(QString, expected);
    QCOMPARE(FeedbackRequest::compose(QStringLiteral("http://x/s?name="), name, email, comment), expected);
}

void TestFeedbackRequest::defaultAddressIsTheBuildSetting()
{
    QCOMPARE(FeedbackRequest::defaultAddress(), QStringLiteral(TUNOXA_FEEDBACK_URL));
}

void TestFeedbackRequest::addressArrivesUnchanged_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("comment");

    QTest::newRow("plain") << "Ann"
                           << "ann@example.org"
                           << "Nice";
    QTest::newRow("blanks") << "   "
                            << "a b"
                            << "good  and fast ";
    QTest::newRow("ampersand and equals") << "A&B"
                                          << "x=y"
                                          << "this & that = both";
    QTest::newRow("Chinese") << "张三"
                             << "张@例子.中国"
                             << "转换很快，谢谢！";
    QTest::newRow("percent escapes stay text") << "%41%42"
                                               << "%zz"
                                               << "100%";
    QTest::newRow("hash is no fragment") << "#1"
                                         << "a#b"
                                         << "see #2 and #3";
    QTest::newRow("plus stays plus") << "a+b"
                                     << "c+d@e.f"
                                     << "1+1=2";
    QTest::newRow("characters a URL cannot hold") << "\"q\""
                                                  << "<a>\\b"
                                                  << "{x}|^`[y]\t~";
}

void TestFeedbackRequest::addressArrivesUnchanged()
{
    QFETCH(QString, name);
    QFETCH(QString, email);
    QFETCH(QString, comment);

    FeedbackRequest request;
    QSignalSpy finished(&request, &FeedbackRequest::finished);
    request.send(FeedbackRequest::compose(m_server->feedbackAddress(), name, email, comment));

    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(m_server->targets.size(), 1);
    const QString blanks(13, QLatin1Char(' '));
    QCOMPARE(decodedAddress(0), m_server->feedbackAddress() + blanks + name + QStringLiteral("&age=") +
                                    email + QStringLiteral("&comment=(FLAC)") + comment);
    // Whatever the user typed, each value comes back whole from its own field.
    const QUrlQuery fields = query(0);
    QCOMPARE(fields.queryItems().size(), 3);
    QCOMPARE(fields.queryItemValue(QStringLiteral("name"), QUrl::FullyDecoded), blanks + name);
    QCOMPARE(fields.queryItemValue(QStringLiteral("age"), QUrl::FullyDecoded), email);
    QCOMPARE(fields.queryItemValue(QStringLiteral("comment"), QUrl::FullyDecoded),
             QStringLiteral("(FLAC)") + comment);
}

void TestFeedbackRequest::verdict_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<bool>("success");

    const int answer = int(LoopbackServer::Mode::Answer);
    const int usual = int(FeedbackRequest::DefaultTimeout.count());
    QTest::newRow("200") << answer << 200 << usual << true;
    QTest::newRow("204") << answer << 204 << usual << true;
    QTest::newRow("302 to a page") << answer << 302 << usual << true;
    QTest::newRow("404") << answer << 404 << usual << false;
    QTest::newRow("500") << answer << 500 << usual << false;
    QTest::newRow("503") << answer << 503 << usual << false;
    QTest::newRow("hung up without a reply") << int(LoopbackServer::Mode::HangUp) << 0 << usual << false;
    QTest::newRow("no answer within the time") << int(LoopbackServer::Mode::Silent) << 0 << 300 << false;
}

void TestFeedbackRequest::verdict()
{
    QFETCH(int, mode);
    QFETCH(int, status);
    QFETCH(int, timeoutMs);
    QFETCH(bool, success);

    m_server->setMode(LoopbackServer::Mode(mode), status);
    FeedbackRequest request;
    request.setTimeout(std::chrono::milliseconds(timeoutMs));
    QSignalSpy finished(&request, &FeedbackRequest::finished);
    request.send(FeedbackRequest::compose(m_server->feedbackAddress(), QStringLiteral("n"),
                                          QStringLiteral("e"), QStringLiteral("c")));

    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), success);
    QVERIFY(!request.isRunning());
    QTest::qWait(100);
    QCOMPARE(finished.size(), 1);
}

void TestFeedbackRequest::refusedConnectionFails()
{
    const QString address = m_server->feedbackAddress();
    delete m_server;
    m_server = nullptr;

    FeedbackRequest request;
    QSignalSpy finished(&request, &FeedbackRequest::finished);
    request.send(
        FeedbackRequest::compose(address, QStringLiteral("n"), QStringLiteral("e"), QStringLiteral("c")));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
}

void TestFeedbackRequest::silentServerKeepsWaiting()
{
    m_server->setMode(LoopbackServer::Mode::Silent);
    FeedbackRequest request;
    QSignalSpy finished(&request, &FeedbackRequest::finished);
    request.send(FeedbackRequest::compose(m_server->feedbackAddress(), QStringLiteral("n"),
                                          QStringLiteral("e"), QStringLiteral("c")));

    QTRY_COMPARE(m_server->targets.size(), 1);
    QTest::qWait(1500);
    QVERIFY(finished.isEmpty());
    QVERIFY(request.isRunning());
}

void TestFeedbackRequest::abortReportsNothing()
{
    m_server->setMode(LoopbackServer::Mode::Silent);
    FeedbackRequest request;
    QSignalSpy finished(&request, &FeedbackRequest::finished);
    request.send(FeedbackRequest::compose(m_server->feedbackAddress(), QStringLiteral("n"),
                                          QStringLiteral("e"), QStringLiteral("c")));
    QTRY_COMPARE(m_server->targets.size(), 1);

    request.abort();
    QVERIFY(!request.isRunning());
    QTRY_COMPARE(m_server->openConnections(), 0);
    QTest::qWait(100);
    QVERIFY(finished.isEmpty());
}

void TestFeedbackRequest::destroyingAbandonsTheRequest()
{
    m_server->setMode(LoopbackServer::Mode::Silent);
    auto request = std::make_unique<FeedbackRequest>();
    request->send(FeedbackRequest::compose(m_server->feedbackAddress(), QStringLiteral("n"),
                                           QStringLiteral("e"), QStringLiteral("c")));
    QTRY_COMPARE(m_server->targets.size(), 1);

    request.reset();
    QTRY_COMPARE(m_server->openConnections(), 0);
}

void TestFeedbackRequest::newRequestReplacesThePendingOne()
{
    m_server->setMode(LoopbackServer::Mode::Silent);
    FeedbackRequest request;
    QSignalSpy finished(&request, &FeedbackRequest::finished);
    request.send(FeedbackRequest::compose(m_server->feedbackAddress(), QStringLiteral("first"),
                                          QStringLiteral("e"), QStringLiteral("c")));
    QTRY_COMPARE(m_server->targets.size(), 1);

    m_server->setMode(LoopbackServer::Mode::Answer, 500);
    request.send(FeedbackRequest::compose(m_server->feedbackAddress(), QStringLiteral("second"),
                                          QStringLiteral("e"), QStringLiteral("c")));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), false);
    QCOMPARE(m_server->targets.size(), 2);
    QVERIFY(decodedAddress(1).contains(QStringLiteral("second")));
    QTest::qWait(100);
    QCOMPARE(finished.size(), 1);
}

QTEST_GUILESS_MAIN(TestFeedbackRequest)
#include "tst_feedbackrequest.moc"
