#include "common/faketools.h"
#include "common/runtoend.h"
#include "runner/toolrunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>

namespace {

// Records a runner's events as they arrive.
struct EventLog
{
    explicit EventLog(ToolRunner &runner)
    {
        clock.start();
        QObject::connect(&runner, &ToolRunner::outputReceived, &runner, [this](const QString &chunk) {
            chunks.append(chunk);
            chunkTimes.append(clock.nsecsElapsed());
        });
        QObject::connect(&runner, &ToolRunner::finished, &runner, [this] { ++overs; });
    }

    QElapsedTimer clock;
    QStringList chunks;
    QList<qint64> chunkTimes;
    int overs = 0;
};

} // namespace

class TestToolRunner : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString tool(const QString &name, const QByteArray &body)
    {
        return FakeTools::write(m_dir.path(), name, body);
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void outputLeftAtTheEndIsDrainedInChunks()
    {
        // Printed just before the tool ends: handed over in pieces, in order, after the end.
        ToolRunner runner;
        EventLog log(runner);
        const QString program = tool(QStringLiteral("burst"), "printf '%3000s' '' | tr ' ' x");
        const QString result = runToEnd(runner, {program});

        QCOMPARE(log.chunks.size(), 3);
        QCOMPARE(log.chunks.at(0).size(), 1024);
        QCOMPARE(log.chunks.at(1).size(), 1024);
        QCOMPARE(log.chunks.at(2).size(), 952);
        QCOMPARE(result, QString(3000, QLatin1Char('x')));
        QCOMPARE(runner.output(), result);
        QCOMPARE(log.overs, 1);
        QCOMPARE(runner.endStatus(), ToolRunner::EndStatus::Exited);
        QCOMPARE(runner.exitCode(), 0);
    }

    void outputIsPacedWhileTheToolRuns()
    {
        ToolRunner runner;
        EventLog log(runner);
        const QString program = tool(QStringLiteral("paced"), "printf '%3000s' '' | tr ' ' x; sleep 1");
        runToEnd(runner, {program});
        QCOMPARE(log.chunks.size(), 3);
        for (int k = 1; k < 3; ++k)
            QVERIFY2(log.chunkTimes.at(k) - log.chunkTimes.at(k - 1) >= 50'000'000,
                     qPrintable(QString::number(log.chunkTimes.at(k) - log.chunkTimes.at(k - 1))));
    }

    void piecesEndAtLineEndsWhenMoreIsWaiting()
    {
        // 40 progress lines of 77 bytes at once: no piece may cut a line in two.
        ToolRunner runner;
        EventLog log(runner);
        const QString program =
            tool(QStringLiteral("lines"), "i=0; out=''; while [ $i -lt 40 ]; do "
                                          "out=\"$out$(printf 'size=%6dkB time=00:00:%05.2f "
                                          "bitrate= 128.0kbits/s speed=  50x %11s' $i $i '')\r\"; "
                                          "i=$((i+1)); done; printf '%s' \"$out\"");
        const QString result = runToEnd(runner, {program});
        QCOMPARE(result.count(QLatin1Char('\r')), 40);
        QVERIFY(log.chunks.size() >= 4);
        for (const QString &chunk : std::as_const(log.chunks)) {
            QVERIFY(chunk.size() <= ToolRunner::ChunkBytes);
            QVERIFY(chunk.endsWith(QLatin1Char('\r')));
            QVERIFY(chunk.startsWith(QLatin1String("size=")));
        }
    }

    void exitStatusIsKept_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        QTest::newRow("success") << QByteArray("echo done") << 0 << QStringLiteral("done\n");
        QTest::newRow("failure after output") << QByteArray("echo 'Conversion failed!' >&2; exit 1") << 1
                                              << QStringLiteral("Conversion failed!\n");
        QTest::newRow("silent failure") << QByteArray("exit 69") << 69 << QString();
    }

    void exitStatusIsKept()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        ToolRunner runner;
        EventLog log(runner);
        QCOMPARE(runToEnd(runner, {tool(QStringLiteral("status"), body)}), output);
        QCOMPARE(runner.endStatus(), ToolRunner::EndStatus::Exited);
        QCOMPARE(runner.exitCode(), exitCode);
        QCOMPARE(log.overs, 1);
    }

    void standardErrorIsMergedInOrder()
    {
        ToolRunner runner;
        const QString program =
            tool(QStringLiteral("both"), "echo one; sleep 0.1; echo two >&2; sleep 0.1; echo three");
        QCOMPARE(runToEnd(runner, {program}), QStringLiteral("one\ntwo\nthree\n"));
    }

    void silentToolEndsWithOneCommandOver()
    {
        ToolRunner runner;
        EventLog log(runner);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runToEnd(runner, {tool(QStringLiteral("silent"), "exit 0")}), QString());
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(log.chunks.isEmpty());
        QCOMPARE(log.overs, 1);
        QCOMPARE(runner.output(), QString());
    }

    void standardInputIsClosed()
    {
        // A tool that reads its input must see its end at once, not wait for a user.
        ToolRunner runner;
        const QString program = tool(QStringLiteral("reader"), "cat; echo eof");
        QCOMPARE(runToEnd(runner, {program}), QStringLiteral("eof\n"));
    }

    void emptyCommandTellsWhy()
    {
        ToolRunner runner;
        runToEnd(runner, {tool(QStringLiteral("earlier"), "echo earlier")});
        EventLog log(runner);
        QSignalSpy failed(&runner, &ToolRunner::startFailed);
        QCOMPARE(runToEnd(runner, {QString(), {QStringLiteral("-i")}}), QString());
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0][0].value<ToolRunner::StartProblem>(), ToolRunner::StartProblem::EmptyCommand);
        QCOMPARE(runner.endStatus(), ToolRunner::EndStatus::NotStarted);
        QVERIFY(log.chunks.isEmpty());
        QCOMPARE(log.overs, 0);
        QCOMPARE(runner.output(), QStringLiteral("earlier\n"));
    }

    void missingProgramTellsWhy_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("missing path") << m_dir.path() + QStringLiteral("/no-such-tool");
        QTest::newRow("missing name") << QStringLiteral("tunoxa-no-such-tool");
        QTest::newRow("blanks only") << QStringLiteral("   ");
        const QString notExecutable = m_dir.path() + QStringLiteral("/plain.txt");
        QFile file(notExecutable);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("echo never\n");
        QTest::newRow("not executable") << notExecutable;
    }

    void missingProgramTellsWhy()
    {
        QFETCH(QString, program);
        ToolRunner runner;
        runToEnd(runner, {tool(QStringLiteral("earlier"), "echo earlier")});
        EventLog log(runner);
        QSignalSpy failed(&runner, &ToolRunner::startFailed);
        QCOMPARE(runToEnd(runner, {program, {QStringLiteral("-i"), QStringLiteral("x")}}), QString());
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed[0][0].value<ToolRunner::StartProblem>(), ToolRunner::StartProblem::NotFound);
        QVERIFY(log.chunks.isEmpty());
        QCOMPARE(log.overs, 0);
        QCOMPARE(runner.endStatus(), ToolRunner::EndStatus::NotStarted);
        QCOMPARE(runner.output(), QStringLiteral("earlier\n"));
    }

    void blanksStayWithinTheProgramAndItsArguments()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("Program Files/my tools")));
        const QString program = tool(QStringLiteral("Program Files/my tools/echo args"),
                                     "for a in \"$@\"; do echo \"[$a]\"; done");
        ToolRunner runner;
        const QString result = runToEnd(runner, {program,
                                                 {QStringLiteral("-i"), QStringLiteral("\"a b.flac\""),
                                                  QString(), QStringLiteral("-y")}});
        QCOMPARE(result, QStringLiteral("[-i]\n[\"a b.flac\"]\n[]\n[-y]\n"));
    }

    void splitMultiByteCharacterArrivesWhole()
    {
        // 1023 ASCII bytes, then a three-byte character across the 1024-byte boundary.
        ToolRunner runner;
        EventLog log(runner);
        const QString program =
            tool(QStringLiteral("utf8"),
                 "printf '%1023s' '' | tr ' ' a; printf '\\344\\270\\255\\346\\226\\207 ok'");
        const QString result = runToEnd(runner, {program});
        QCOMPARE(log.chunks.size(), 2);
        QCOMPARE(log.chunks.at(0), QString(1023, QLatin1Char('a')));
        QCOMPARE(log.chunks.at(1), QStringLiteral("中文 ok"));
        QCOMPARE(result, QString(1023, QLatin1Char('a')) + QStringLiteral("中文 ok"));
    }

    void cutMultiByteCharacterAtTheEndIsKept()
    {
        ToolRunner runner;
        EventLog log(runner);
        const QString result = runToEnd(runner, {tool(QStringLiteral("cut"), "printf 'end\\344\\270'")});
        QCOMPARE(result, QStringLiteral("end\uFFFD\uFFFD"));
        QCOMPARE(log.chunks.join(QString()), result);
    }

    void toolKillingItselfReportsCrash()
    {
        ToolRunner runner;
        EventLog log(runner);
        const QString result = runToEnd(
            runner, {tool(QStringLiteral("suicide"), "echo 'frame= 10'; sleep 0.1; kill -9 $$; echo never")});
        QCOMPARE(result, QStringLiteral("frame= 10\n"));
        QCOMPARE(log.overs, 1);
        QCOMPARE(runner.endStatus(), ToolRunner::EndStatus::Crashed);
    }

    void floodIsDeliveredWholeAndInOrder()
    {
        ToolRunner runner;
        EventLog log(runner);
        QElapsedTimer clock;
        clock.start();
        const QString result = runToEnd(runner, {tool(QStringLiteral("flood"), "seq 1 1400000")});
        const qint64 elapsed = clock.elapsed();

        QString expected;
        expected.reserve(10'100'000);
        for (int k = 1; k <= 1'400'000; ++k) {
            expected += QString::number(k);
            expected += QLatin1Char('\n');
        }
        QCOMPARE(result.size(), expected.size());
        QVERIFY(result == expected);
        QVERIFY(log.chunks.join(QString()) == expected);
        for (const QString &chunk : std::as_const(log.chunks))
            QVERIFY(chunk.size() <= ToolRunner::ChunkBytes);
        QCOMPARE(log.overs, 1);
        qInfo("10 MB delivered in %lld ms", elapsed);
    }

    void unrelatedProcessOfTheSameNameDoesNotDelayTheEnd()
    {
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("other")));
        const QString lingering = FakeTools::write(m_dir.path() + QStringLiteral("/other"),
                                                   QStringLiteral("coder"), "exec sleep 30");
        QProcess unrelated;
        unrelated.start(lingering, {});
        QVERIFY(unrelated.waitForStarted());

        ToolRunner runner;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(runToEnd(runner, {tool(QStringLiteral("coder"), "echo quick")}), QStringLiteral("quick\n"));
        QVERIFY(clock.elapsed() < 3000);
        QCOMPARE(unrelated.state(), QProcess::Running);
        unrelated.kill();
        unrelated.waitForFinished();
    }

    void commandOverHandlerStartsTheNextStage()
    {
        // A stage's end starts the next one from its handler: the start returns at once and the
        // next stage's events follow in order.
        ToolRunner outer;
        ToolRunner inner;
        QStringList events;
        connect(&outer, &ToolRunner::outputReceived, this,
                [&](const QString &chunk) { events << QStringLiteral("outer: ") + chunk.trimmed(); });
        connect(&inner, &ToolRunner::outputReceived, this,
                [&](const QString &chunk) { events << QStringLiteral("inner: ") + chunk.trimmed(); });
        connect(&inner, &ToolRunner::finished, this, [&] { events << QStringLiteral("inner over"); });
        const QString second = tool(QStringLiteral("second"), "echo stage2");
        connect(&outer, &ToolRunner::finished, this, [&] {
            events << QStringLiteral("outer over");
            inner.start({second});
            events << QStringLiteral("inner started");
        });
        outer.start({tool(QStringLiteral("first"), "echo stage1")});
        events << QStringLiteral("outer started");
        QTRY_VERIFY(events.contains(QStringLiteral("inner over")));
        QCOMPARE(events, (QStringList{QStringLiteral("outer started"), QStringLiteral("outer: stage1"),
                                      QStringLiteral("outer over"), QStringLiteral("inner started"),
                                      QStringLiteral("inner: stage2"), QStringLiteral("inner over")}));
        QCOMPARE(outer.output(), QStringLiteral("stage1\n"));
        QCOMPARE(inner.output(), QStringLiteral("stage2\n"));
    }

    void eventsKeepBeingHandledWhileAToolRuns()
    {
        ToolRunner runner;
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
        timer.start(10);
        runner.start({tool(QStringLiteral("slow"), "sleep 0.6")});
        QVERIFY(runner.isRunning());
        QCOMPARE(ticks, 0);
        QSignalSpy over(&runner, &ToolRunner::finished);
        QVERIFY(over.wait(5000));
        QVERIFY2(ticks >= 20, qPrintable(QString::number(ticks)));
    }

    void terminateEndsTheTool()
    {
        ToolRunner runner;
        EventLog log(runner);
        QTimer::singleShot(300, &runner, &ToolRunner::terminate);
        QElapsedTimer clock;
        clock.start();
        const QString result =
            runToEnd(runner, {tool(QStringLiteral("endless"), "echo started; exec sleep 60")});
        QVERIFY(clock.elapsed() < 5000);
        QCOMPARE(result, QStringLiteral("started\n"));
        QCOMPARE(log.overs, 1);
        QCOMPARE(runner.endStatus(), ToolRunner::EndStatus::Terminated);
        QVERIFY(!runner.isRunning());
        runner.terminate(); // idle: nothing happens
        QCOMPARE(log.overs, 1);
    }

    void runnerCanBeReused()
    {
        ToolRunner runner;
        EventLog log(runner);
        QCOMPARE(runToEnd(runner, {tool(QStringLiteral("a"), "echo first")}), QStringLiteral("first\n"));
        QCOMPARE(runToEnd(runner, {tool(QStringLiteral("b"), "echo second")}), QStringLiteral("second\n"));
        QCOMPARE(runner.output(), QStringLiteral("second\n"));
        QCOMPARE(log.overs, 2);
    }

    void destroyingTheRunnerEndsTheTool()
    {
        // The program ends: the runner goes with its window and must not leave the tool behind.
        const QString pidFile = m_dir.path() + QStringLiteral("/pid");
        {
            ToolRunner runner;
            QSignalSpy chunks(&runner, &ToolRunner::outputReceived);
            runner.start({tool(QStringLiteral("lingering"), "echo $$ > \"$1\"; echo working; exec sleep 60"),
                          {pidFile}});
            QVERIFY(chunks.wait(5000));
        }
        QFile file(pidFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pid = file.readAll().trimmed();
        // Gone, or a zombie waiting to be reaped: either way it no longer runs.
        const QString stat = QStringLiteral("/proc/") + QString::fromLatin1(pid) + QStringLiteral("/stat");
        QFile status(stat);
        QVERIFY(!status.open(QIODevice::ReadOnly) || status.readAll().contains(") Z "));
    }
};

QTEST_GUILESS_MAIN(TestToolRunner)
#include "tst_toolrunner.moc"
