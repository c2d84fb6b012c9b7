#include "link/comms.h"
#include "link/session.h"
#include "link/test_session_fake.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_session {

namespace {

using TKind = TOutcome::TKind;

// A session on a fake transport with every hook recorded. The session's
// timer is held: tests tick it by hand unless they release it for a real
// wait. The session shows nothing itself: Script stays empty.
struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TSession Session;
    TManualTicks Ticks{Session};
    TFakeTransport *Fake = nullptr;
    bool FakeDestroyed = false;

    QStringList Commands, Replies, Traffic, Settings, Logged, Records, LinkFailures;
    QList<bool> DisplayCalls;
    int StaleCalls = 0, ConnectedCalls = 0, DisconnectedCalls = 0;
    QList<bool> BusyCalls;
    bool TrafficShown = true;

    TRig()
    {
        Session.ShowCommand = [this](const QString &s) { Commands << s; };
        Session.ShowReply = [this](const QString &s) { Replies << s; };
        Session.IsTrafficShown = [this] { return TrafficShown; };
        Session.AppendTraffic = [this](const QString &s) { Traffic << s; };
        Session.DisplayReply = [this](bool cal) { DisplayCalls << cal; };
        Session.DisplayStale = [this] { ++StaleCalls; };
        Session.LogReply = [this](qint32 w, qint32 u, qint32 s) {
            Logged << QString::asprintf("%d/%d/%d", w, u, s);
        };
        Session.LogRecord = [this](quint8 b, qint32 w, qint32 v) {
            Records << QString::asprintf("%d/%d/%d", b, w, v);
        };
        Session.SettingsReply = [this](const QString &s) { Settings << s; };
        Session.Connected = [this] { ++ConnectedCalls; };
        Session.Disconnected = [this] { ++DisconnectedCalls; };
        Session.LinkFailed = [this](const QString &message) { LinkFailures << message; };
        Session.SetBusy = [this](bool on) { BusyCalls << on; };
        auto fake = std::make_unique<TFakeTransport>();
        fake->Destroyed = &FakeDestroyed;
        Fake = fake.get();
        Session.InstallAndOpen(std::move(fake));
    }
    void Tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            Session.Timer1Timer();
    }
    // Ticks the timer from the event loop, so a wait in progress sees them.
    QTimer *TickFromLoop(int *count)
    {
        auto *ticker = new QTimer(&Session);
        QObject::connect(ticker, &QTimer::timeout, &Session, [this, count] {
            ++*count;
            Session.Timer1Timer();
        });
        ticker->start(0);
        return ticker;
    }
    // Answers each write with a line for the first matching command.
    void AnswerWith(const QList<QPair<QString, QString>> &table)
    {
        Fake->Answer = [table](const QString &written) {
            for (const auto &[command, reply] : table)
                if (written.contains(command))
                    return reply;
            return QString();
        };
    }
};

// How a wait is made to end, for the table of outcomes.
enum TWaitCase { wcAnswered, wcRefused, wcUnanswered, wcLineClosed, wcDisconnected, wcPortLost, wcAnotherWait,
                 wcShutdown };

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void startsInTheWindowsInitialState()
    {
        QElapsedTimer clock;
        clock.start();
        TSession s;
        QCOMPARE(s.Activity(), actIdle);
        QCOMPARE(s.UnitAddress(), 99);
        QCOMPARE(s.DisplayUnits(), 0);
        QCOMPARE(s.LoggingState(), lsStopped);
        QVERIFY(s.LoggedUnits().isEmpty());
        QVERIFY(s.StatusReplyAwaited()); // the status countdown at its reload value
        QVERIFY(!s.PollingSuspended());
        QVERIFY(!s.DisplayPollPaused());
        QVERIFY(!s.IsWaiting());
        QVERIFY(!s.LineBusy());
        QVERIFY(!s.IsShuttingDown());
        QVERIFY(!s.IsOpen());
        s.SendCommand("MSV?", false); // the null transport sends nothing, quietly
        QCOMPARE(s.SendAndWait("COF11", false, {}, s.Acknowledge()).Kind(), TKind::NotConnected);

        // The 10 ms timer runs from the start: the display is blanked after
        // 20 of its ticks, once.
        int stale = 0;
        s.DisplayStale = [&] { ++stale; };
        QTRY_COMPARE_WITH_TIMEOUT(stale, 1, 5000);
        QVERIFY2(clock.elapsed() >= 190, qPrintable(QString::number(clock.elapsed())));
        QTest::qWait(100);
        QCOMPARE(stale, 1);
    }

    void commandsAreFramedEchoedAndShown()
    {
        TRig rig;
        rig.Session.SendCommand("MSV?", false);
        rig.Session.SendCommand("S98;STP;", false);
        rig.Session.SendCommand("KZ01", true);
        rig.Session.SendCommand("", false);
        QCOMPARE(rig.Fake->Sent, (QStringList{"MSV?;", "S98;STP;", QString(QChar(2)) + "KZ01" + QChar(3)}));
        QCOMPARE(rig.Traffic, (QStringList{">>>MSV?;", ">>>S98;STP;", ">>>KZ01"}));
        QCOMPARE(rig.Commands, (QStringList{"MSV?", "S98;STP;", "KZ01"}));

        rig.TrafficShown = false; // another page: sent, not logged
        rig.Session.SendCommand("ESR?", false);
        QCOMPARE(rig.Traffic.size(), 3);
        rig.Fake->Close();
        rig.Session.SendCommand("MSV?", false);
        QCOMPARE(rig.Fake->Sent.size(), 4);
    }

    void repliesAreRoutedByActivity()
    {
        TRig rig;
        TSession &s = rig.Session;
        qint32 v = 0, places = 0;
        // Every reply, in every activity, starts the blanking count afresh:
        // the display goes blank 20 ticks after it.
        auto blankingRestarted = [&] {
            const int stale = rig.StaleCalls;
            rig.Tick(19);
            QCOMPARE(rig.StaleCalls, stale);
            rig.Tick();
            QCOMPARE(rig.StaleCalls, stale + 1);
        };
        auto deliver = [&](const QString &bytes) {
            rig.Fake->Deliver(bytes);
            blankingRestarted();
        };

        s.SetActivity(actDisplay);
        QVERIFY(s.StatusReplyAwaited()); // the status request is being answered: hex
        rig.Fake->Deliver("00A4\r\n");
        QVERIFY(s.Parser().GetInt(0, v, 0, 65535, places));
        QCOMPARE(v, 164);
        blankingRestarted(); // its ticks poll the weight
        QVERIFY(!s.StatusReplyAwaited());
        rig.Fake->Deliver("    12.5,01,002\r\n");
        QVERIFY(s.Parser().GetInt(0, v, -999999, 999999, places));
        QCOMPARE(v, 125);
        blankingRestarted();
        s.SetActivity(actCalibration);
        deliver("       7,01,000\r\n");
        QCOMPARE(rig.DisplayCalls, (QList<bool>{false, false, true}));

        s.SetActivity(actLog);
        deliver("  -12.50,03,017\r\n");
        deliver(" 1234567,03,017\r\n"); // weight out of range: not a sample
        deliver("       1,33,017\r\n"); // unit out of range
        QCOMPARE(rig.Logged, QStringList{"-1250/3/17"});

        s.SetActivity(actReadSettings);
        deliver("\"ID\",\"123\",\"5.01\"\r");
        s.SetActivity(actWriteSettings);
        deliver("0\r");
        QCOMPARE(rig.Settings, (QStringList{"\"ID\",\"123\",\"5.01\"", "0"}));

        s.SetActivity(actTest);
        deliver("9\r");
        s.SetActivity(actIdle);
        deliver("8\r");
        QCOMPARE(rig.DisplayCalls.size(), 3);
        QCOMPARE(rig.Logged.size(), 1);
        QCOMPARE(rig.Settings.size(), 2);
        // Every reply reaches status panel 1 and the traffic view.
        QCOMPARE(rig.Replies.size(), 10);
        QCOMPARE(rig.Replies.last(), QString("8"));
        QCOMPARE(rig.Traffic.last(), QString("8"));
    }

    void displayIsNotUpdatedWhileAnExchangeWaits()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actDisplay);
        rig.AnswerWith({{"COF11", "     1.0,01,002\r0\r"}}); // a weight line comes before the answer
        QVERIFY(s.Acknowledged("COF11"));
        QCOMPARE(rig.Replies, (QStringList{"     1.0,01,002", "0"}));
        QVERIFY(rig.DisplayCalls.isEmpty());
        rig.Fake->Deliver("     1.0,01,002\r"); // the wait is over: shown
        QCOMPARE(rig.DisplayCalls.size(), 1);
    }

    void binaryRecordsGoToLoggingOnly()
    {
        TRig rig;
        TSession &s = rig.Session;
        const QString record = QString::fromLatin1(QByteArray("\x10\x02\x05\x00\x00\x01\x00\xFF\xFF\xFF\xF6\x10\x03", 13));
        s.SetActivity(actDisplay);
        rig.Tick(); // a poll goes out: the next one waits for its answer
        rig.Fake->Deliver(record);
        rig.Tick(); // the record ended that wait
        QCOMPARE(rig.Fake->Sent, (QStringList{"MSV?;", "MSV?;"}));
        QCOMPARE(rig.Traffic, (QStringList{">>>MSV?;", "5,256,-10", ">>>MSV?;"}));
        QVERIFY(rig.Records.isEmpty());
        QVERIFY(rig.Replies.isEmpty());
        QVERIFY(rig.DisplayCalls.isEmpty());

        s.SetActivity(actLog);
        rig.Tick(TSession::PollRepeatTicks); // the last poll's answer is no longer awaited
        rig.Fake->Answer = [record](const QString &) { return record + "0\r"; };
        QStringList handled;
        const TOutcome outcome = s.SendAndWait("COF11", false, {}, [&](const QString &reply) {
            handled << reply;
            s.ReplyTaken();
        });
        QVERIFY(outcome);
        QCOMPARE(handled, QStringList{"0"}); // the record did not reach the reply handler
        QCOMPARE(rig.Records, QStringList{"5/256/-10"});
        QCOMPARE(rig.Replies, (QStringList{record.mid(2, 9), "0"}));
    }

    void receivingStopsWhenDisabled()
    {
        TRig rig;
        rig.Session.Shutdown(); // the window is closing
        rig.Fake->Deliver("1\r");
        QVERIFY(rig.Replies.isEmpty());
    }

    // How a wait ends, and what the window would tell the operator: the
    // session itself shows nothing.
    void sendAndWaitOutcomes_data()
    {
        QTest::addColumn<int>("situation");
        QTest::addColumn<TKind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<TPrompts::Kind>("shownAs");
        using P = TPrompts::Kind;
        QTest::newRow("answered") << int(wcAnswered) << TKind::Accepted << QString() << P::Plain;
        QTest::newRow("refused") << int(wcRefused) << TKind::Refused << "Invalid Setting" << P::Error;
        QTest::newRow("no answer") << int(wcUnanswered) << TKind::Silent << "Instrument not responding" << P::Plain;
        QTest::newRow("line closed") << int(wcLineClosed) << TKind::NotConnected << "Instrument not Connected"
                                     << P::Plain;
        // The user closed the line on purpose: nothing to say.
        QTest::newRow("disconnected meanwhile") << int(wcDisconnected) << TKind::Cancelled << QString() << P::Plain;
        // Said once, by the transport's report (LinkFailed).
        QTest::newRow("port lost meanwhile") << int(wcPortLost) << TKind::PortLost << QString() << P::Plain;
        // A second wait started while one runs (user input handled inside it).
        QTest::newRow("another wait runs") << int(wcAnotherWait) << TKind::Busy << TOutcome::BusyText() << P::Warning;
        QTest::newRow("shutting down meanwhile") << int(wcShutdown) << TKind::Cancelled << QString() << P::Plain;
    }

    void sendAndWaitOutcomes()
    {
        QFETCH(int, situation);
        QFETCH(TKind, kind);
        QFETCH(QString, text);
        QFETCH(TPrompts::Kind, shownAs);
        TRig rig;
        TSession &s = rig.Session;
        auto meanwhile = [&](std::function<void()> f) {
            rig.Fake->Answer = [&rig, f](const QString &) {
                rig.Fake->Later(f);
                return QString();
            };
        };
        TOutcome outcome;
        QTimer *ticker = nullptr;
        int ticks = 0;
        switch (situation) {
        case wcAnswered: rig.AnswerWith({{"COF11", "0\r\n"}}); break;
        case wcRefused: rig.AnswerWith({{"COF11", "?\r\n"}}); break;
        case wcUnanswered: ticker = rig.TickFromLoop(&ticks); break;
        case wcLineClosed: rig.Fake->Close(); break;
        case wcDisconnected: meanwhile([&] { s.Disconnect(); }); break;
        case wcPortLost: meanwhile([&] { rig.Fake->Lose("The connection to the instrument was lost."); }); break;
        case wcAnotherWait:
            meanwhile([&] {
                outcome = s.Acknowledged("ADR5");
                rig.Fake->Deliver("0\r\n");
            });
            break;
        case wcShutdown: meanwhile([&] { s.Shutdown(); }); break;
        }
        if (!ticker)
            rig.Ticks.Release(); // a regression times out instead of hanging
        const TOutcome first = s.Acknowledged("S99;COF11;");
        delete ticker;
        if (situation == wcAnotherWait)
            QVERIFY(first); // the first wait goes on and is answered
        else
            outcome = first;
        QCOMPARE(outcome.Kind(), kind);
        QCOMPARE(outcome.Text(), text);
        QCOMPARE(rig.Fake->Sent, situation == wcLineClosed ? QStringList() : QStringList{"S99;COF11;"});
        if (situation == wcUnanswered)
            QCOMPARE(ticks, TSession::ReplyWaitTicks); // 40 ticks of the timer
        if (situation == wcRefused || situation == wcUnanswered)
            QCOMPARE(outcome.Command(), QString("S99;COF11;"));
        QVERIFY(!s.IsWaiting());
        QVERIFY(rig.Script.History.empty());

        Tell(outcome); // the window's part
        QCOMPARE(rig.Script.Messages(), text.isEmpty() ? QStringList() : QStringList{text});
        if (!text.isEmpty())
            QCOMPARE(rig.Script.History.back().kind, shownAs);
    }

    void numericReplyOutOfRangeIsNotAccepted()
    {
        TRig rig;
        TSession &s = rig.Session;
        rig.AnswerWith({{"ENU?", "5\r\n"}, {"IDN?", "\"ID\"\r\n"}});
        QVERIFY(s.AskNumber("ENU?", "ENU"));
        QCOMPARE(s.ReplyValue(), 5);
        QVERIFY(s.AskText("IDN?", {}));
        QCOMPARE(s.ReplyPrefix(), QString("\"ID\""));
        // A weight line that comes first is no answer to a question for one
        // value, nor are two pieces of numbers joined.
        rig.AnswerWith({{"VAL?", "    1250,00,002\r\n12 500\r\n12500\r\n"}});
        QVERIFY(s.AskNumber("VAL?", "VAL"));
        QCOMPARE(s.ReplyValue(), 12500);

        rig.AnswerWith({{"ENU?", "1000000\r\n"}});
        rig.Ticks.Release(); // the real 400 ms time-out
        const TOutcome outcome = s.AskNumber("ENU?", "ENU");
        QCOMPARE(outcome.Kind(), TKind::Silent);
        QCOMPARE(outcome.Text(), QString("Instrument not responding"));
        QCOMPARE(s.ReplyValue(), 12500);
        QVERIFY(rig.Script.History.empty());
    }

    // A line that lost its end is noise once it has waited (shown on the
    // Test page as such), and never the start of the next line; when the
    // next comes too soon for that, the joined line is no weight.
    void aLineCutOffIsNeverJoinedToTheNext_data()
    {
        QTest::addColumn<int>("activity");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("pauseMs");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<bool>("taken");
        QTest::newRow("log, after a pause") << int(actLog) << 9600 << 150 << 0 << true;
        QTest::newRow("log, at once") << int(actLog) << 9600 << 0 << 0 << false;
        QTest::newRow("display, after a pause") << int(actDisplay) << 9600 << 150 << 0 << true;
        QTest::newRow("display, at once") << int(actDisplay) << 9600 << 0 << 0 << false;
        // Polled again before the piece is old by the clock: given up then.
        QTest::newRow("log, slow line polled again") << int(actLog) << 1200 << 0 << 30 << true;
    }

    void aLineCutOffIsNeverJoinedToTheNext()
    {
        QFETCH(int, activity);
        QFETCH(int, baud);
        QFETCH(int, pauseMs);
        QFETCH(int, ticks);
        QFETCH(bool, taken);
        TRig rig;
        TSession &s = rig.Session;
        rig.Fake->Baud = baud;
        s.SetActivity(TActivity(activity));
        s.SetLoggingState(lsPolled);
        s.SetLoggedUnits({0});
        rig.Tick(); // the poll is out
        rig.Fake->Deliver("     65");
        QTest::qWait(pauseMs);
        rig.Tick(ticks);
        rig.Fake->Deliver("     650,00,002\r\n");
        const bool noiseShown = std::any_of(rig.Traffic.begin(), rig.Traffic.end(), [](const QString &line) {
            return line.startsWith("     65 ") && line.contains("noise");
        });
        QCOMPARE(noiseShown, taken);
        qint32 v = 0, places = 0;
        if (activity == actLog) {
            QCOMPARE(rig.Logged, taken ? QStringList{"650/0/2"} : QStringList{});
        } else {
            QCOMPARE(rig.DisplayCalls.size(), taken ? 1 : 0);
            QVERIFY(!taken || (s.Parser().GetInt(0, v, -999999, 999999, places) && v == 650));
        }
    }

    void aLateSecondReplyDoesNotOverturnTheOutcome()
    {
        TRig rig;
        TSession &s = rig.Session;
        rig.AnswerWith({{"COF11", "0\r\n?\r\n"}});
        int calls = 0;
        const TOutcome outcome = s.SendAndWait("COF11", false, {}, [&](const QString &reply) {
            ++calls;
            s.AcknowledgeReply(reply);
        });
        QCOMPARE(outcome.Kind(), TKind::Accepted);
        rig.Fake->Deliver("?\r\n"); // later still: the handler went with its wait
        QCOMPARE(calls, 1);
        QVERIFY(rig.Script.History.empty());
    }

    void closingTheLineEndsTheWaitWithoutASecondMessage()
    {
        TRig rig;
        TSession &s = rig.Session;
        rig.Ticks.Release();
        rig.Fake->Answer = [&rig](const QString &) {
            rig.Fake->Later([&rig] { rig.Fake->Lose("The connection to the instrument was lost."); });
            return QString();
        };
        const TOutcome outcome = s.Acknowledged("COF11");
        QCOMPARE(outcome.Kind(), TKind::PortLost);
        QVERIFY(outcome.Text().isEmpty());
        QVERIFY(!s.IsWaiting());
        QCOMPARE(rig.DisconnectedCalls, 1);
        QTest::qWait(600); // long past the reply time-out
        QCOMPARE(rig.LinkFailures, QStringList{"The connection to the instrument was lost."});
        QVERIFY(rig.Script.History.empty());
    }

    void displayPollRhythm()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actDisplay);
        rig.Tick();
        QCOMPARE(rig.Fake->Sent, QStringList{"MSV?;"});
        rig.Tick(9); // no reply: nothing until 10 ticks have passed
        QCOMPARE(rig.Fake->Sent.size(), 1);
        rig.Tick();
        QCOMPARE(rig.Fake->Sent.size(), 2);

        rig.Fake->Deliver("     1.0,99,002\r"); // a reply: next poll on the next tick
        rig.Tick();
        QCOMPARE(rig.Fake->Sent.size(), 3);

        s.DelayNextPoll(5); // what a front-panel key command does
        rig.Tick(5);
        QCOMPARE(rig.Fake->Sent.size(), 3);
        rig.Tick();
        QCOMPARE(rig.Fake->Sent.size(), 4);

        s.DelayNextPoll(5); // ... unless a reply comes sooner
        rig.Tick(2);
        rig.Fake->Deliver("     1.0,99,002\r");
        rig.Tick();
        QCOMPARE(rig.Fake->Sent.size(), 5);
    }

    // A poll is repeated once its answer could have come, not while it comes.
    void anUnansweredPollWaitsForItsAnswer_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("repeat");
        QTest::newRow("1200") << 1200 << 23;
        QTest::newRow("2400") << 2400 << 12;
        QTest::newRow("9600") << 9600 << 10;
    }

    void anUnansweredPollWaitsForItsAnswer()
    {
        QFETCH(int, baud);
        QFETCH(int, repeat);
        TRig rig;
        rig.Fake->Baud = baud;
        rig.Session.SetActivity(actDisplay);
        rig.Tick(repeat);
        rig.Fake->Deliver("    12");
        rig.Tick(repeat - 1);
        QCOMPARE(rig.Fake->Sent.size(), 1);
        rig.Fake->Deliver("50,00,002\r\n");
        rig.Tick();
        rig.Fake->Deliver("  1"); // a line that stops growing is no answer
        rig.Tick(repeat);
        QCOMPARE(rig.Fake->Sent.size(), 3);
    }

    void aQuestionWaitsForTheAnswerToAPollJustSent()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actDisplay);
        rig.Tick(); // "MSV?;" is out, its answer still on the line
        bool pollAnswered = false;
        rig.Fake->Answer = [&](const QString &) { return (pollAnswered ? "" : "    1250,00,002\r\n") + QString("6250\r\n"); };
        rig.Ticks.Release();
        QTimer::singleShot(50, &s, [&] { pollAnswered = true, rig.Fake->Deliver("    1250,00,002\r\n"); });
        QVERIFY(s.SendAndWait("VAL?", false, "VAL", s.Numeric()));
        QCOMPARE(s.ReplyValue(), 6250);
    }

    void everyTenthDisplayPollAsksForStatus()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actCalibration);
        s.SetUnitAddress(7);
        for (int i = 0; i < 20; ++i) {
            rig.Tick();
            rig.Fake->Deliver("0\r");
        }
        QStringList expected;
        for (int i = 1; i <= 20; ++i)
            expected << (i % 10 == 0 ? "S07;ESR?;" : "MSV?;");
        QCOMPARE(rig.Fake->Sent, expected);
        s.SetUnitAddress(99);
        for (int i = 0; i < 10; ++i) {
            rig.Tick();
            rig.Fake->Deliver("0\r");
        }
        QCOMPARE(rig.Fake->Sent.last(), QString("S99;ESR?;"));
    }

    void pollsHoldBackWhilePausedAwaitedOrSuspended()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actDisplay);
        // Each runs `meanwhile` with the display polls held back.
        const std::function<void(const std::function<void()> &)> holds[] = {
            [&](const std::function<void()> &meanwhile) {
                const TSession::TDisplayPollPause pause(s); // a calibration step
                meanwhile();
            },
            [&](const std::function<void()> &meanwhile) { // an exchange awaits its answer
                rig.Fake->Answer = [&rig, meanwhile](const QString &) {
                    rig.Fake->Later([&rig, meanwhile] {
                        rig.Fake->Sent.clear(); // the exchange's own command
                        meanwhile();
                        rig.Fake->Deliver("0\r");
                    });
                    return QString();
                };
                QVERIFY(s.Acknowledged("COF11"));
                rig.Fake->Answer = nullptr;
            },
            [&](const std::function<void()> &meanwhile) {
                const TSession::TActivityScope scope(s); // a settings transfer
                meanwhile();
            },
        };
        for (const auto &hold : holds) {
            rig.Fake->Sent.clear();
            hold([&] {
                rig.Tick(15);
                QVERIFY(rig.Fake->Sent.isEmpty());
            });
            QVERIFY(rig.Fake->Sent.isEmpty());
            rig.Tick(); // polled at once when released
            QCOMPARE(rig.Fake->Sent, QStringList{"MSV?;"});
            rig.Fake->Deliver("0\r");
        }
    }

    void nothingIsPolledOnTheTestPageOrWhenIdle()
    {
        TRig rig;
        for (TActivity a : {actIdle, actTest, actReadSettings, actWriteSettings}) {
            rig.Session.SetActivity(a);
            rig.Tick(30);
        }
        rig.Session.SetActivity(actLog); // logging stopped
        rig.Tick(30);
        QVERIFY(rig.Fake->Sent.isEmpty());
    }

    void loggingPollsGoRoundTheLoggedUnits()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actLog);
        s.SetLoggingState(lsPolled);
        s.SetLoggedUnits({5, 12});
        // A logging poll may overlap a wait.
        rig.Fake->Answer = [&rig](const QString &) {
            rig.Fake->Later([&rig] {
                for (int i = 0; i < 3; ++i)
                    rig.Tick(10);
                rig.Fake->Deliver("0\r");
            });
            return QString();
        };
        QVERIFY(s.Acknowledged("COF11"));
        QCOMPARE(rig.Fake->Sent, (QStringList{"COF11;", "S12;MSV?;", "S05;MSV?;", "S12;MSV?;"}));
        const TSession::TActivityScope suspended(s); // a settings transfer
        rig.Tick(20);
        QCOMPARE(rig.Fake->Sent.size(), 4);
    }

    // On a bus every command must reach the unit meant: a command without
    // a selection of its own gets one when the line has another selected.
    // (A line of one instrument gets its commands as given: the tests above.)
    void eachCommandReachesTheUnitMeant_data()
    {
        QTest::addColumn<QStringList>("steps"); // "send X", "user N X" (framed key to N), "poll", "show N"
        QTest::addColumn<QStringList>("sent");
        QTest::newRow("settings after a log of other units")
            << QStringList{"send S05;MSV?;", "send IDN?", "send ADR?"} << QStringList{"S05;MSV?;", "S02;IDN?;", "ADR?;"};
        QTest::newRow("a typed selection holds until the next")
            << QStringList{"send S03;ADR?;", "send S03;ENU?;", "send ENU?"}
            << QStringList{"S03;ADR?;", "S03;ENU?;", "S02;ENU?;"};
        QTest::newRow("the display polls its own unit") << QStringList{"show 5", "poll", "poll", "send IDN?"}
                                                        << QStringList{"S05;MSV?;", "MSV?;", "S02;IDN?;"};
        QTest::newRow("a key to the unit shown, selected outside the frame")
            << QStringList{"show 5", "user 5 Kt05"} << QStringList{"S05;<Kt05>"};
        QTest::newRow("the connection's unit needs nothing")
            << QStringList{"send S02;COF11;", "poll", "user -1 Kz02"} << QStringList{"S02;COF11;", "MSV?;", "<Kz02>"};
    }
    void eachCommandReachesTheUnitMeant()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, sent);
        TRig rig;
        TSession &s = rig.Session;
        s.SetUnitAddress(2);
        s.SetBusUnits({2, 3, 5});
        s.SendCommand("S02;", false);
        rig.Fake->Sent.clear();
        s.SetActivity(actDisplay);
        for (const QString &step : steps) {
            const QStringList words = step.split(' ');
            if (words[0] == "send")
                s.SendCommand(words[1], false);
            else if (words[0] == "user")
                QVERIFY(s.SendUserCommand(words[2], true, words[1].toInt()));
            else if (words[0] == "show")
                s.SetDisplayUnit(words[1].toInt());
            else {
                rig.Tick();
                rig.Fake->Deliver("     1.0,05,002\r");
            }
        }
        for (QString &expected : sent) // <...>: framed
            expected.replace('<', QChar(2)).replace('>', QChar(3));
        QCOMPARE(rig.Fake->Sent, sent);
    }

    void closedLineStillCountsButNeverSends()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actDisplay);
        rig.Fake->Close();
        int ticks = 0;
        QTimer *ticker = rig.TickFromLoop(&ticks);
        s.WaitTicks(3); // a pause counts down
        delete ticker;
        QCOMPARE(ticks, 3);
        QCOMPARE(s.TickCycle(), 3);
        rig.Tick(16);
        QCOMPARE(rig.StaleCalls, 0);
        rig.Tick(); // the 20th tick blanks the display
        QCOMPARE(rig.StaleCalls, 1);
        QCOMPARE(s.TickCycle(), 0);
        QVERIFY(rig.Fake->Sent.isEmpty());
        QVERIFY(rig.Script.History.empty());
    }

    void displayIsBlankedTwentyTicksAfterTheLastReply()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actDisplay);
        rig.Tick(19);
        QCOMPARE(rig.StaleCalls, 0);
        rig.Fake->Deliver("1\r");
        rig.Tick(19);
        QCOMPARE(rig.StaleCalls, 0);
        rig.Tick();
        QCOMPARE(rig.StaleCalls, 1);
        rig.Tick(50); // blanked once, not on every tick
        QCOMPARE(rig.StaleCalls, 1);
    }

    void startupSequenceBringsTheInstrumentIntoAKnownState()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetUnitAddress(3);
        rig.AnswerWith({{"COF11", "0\r\n"}, {"ENU?", "2\r\n"}});
        QVERIFY(s.StartupSequence());
        QCOMPARE(rig.Fake->Sent, (QStringList{"S98;STP;", "S03;COF11;", "ENU?;"}));
        QCOMPARE(s.DisplayUnits(), 2);
        QCOMPARE(rig.BusyCalls, (QList<bool>{true, false}));

        // Refused: the outcome says so, units not asked, hourglass restored.
        rig.Fake->Sent.clear();
        rig.BusyCalls.clear();
        rig.AnswerWith({{"COF11", "?\r\n"}, {"ENU?", "4\r\n"}});
        const TOutcome refused = s.StartupSequence();
        QCOMPARE(refused.Kind(), TKind::Refused);
        QCOMPARE(refused.Text(), QString("Invalid Setting"));
        QCOMPARE(refused.Command(), QString("S03;COF11;"));
        QCOMPARE(rig.Fake->Sent, (QStringList{"S98;STP;", "S03;COF11;"}));
        QCOMPARE(s.DisplayUnits(), 2);
        QCOMPARE(rig.BusyCalls, (QList<bool>{true, false}));
        QVERIFY(rig.Script.History.empty());

        // No line: nothing sent, and nothing to say (the Display page starts
        // the instrument whenever it is shown, connected or not).
        rig.Fake->Close();
        rig.Fake->Sent.clear();
        const TOutcome closed = s.StartupSequence();
        QVERIFY(rig.Fake->Sent.isEmpty());
        QVERIFY2(closed.Text().isEmpty(), qPrintable(closed.Text()));
    }

    void noDisplayPollSlipsBetweenTheStartupQuestions()
    {
        // A tick handled in the same pass as the "0" to COF11 finds nothing
        // awaited and the poll delay cleared; its weight reply would then be
        // taken for the units.
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actDisplay);
        s.SetUnitAddress(3);
        rig.Fake->Answer = [&rig, &s](const QString &written) {
            if (written.contains("COF11"))
                rig.Fake->Later([&rig, &s] {
                    rig.Fake->Deliver("0\r\n");
                    s.Timer1Timer();
                });
            else if (written.contains("ENU?"))
                return QString("3\r\n");
            else if (written.contains("MSV?"))
                return QString("12.50,00,002\r\n");
            return QString();
        };
        QVERIFY(s.StartupSequence());
        QCOMPARE(rig.Fake->Sent, (QStringList{"S98;STP;", "S03;COF11;", "ENU?;"}));
        QCOMPARE(s.DisplayUnits(), 3);
        QVERIFY(!s.LineBusy());
        rig.Tick();
        QCOMPARE(rig.Fake->Sent.last(), QString("MSV?;")); // polling resumes after it
    }

    void aUnitsAnswerOutOfRangeKeepsTheUnits()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetDisplayUnits(2);
        rig.AnswerWith({{"COF11", "0\r\n"}, {"ENU?", "1250\r\n"}});
        QVERIFY(s.StartupSequence());
        QCOMPARE(s.DisplayUnits(), 2);
        rig.AnswerWith({{"COF11", "0\r\n"}, {"ENU?", "4\r\n"}});
        s.StartupSequence();
        QCOMPARE(s.DisplayUnits(), 4);
    }

    void openAndCloseEventsReachTheWindow()
    {
        TRig rig;
        QCOMPARE(rig.ConnectedCalls, 1);
        rig.Fake->Close();
        QCOMPARE(rig.DisconnectedCalls, 1);
        rig.Fake->Open();
        rig.Fake->Deliver("    125"); // the line goes in the middle of a weight line
        rig.Fake->Lose("gone");
        QCOMPARE(rig.LinkFailures, QStringList{"gone"});
        QVERIFY(rig.Script.History.empty());
        rig.Fake->Open();
        rig.Fake->Deliver("0\r"); // the start-up's "0" is not joined to it
        QCOMPARE(rig.Replies, QStringList{"0"});
    }

    void bytesDeliveredFromInsideAHandlerFollowTheCurrentOnes()
    {
        TRig rig;
        rig.Session.SetActivity(actWriteSettings);
        bool first = true;
        rig.Session.SettingsReply = [&](const QString &reply) {
            rig.Settings << reply;
            if (first) {
                first = false;
                rig.Fake->Deliver("5\r"); // as from a nested event loop
            }
        };
        rig.Fake->Deliver("1\r4");
        QCOMPARE(rig.Settings, (QStringList{"1", "45"}));
    }

    void aTransportReplacedInsideItsOwnEventIsFreedAfterwards()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actReadSettings);
        bool destroyedInside = true;
        rig.Session.SettingsReply = [&](const QString &) {
            s.SetTransport(std::make_unique<TFakeTransport>());
            destroyedInside = rig.FakeDestroyed;
        };
        rig.Fake->Deliver("0\r");
        QVERIFY(!destroyedInside);
        QVERIFY(rig.FakeDestroyed);
        QCOMPARE(rig.DisconnectedCalls, 1); // the open line was closed first
        QVERIFY(!s.IsOpen());
    }

    void aConnectMadeWhileALossIsReportedFreesTheOldLineAfterwards()
    {
        TRig rig;
        bool destroyedDuringMessage = true;
        // The window shows the report in a box; the user connects from its
        // event loop.
        rig.Session.LinkFailed = [&](const QString &) {
            rig.Session.InstallAndOpen(std::make_unique<TFakeTransport>());
            destroyedDuringMessage = rig.FakeDestroyed;
        };
        rig.Fake->Lose("gone");
        QVERIFY(!destroyedDuringMessage);
        QVERIFY(rig.FakeDestroyed);
        QVERIFY(rig.Session.IsOpen());
    }

    // Noise on the line, in every activity, with and without a wait and its
    // handler, cut at random places and mixed with ticks: nothing crashes,
    // nothing grows without bound, records are whole, nothing is shown and a
    // wait ends with one of an exchange's own outcomes.
    void randomBytesNeverUpsetTheSession()
    {
        TRig rig;
        TSession &s = rig.Session;
        QRandomGenerator rng(7400);
        const char alphabet[] = {'0', '1', '9', '.', ',', '-', '"', 'A', 'F', '?', ' ', '\r', '\n', 0x02, 0x03, 0x10};
        const TSession::THandler handlers[] = {s.Acknowledge(), s.Numeric(), s.Text(), s.Default(), nullptr};
        auto noise = [&] {
            if (rng.bounded(8) == 0) {
                s.SetActivity(TActivity(rng.bounded(8))); // 7 is no activity at all
                s.SetLoggingState(TLoggingState(rng.bounded(3)));
                QList<int> units;
                for (int n = int(rng.bounded(3)); n > 0; --n)
                    units << int(rng.bounded(1, 32));
                s.SetLoggedUnits(units);
            }
            QByteArray bytes;
            const int length = int(rng.bounded(40));
            for (int i = 0; i < length; ++i)
                bytes += rng.bounded(5) == 0 ? char(rng.bounded(256))
                                             : alphabet[rng.bounded(int(sizeof alphabet))];
            rig.Fake->Deliver(QString::fromLatin1(bytes));
            if (rng.bounded(4) == 0)
                rig.Tick();
            // An open line is handed to the traffic view in pieces.
            for (const QString &line : std::as_const(rig.Traffic))
                QVERIFY(line.size() <= TReplyReceiver::TrafficPiece + 1);
            for (const QString &reply : std::as_const(rig.Replies))
                QVERIFY(reply.size() <= TReplyReceiver::MaxReplyLength);
            rig.Traffic.clear();
            rig.Replies.clear();
        };
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; round < 200000 && clock.elapsed() < 3000; ++round) {
            if (rng.bounded(8) != 0) {
                noise();
                continue;
            }
            // A wait, with noise while it waits; the answer to the last poll
            // and a line still coming in are no longer awaited first.
            s.SetActivity(actIdle);
            rig.Tick(TSession::PollRepeatTicks);
            const int pieces = int(rng.bounded(20));
            rig.Fake->Answer = [&rig, &noise, pieces](const QString &written) {
                if (written.endsWith("COF11;")) // not the polls sent meanwhile (a bus: selected first)
                    rig.Fake->Later([&rig, &noise, pieces] {
                        for (int i = 0; i < pieces; ++i)
                            noise();
                        // Long enough for any wait to time out.
                        rig.Tick(TSession::ReplyWaitTicks + 2 * TSession::PollRepeatTicks);
                    });
                return QString();
            };
            const TOutcome outcome = s.SendAndWait("COF11", false, rng.bounded(2) ? QString("ENU") : QString(),
                                                   handlers[rng.bounded(int(std::size(handlers)))]);
            rig.Fake->Answer = nullptr;
            QVERIFY2(outcome.Is(TKind::Accepted) || outcome.Is(TKind::Refused) || outcome.Is(TKind::Silent),
                     qPrintable(outcome.Text()));
        }
        QVERIFY(rig.Script.History.empty());
        for (const QString &record : std::as_const(rig.Records))
            QCOMPARE(record.count('/'), 2);
    }

    // The time-out is told by the window once the wait has ended, in a box
    // with its own event loop. While it is up the 10 ms timer must go on (a
    // logging poll may overlap a wait), or the log has a gap for as long as
    // the user leaves the box open.
    void theTimerGoesOnWhileTheTimeOutMessageIsShown()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.SetActivity(actLog);
        s.SetLoggingState(lsPolled);
        s.SetLoggedUnits({5});
        qsizetype pollsDuringMessage = 0;
        rig.Script.WhileMessageShown = [&] {
            // As a message box would: a nested loop until the user answers.
            const qsizetype before = rig.Fake->Sent.size();
            (void)QTest::qWaitFor([&] { return rig.Fake->Sent.size() > before + 1; }, 2000);
            pollsDuringMessage = rig.Fake->Sent.size() - before;
        };
        rig.Ticks.Release();
        const TOutcome outcome = s.Acknowledged("COF11");
        QCOMPARE(outcome.Kind(), TKind::Silent);
        QVERIFY(rig.Script.History.empty());
        Tell(outcome);
        QCOMPARE(rig.Script.Messages(), QStringList{"Instrument not responding"});
        QVERIFY(pollsDuringMessage >= 2);
        QCOMPARE(rig.Fake->Sent.last(), QString("S05;MSV?;"));
    }

    void waitTicksRunsTheTimer()
    {
        TRig rig;
        rig.Ticks.Release();
        QElapsedTimer clock;
        clock.start();
        rig.Session.WaitTicks(5); // returns once the pause has run out
        QVERIFY(clock.elapsed() >= 30);
    }
};

QV_TEST_MAIN(TestSession)
} // namespace test_session
#include "test_session.moc"
