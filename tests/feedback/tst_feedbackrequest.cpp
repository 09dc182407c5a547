#include "loopbackserver.h"
#include "ui/feedbackrequest.h"

#include <QSignalSpy>
#include <QTest>

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
                           << "http://x/s?name=             Ann&age=ann@example.org&comment=(FLAC)Nice";
    QTest::newRow("blanks and ampersands kept")
        << "  "
        << "a&b=c"
        << "good & fast"
        << "http://x/s?name=               &age=a&b=c&comment=(FLAC)good & fast";
    QTest::newRow("Chinese kept") << "张三"
                                  << "z@例子.cn"
                                  << "很好用！"
                                  << "http://x/s?name=             张三&age=z@例子.cn&comment=(FLAC)很好用！";
    QTest::newRow("escapes not interpreted")
        << "%41"
        << "#x"
        << "a+b%20"
        << "http://x/s?name=             %41&age=#x&comment=(FLAC)a+b%20";
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
    const QString composed = FeedbackRequest::compose(m_server->feedbackAddress(), name, email, comment);
    request.send(composed);

    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toBool(), true);
    QCOMPARE(m_server->targets.size(), 1);
    QCOMPARE(decodedAddress(0), composed);
}

void TestFeedbackRequest::verdict_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("success");

    const int answer = int(LoopbackServer::Mode::Answer);
    QTest::newRow("200") << answer << 200 << true;
    QTest::newRow("204") << answer << 204 << true;
    QTest::newRow("302 to a page") << answer << 302 << true;
    QTest::newRow("404") << answer << 404 << false;
    QTest::newRow("500") << answer << 500 << false;
    QTest::newRow("503") << answer << 503 << false;
    QTest::newRow("hung up without a reply") << int(LoopbackServer::Mode::HangUp) << 0 << false;
}

void TestFeedbackRequest::verdict()
{
    QFETCH(int, mode);
    QFETCH(int, status);
    QFETCH(bool, success);

    m_server->setMode(LoopbackServer::Mode(mode), status);
    FeedbackRequest request;
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
