#include "common/loopbackserver.h"
#include "ui/feedbackdialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>

// The feedback window against a server started by the test.
class TestFeedbackDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // Frame and fields
    void frame();
    void controlsAtTheirRectangles_data();
    void controlsAtTheirRectangles();
    void tabOrder();
    void lengthLimits_data();
    void lengthLimits();

    // Checks before sending
    void prompts_data();
    void prompts();

    // Sending
    void sendsTheComposition();
    void verdictShown_data();
    void verdictShown();
    void silentServerThenClose_data();
    void silentServerThenClose();
    void destroyingWhileSendingIsClean();
    void backClosesWithoutSending();

private:
    QLineEdit *field(const char *name) const { return m_window->findChild<QLineEdit *>(QLatin1String(name)); }
    QPushButton *button(const char *name) const
    {
        return m_window->findChild<QPushButton *>(QLatin1String(name));
    }
    QLabel *status() const { return m_window->findChild<QLabel *>(QStringLiteral("statusLabel")); }
    void fill(const QString &name, const QString &email, const QString &comment)
    {
        field("nameEdit")->setText(name);
        field("emailEdit")->setText(email);
        field("commentEdit")->setText(comment);
    }

    LoopbackServer *m_server = nullptr;
    std::unique_ptr<FeedbackDialog> m_window;
};

void TestFeedbackDialog::init()
{
    m_server = new LoopbackServer(this);
    QVERIFY(m_server->listen());
    m_window = std::make_unique<FeedbackDialog>();
    m_window->setFeedbackAddress(m_server->feedbackAddress());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestFeedbackDialog::cleanup()
{
    m_window.reset();
    delete m_server;
    m_server = nullptr;
}

void TestFeedbackDialog::frame()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("建议和意见"));
    QCOMPARE(m_window->size(), QSize(286, 140));
    QCOMPARE(m_window->minimumSize(), m_window->maximumSize());
    QVERIFY(!m_window->windowIcon().isNull());
    QCOMPARE(field("nameEdit")->toolTip(), QStringLiteral("Your Name"));
    QCOMPARE(field("emailEdit")->toolTip(), QStringLiteral("Email"));
    QCOMPARE(button("sendButton")->text(), QStringLiteral("发送"));
    QCOMPARE(button("backButton")->text(), QStringLiteral("返回"));
    QVERIFY(status()->isHidden());
    QVERIFY(status()->font().bold());
    for (const char *name : {"nameEdit", "emailEdit", "commentEdit"})
        QVERIFY(field(name)->text().isEmpty());
}

void TestFeedbackDialog::controlsAtTheirRectangles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rectangle");

    QTest::newRow("nameEdit") << "nameEdit" << QRect(74, 18, 141, 21);
    QTest::newRow("emailEdit") << "emailEdit" << QRect(74, 44, 141, 21);
    QTest::newRow("commentEdit") << "commentEdit" << QRect(74, 70, 189, 21);
    QTest::newRow("sendButton") << "sendButton" << QRect(122, 98, 67, 25);
    QTest::newRow("backButton") << "backButton" << QRect(198, 98, 65, 25);
    QTest::newRow("statusLabel") << "statusLabel" << QRect(16, 106, 72, 14);
}

void TestFeedbackDialog::controlsAtTheirRectangles()
{
    QFETCH(QString, name);
    QFETCH(QRect, rectangle);
    QWidget *control = m_window->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), rectangle);
}

void TestFeedbackDialog::tabOrder()
{
    QCOMPARE(QApplication::focusWidget(), field("nameEdit"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), field("emailEdit"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), field("commentEdit"));
}

void TestFeedbackDialog::lengthLimits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("limit");

    QTest::newRow("name") << "nameEdit" << 50;
    QTest::newRow("e-mail") << "emailEdit" << 100;
    QTest::newRow("comment") << "commentEdit" << 256;
}

void TestFeedbackDialog::lengthLimits()
{
    QFETCH(QString, name);
    QFETCH(int, limit);

    QLineEdit *edit = field(name.toLatin1().constData());
    edit->setFocus();
    QTest::keyClicks(edit, QString(limit, QLatin1Char('a')));
    QCOMPARE(edit->text().size(), limit);
    QTest::keyClicks(edit, QStringLiteral("b"));
    QCOMPARE(edit->text(), QString(limit, QLatin1Char('a')));
}

void TestFeedbackDialog::prompts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("email");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("focused");

    QTest::newRow("all empty") << ""
                               << ""
                               << ""
                               << "您的姓名？"
                               << "nameEdit";
    QTest::newRow("only the name missing") << ""
                                           << "e"
                                           << "c"
                                           << "您的姓名？"
                                           << "nameEdit";
    QTest::newRow("name filled") << "n"
                                 << ""
                                 << ""
                                 << "您的Email？"
                                 << "emailEdit";
    QTest::newRow("name of blanks counts") << "   "
                                           << ""
                                           << "c"
                                           << "您的Email？"
                                           << "emailEdit";
    QTest::newRow("name and e-mail filled") << "n"
                                            << "e"
                                            << ""
                                            << "您的意见？"
                                            << "commentEdit";
}

void TestFeedbackDialog::prompts()
{
    QFETCH(QString, name);
    QFETCH(QString, email);
    QFETCH(QString, comment);
    QFETCH(QString, prompt);
    QFETCH(QString, focused);

    fill(name, email, comment);
    button("backButton")->setFocus();
    QTest::mouseClick(button("sendButton"), Qt::LeftButton);

    QVERIFY(status()->isVisible());
    QCOMPARE(status()->text(), prompt);
    QCOMPARE(QApplication::focusWidget(), field(focused.toLatin1().constData()));
    QTest::qWait(100);
    QVERIFY(m_server->targets.isEmpty());
}

void TestFeedbackDialog::sendsTheComposition()
{
    const QString name = QStringLiteral("  张 三 ");
    const QString email = QStringLiteral("zhang&san@例子.cn");
    const QString comment = QStringLiteral("FLAC 转 MP3 & 很快 = 好用 #1 100%");
    fill(name, email, comment);
    QTest::mouseClick(button("sendButton"), Qt::LeftButton);
    QCOMPARE(status()->text(), QStringLiteral("正在发送..."));
    QVERIFY(status()->isVisible());

    QTRY_COMPARE(status()->text(), QStringLiteral("完毕."));
    QCOMPARE(m_server->targets.size(), 1);
    QCOMPARE(m_server->origin() + QUrl::fromPercentEncoding(m_server->targets.at(0)),
             m_server->origin() + QStringLiteral("/suggest.php?name=") + QString(13, QLatin1Char(' ')) +
                 name + QStringLiteral("&age=") + email + QStringLiteral("&comment=(FLAC)") + comment);
    // The "&", "=" and "#" the user typed stay inside their field.
    const QUrlQuery fields(QUrl::fromEncoded(m_server->targets.at(0)).query(QUrl::FullyEncoded));
    QCOMPARE(fields.queryItems().size(), 3);
    QCOMPARE(fields.queryItemValue(QStringLiteral("name"), QUrl::FullyDecoded),
             QString(13, QLatin1Char(' ')) + name);
    QCOMPARE(fields.queryItemValue(QStringLiteral("age"), QUrl::FullyDecoded), email);
    QCOMPARE(fields.queryItemValue(QStringLiteral("comment"), QUrl::FullyDecoded),
             QStringLiteral("(FLAC)") + comment);
    QCOMPARE(field("nameEdit")->text(), name);
    QCOMPARE(field("emailEdit")->text(), email);
    QCOMPARE(field("commentEdit")->text(), comment);
}

void TestFeedbackDialog::verdictShown_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("httpStatus");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QString>("shown");

    const int answer = int(LoopbackServer::Mode::Answer);
    QTest::newRow("200") << answer << 200 << 30000 << "完毕.";
    QTest::newRow("500") << answer << 500 << 30000 << "发送失败.";
    QTest::newRow("404") << answer << 404 << 30000 << "发送失败.";
    QTest::newRow("no answer within the time")
        << int(LoopbackServer::Mode::Silent) << 0 << 300 << "发送失败.";
}

void TestFeedbackDialog::verdictShown()
{
    QFETCH(int, mode);
    QFETCH(int, httpStatus);
    QFETCH(int, timeoutMs);
    QFETCH(QString, shown);

    m_server->setMode(LoopbackServer::Mode(mode), httpStatus);
    m_window->setRequestTimeout(std::chrono::milliseconds(timeoutMs));
    fill(QStringLiteral("n"), QStringLiteral("e"), QStringLiteral("c"));
    QTest::mouseClick(button("sendButton"), Qt::LeftButton);
    QTRY_COMPARE(status()->text(), shown);
    QCOMPARE(m_server->targets.size(), 1);
}

void TestFeedbackDialog::silentServerThenClose_data()
{
    QTest::addColumn<QString>("way");

    QTest::newRow("返回") << "back";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close";
}

void TestFeedbackDialog::silentServerThenClose()
{
    QFETCH(QString, way);

    m_server->setMode(LoopbackServer::Mode::Silent);
    fill(QStringLiteral("n"), QStringLiteral("e"), QStringLiteral("c"));
    QTest::mouseClick(button("sendButton"), Qt::LeftButton);
    QTRY_COMPARE(m_server->targets.size(), 1);
    QTest::qWait(1000);
    QCOMPARE(status()->text(), QStringLiteral("正在发送..."));

    if (way == u"back")
        QTest::mouseClick(button("backButton"), Qt::LeftButton);
    else if (way == u"escape")
        QTest::keyClick(field("commentEdit"), Qt::Key_Escape);
    else
        m_window->close();
    QVERIFY(m_window->isHidden());
    QCOMPARE(m_window->result(), int(QDialog::Rejected));
    QTRY_COMPARE(m_server->openConnections(), 0);
    QTest::qWait(100);
    QCOMPARE(status()->text(), QStringLiteral("正在发送..."));
}

void TestFeedbackDialog::destroyingWhileSendingIsClean()
{
    m_server->setMode(LoopbackServer::Mode::Silent);
    fill(QStringLiteral("n"), QStringLiteral("e"), QStringLiteral("c"));
    QTest::mouseClick(button("sendButton"), Qt::LeftButton);
    QTRY_COMPARE(m_server->targets.size(), 1);

    m_window.reset();
    QTRY_COMPARE(m_server->openConnections(), 0);
}

void TestFeedbackDialog::backClosesWithoutSending()
{
    fill(QStringLiteral("n"), QStringLiteral("e"), QStringLiteral("c"));
    QTest::mouseClick(button("backButton"), Qt::LeftButton);
    QVERIFY(m_window->isHidden());
    QTest::qWait(100);
    QVERIFY(m_server->targets.isEmpty());
}

QTEST_MAIN(TestFeedbackDialog)
#include "tst_feedbackdialog.moc"
