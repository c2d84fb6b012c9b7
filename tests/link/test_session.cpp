#include "link/comms.h"
#include "link/session.h"
#include "link/test_session_fake.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_session {

namespace {

// A session on a fake transport with every hook recorded. The timer is
// stopped: tests tick it by hand unless they need a real wait.
struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TSession Session;
    TFakeTransport *Fake = nullptr;
    bool FakeDestroyed = false;

    QStringList Commands, Replies, Traffic, Settings, Logged, Records;
    QList<bool> DisplayCalls;
    int StaleCalls = 0, ConnectedCalls = 0, DisconnectedCalls = 0;
    QList<bool> BusyCalls;
    bool TrafficShown = true;

    TRig()
    {
        Session.Timer1.stop();
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

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void startsInTheWindowsInitialState()
    {
        TSession s;
        QCOMPARE(int(s.Activity), int(actIdle));
        QCOMPARE(s.UnitAddress, 99);
        QCOMPARE(s.PollDelay, 0);
        QCOMPARE(s.DisplayStaleCountdown, 20);
        QCOMPARE(s.StatusPollCountdown, 10);
        QVERIFY(!s.AwaitingReply);
        QVERIFY(bool(s.ReplyHandler));
        QVERIFY(!s.IsOpen());
        QCOMPARE(s.Timer1.interval(), 10);
        QCOMPARE(s.Timer1.timerType(), Qt::PreciseTimer);
        QVERIFY(s.Timer1.isActive());
        s.SendCommand("MSV?", false); // the null transport sends nothing, quietly
        QVERIFY(!s.SendAndWait("COF11", false, {}, s.Acknowledge()));
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
        auto deliver = [&](const QString &bytes) {
            s.PollDelay = 7;
            s.DisplayStaleCountdown = 3;
            rig.Fake->Deliver(bytes);
            QCOMPARE(s.PollDelay, 0);
            QCOMPARE(s.DisplayStaleCountdown, 20);
        };

        s.Activity = actDisplay;
        s.StatusPollCountdown = 10; // the status request is being answered: hex
        deliver("00A4\r\n");
        qint32 v = 0, places = 0;
        QVERIFY(s.Parser().GetInt(0, v, 0, 65535, places));
        QCOMPARE(v, 164);
        s.StatusPollCountdown = 4;
        deliver("12.5,1,2\r\n");
        QVERIFY(s.Parser().GetInt(0, v, -999999, 999999, places));
        QCOMPARE(v, 125);
        s.Activity = actCalibration;
        deliver("7\r\n");
        QCOMPARE(rig.DisplayCalls, (QList<bool>{false, false, true}));

        s.Activity = actLog;
        deliver("-12.50,3,17\r\n");
        deliver("1234567,3,17\r\n"); // weight out of range: not a sample
        deliver("1,33,17\r\n");      // unit out of range
        QCOMPARE(rig.Logged, QStringList{"-1250/3/17"});

        s.Activity = actReadSettings;
        deliver("\"ID\",\"123\",\"5.01\"\r");
        s.Activity = actWriteSettings;
        deliver("0\r");
        QCOMPARE(rig.Settings, (QStringList{"\"ID\",\"123\",\"5.01\"", "0"}));

        s.Activity = actTest;
        deliver("9\r");
        s.Activity = actIdle;
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
        rig.Session.Activity = actDisplay;
        rig.Session.AwaitingReply = true;
        rig.Fake->Deliver("1.0,1,2\r");
        QVERIFY(rig.DisplayCalls.isEmpty());
    }

    void binaryRecordsGoToLoggingOnly()
    {
        TRig rig;
        TSession &s = rig.Session;
        const QString record = QString::fromLatin1(QByteArray("\x10\x02\x05\x00\x00\x01\x00\xFF\xFF\xFF\xF6\x10\x03", 13));
        s.Activity = actDisplay;
        s.PollDelay = 4;
        rig.Fake->Deliver(record);
        QCOMPARE(s.PollDelay, 0);
        QCOMPARE(rig.Traffic, QStringList{"5,256,-10"});
        QVERIFY(rig.Records.isEmpty());
        QVERIFY(rig.Replies.isEmpty());
        QVERIFY(rig.DisplayCalls.isEmpty());

        s.Activity = actLog;
        s.AwaitingReply = true;
        s.ReplyHandler = [](const QString &) { QFAIL("a record reached the reply handler"); };
        rig.Fake->Deliver(record);
        QCOMPARE(rig.Records, QStringList{"5/256/-10"});
        QCOMPARE(rig.Replies.size(), 1);
        QVERIFY(s.AwaitingReply);
    }

    void receivingStopsWhenDisabled()
    {
        TRig rig;
        rig.Session.ReceiveDisabled = true;
        rig.Fake->Deliver("1\r");
        QVERIFY(rig.Replies.isEmpty());
    }

    void sendAndWaitAcceptsRefusesAndTimesOut()
    {
        TRig rig;
        TSession &s = rig.Session;
        rig.AnswerWith({{"COF11", "0\r\n"}, {"ADR5", "?\r\n"}, {"ENU?", "2\r\n"}, {"IDN?", "\"ID\"\r\n"}});

        QVERIFY(s.SendAndWait("S99;COF11;", false, {}, s.Acknowledge()));
        QVERIFY(rig.Script.Messages().isEmpty());
        QVERIFY(!s.ReplyHandler); // emptied after every wait

        QVERIFY(!s.SendAndWait("ADR5", false, {}, s.Acknowledge()));
        QCOMPARE(rig.Script.Messages(), QStringList{"Invalid Setting"});
        QCOMPARE(rig.Script.History.back().kind, TPrompts::Kind::Error);

        QVERIFY(s.SendAndWait("ENU?", false, "ENU", s.Numeric()));
        QCOMPARE(s.ReplyValue, 2);

        QVERIFY(s.SendAndWait("IDN?", false, {}, s.Text()));
        QCOMPARE(s.ReplyPrefix, QString("\"ID\""));

        // No answer: the wait ends when the timer has counted 40 ticks.
        rig.Script.Clear();
        int ticks = 0;
        QTimer *ticker = rig.TickFromLoop(&ticks);
        QVERIFY(!s.SendAndWait("MSV?", false, {}, s.Acknowledge()));
        delete ticker;
        QCOMPARE(ticks, 40);
        QCOMPARE(rig.Script.Messages(), QStringList{"Instrument not responding"});
        QCOMPARE(rig.Script.History.back().kind, TPrompts::Kind::Plain);
    }

    void numericReplyOutOfRangeIsNotAccepted()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.ReplyValue = 5;
        rig.AnswerWith({{"ENU?", "1000000\r\n"}});
        s.Timer1.start(); // the real 400 ms time-out
        QVERIFY(!s.SendAndWait("ENU?", false, "ENU", s.Numeric()));
        QCOMPARE(s.ReplyValue, 5);
        QCOMPARE(rig.Script.Messages(), QStringList{"Instrument not responding"});
    }

    void aLateSecondReplyDoesNotOverturnTheOutcome()
    {
        TRig rig;
        rig.AnswerWith({{"COF11", "0\r\n?\r\n"}});
        QVERIFY(rig.Session.SendAndWait("COF11", false, {}, rig.Session.Acknowledge()));
        QVERIFY(rig.Script.Messages().isEmpty());
    }

    void closingTheLineEndsTheWaitWithoutASecondMessage()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.Timer1.start();
        rig.Fake->Answer = [&rig](const QString &) {
            rig.Fake->Later([&rig] { rig.Fake->Lose("The connection to the instrument was lost."); });
            return QString();
        };
        QVERIFY(!s.SendAndWait("COF11", false, {}, s.Acknowledge()));
        QVERIFY(!s.AwaitingReply);
        QCOMPARE(rig.DisconnectedCalls, 1);
        QTest::qWait(600); // long past the reply time-out
        QCOMPARE(rig.Script.Messages(), QStringList{"The connection to the instrument was lost."});

        // A plain close by the user ends a wait the same way, silently.
        TRig quiet;
        quiet.Session.Timer1.start(); // a regression times out instead of hanging
        quiet.Fake->Answer = [&quiet](const QString &) {
            quiet.Fake->Later([&quiet] { quiet.Fake->Close(); });
            return QString();
        };
        QVERIFY(!quiet.Session.SendAndWait("COF11", false, {}, quiet.Session.Acknowledge()));
        QVERIFY(quiet.Script.Messages().isEmpty());
    }

    void aSecondWaitDuringAWaitIsRefused()
    {
        TRig rig;
        TSession &s = rig.Session;
        bool inner = true;
        rig.Fake->Answer = [&](const QString &written) {
            if (written.contains("COF11"))
                rig.Fake->Later([&] {
                    // user input handled inside the wait
                    inner = s.SendAndWait("ADR5", false, {}, s.Acknowledge());
                    rig.Fake->Deliver("0\r\n");
                });
            return QString();
        };
        QVERIFY(s.SendAndWait("COF11", false, {}, s.Acknowledge()));
        QVERIFY(!inner);
        QCOMPARE(rig.Fake->Sent, QStringList{"COF11;"});
        QVERIFY(rig.Script.Messages().isEmpty());
    }

    void displayPollRhythm()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.Activity = actDisplay;
        rig.Tick();
        QCOMPARE(rig.Fake->Sent, QStringList{"MSV?;"});
        rig.Tick(9); // no reply: nothing until 10 ticks have passed
        QCOMPARE(rig.Fake->Sent.size(), 1);
        rig.Tick();
        QCOMPARE(rig.Fake->Sent.size(), 2);

        rig.Fake->Deliver("1.0,99,2\r"); // a reply: next poll on the next tick
        rig.Tick();
        QCOMPARE(rig.Fake->Sent.size(), 3);

        s.PollDelay = 5; // what a front-panel key command sets
        rig.Tick(5);
        QCOMPARE(rig.Fake->Sent.size(), 3);
        rig.Tick();
        QCOMPARE(rig.Fake->Sent.size(), 4);

        s.PollDelay = 5; // ... unless a reply comes sooner
        rig.Tick(2);
        rig.Fake->Deliver("1.0,99,2\r");
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
        rig.Session.Activity = actDisplay;
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
        s.Activity = actDisplay;
        rig.Tick(); // "MSV?;" is out, its answer still on the line
        bool pollAnswered = false;
        rig.Fake->Answer = [&](const QString &) { return (pollAnswered ? "" : "    1250,00,002\r\n") + QString("6250\r\n"); };
        s.Timer1.start();
        QTimer::singleShot(50, &s, [&] { pollAnswered = true, rig.Fake->Deliver("    1250,00,002\r\n"); });
        QVERIFY(s.SendAndWait("VAL?", false, "VAL", s.Numeric()));
        QCOMPARE(s.ReplyValue, 6250);
    }

    void everyTenthDisplayPollAsksForStatus()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.Activity = actCalibration;
        s.UnitAddress = 7;
        for (int i = 0; i < 20; ++i) {
            rig.Tick();
            rig.Fake->Deliver("0\r");
        }
        QStringList expected;
        for (int i = 1; i <= 20; ++i)
            expected << (i % 10 == 0 ? "S07;ESR?;" : "MSV?;");
        QCOMPARE(rig.Fake->Sent, expected);
        s.UnitAddress = 99;
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
        s.Activity = actDisplay;
        bool *flags[] = {&s.DisplayPollPaused, &s.AwaitingReply, &s.PollingSuspended};
        for (bool *flag : flags) {
            rig.Fake->Sent.clear();
            *flag = true;
            rig.Tick(15);
            QVERIFY(rig.Fake->Sent.isEmpty());
            QCOMPARE(s.PollDelay, 0);
            *flag = false;
            rig.Tick();
            QCOMPARE(rig.Fake->Sent.size(), 1);
            rig.Fake->Deliver("0\r");
        }
        s.AwaitingReply = false;
        s.ReplyTimeout = 0;
    }

    void nothingIsPolledOnTheTestPageOrWhenIdle()
    {
        TRig rig;
        for (quint8 a : {actIdle, actTest, actReadSettings, actWriteSettings}) {
            rig.Session.Activity = a;
            rig.Tick(30);
        }
        rig.Session.Activity = actLog; // logging stopped
        rig.Tick(30);
        QVERIFY(rig.Fake->Sent.isEmpty());
    }

    void loggingPollsGoRoundTheLoggedUnits()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.Activity = actLog;
        s.LoggingState = 1;
        s.LoggedUnits[0] = 5;
        s.LoggedUnits[1] = 12;
        s.LoggedUnitCount = 2;
        s.AwaitingReply = true; // a logging poll may overlap a wait
        for (int i = 0; i < 3; ++i)
            rig.Tick(10);
        QCOMPARE(rig.Fake->Sent, (QStringList{"S12;MSV?;", "S05;MSV?;", "S12;MSV?;"}));
        s.PollingSuspended = true;
        rig.Tick(20);
        QCOMPARE(rig.Fake->Sent.size(), 3);
        s.AwaitingReply = false;
        s.ReplyTimeout = 0;
    }

    void closedLineStillCountsButNeverSends()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.Activity = actDisplay;
        rig.Fake->Close();
        s.PauseCounter = 3;
        s.ReplyTimeout = 5;
        s.AwaitingReply = true;
        s.TickCycle = 8;
        rig.Tick(2);
        QCOMPARE(s.PauseCounter, 1);
        QCOMPARE(s.TickCycle, 0);
        QCOMPARE(s.DisplayStaleCountdown, 18);
        QCOMPARE(s.ReplyTimeout, 5);
        QVERIFY(rig.Fake->Sent.isEmpty());
        QVERIFY(rig.Script.Messages().isEmpty());
        s.AwaitingReply = false;
    }

    void displayIsBlankedTwentyTicksAfterTheLastReply()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.Activity = actDisplay;
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
        s.UnitAddress = 3;
        rig.AnswerWith({{"COF11", "0\r\n"}, {"ENU?", "2\r\n"}});
        s.StartupSequence();
        QCOMPARE(rig.Fake->Sent, (QStringList{"S98;STP;", "S03;COF11;", "ENU?;"}));
        QCOMPARE(s.DisplayUnits, 2);
        QCOMPARE(rig.BusyCalls, (QList<bool>{true, false}));

        // Refused: reported once, units not asked, hourglass restored.
        rig.Fake->Sent.clear();
        rig.BusyCalls.clear();
        rig.AnswerWith({{"COF11", "?\r\n"}, {"ENU?", "4\r\n"}});
        s.StartupSequence();
        QCOMPARE(rig.Fake->Sent, (QStringList{"S98;STP;", "S03;COF11;"}));
        QCOMPARE(s.DisplayUnits, 2);
        QCOMPARE(rig.Script.Messages(), QStringList{"Invalid Setting"});
        QCOMPARE(rig.BusyCalls, (QList<bool>{true, false}));

        rig.Fake->Close();
        rig.Fake->Sent.clear();
        s.StartupSequence();
        QVERIFY(rig.Fake->Sent.isEmpty());
    }

    void noDisplayPollSlipsBetweenTheStartupQuestions()
    {
        // A tick handled in the same pass as the "0" to COF11 finds nothing
        // awaited and the poll delay cleared; its weight reply would then be
        // taken for the units.
        TRig rig;
        TSession &s = rig.Session;
        s.Activity = actDisplay;
        s.UnitAddress = 3;
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
        s.StartupSequence();
        QCOMPARE(rig.Fake->Sent, (QStringList{"S98;STP;", "S03;COF11;", "ENU?;"}));
        QCOMPARE(s.DisplayUnits, 3);
        QVERIFY(!s.StartupRunning);
        rig.Tick();
        QCOMPARE(rig.Fake->Sent.last(), QString("MSV?;")); // polling resumes after it
    }

    void aUnitsAnswerOutOfRangeKeepsTheUnits()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.DisplayUnits = 2;
        rig.AnswerWith({{"COF11", "0\r\n"}, {"ENU?", "1250\r\n"}});
        s.StartupSequence();
        QCOMPARE(s.DisplayUnits, 2);
        rig.AnswerWith({{"COF11", "0\r\n"}, {"ENU?", "4\r\n"}});
        s.StartupSequence();
        QCOMPARE(s.DisplayUnits, 4);
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
        QCOMPARE(rig.Script.Messages(), QStringList{"gone"});
        rig.Fake->Open();
        rig.Fake->Deliver("0\r"); // the start-up's "0" is not joined to it
        QCOMPARE(rig.Replies, QStringList{"0"});
    }

    void bytesDeliveredFromInsideAHandlerFollowTheCurrentOnes()
    {
        TRig rig;
        rig.Session.Activity = actWriteSettings;
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
        s.Activity = actReadSettings;
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
        TScriptedPrompts prompts;
        TScopedPrompts guard(&prompts);
        prompts.WhileMessageShown = [&] {
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
    // records are whole, and only the texts of this exchange are shown.
    void randomBytesNeverUpsetTheSession()
    {
        TRig rig;
        TSession &s = rig.Session;
        QRandomGenerator rng(7400);
        const char alphabet[] = {'0', '1', '9', '.', ',', '-', '"', 'A', 'F', '?', ' ', '\r', '\n', 0x02, 0x03, 0x10};
        const TSession::THandler handlers[] = {s.Acknowledge(), s.Numeric(), s.Text(), s.Default(), nullptr};
        QElapsedTimer clock;
        clock.start();
        for (int round = 0; round < 200000 && clock.elapsed() < 3000; ++round) {
            if (rng.bounded(8) == 0) {
                s.Activity = quint8(rng.bounded(8)); // 7 is no activity at all
                s.StatusPollCountdown = int(rng.bounded(11));
                s.AwaitingReply = rng.bounded(2) == 0;
                s.ReplyTimeout = int(rng.bounded(41));
                s.ReplyPrefix = rng.bounded(2) ? QString("ENU") : QString();
                s.ReplyHandler = handlers[rng.bounded(int(std::size(handlers)))];
                s.LoggingState = int(rng.bounded(3));
                s.LoggedUnitCount = int(rng.bounded(3));
            }
            QByteArray bytes;
            const int length = int(rng.bounded(40));
            for (int i = 0; i < length; ++i)
                bytes += rng.bounded(5) == 0 ? char(rng.bounded(256))
                                             : alphabet[rng.bounded(int(sizeof alphabet))];
            rig.Fake->Deliver(QString::fromLatin1(bytes));
            if (rng.bounded(4) == 0)
                rig.Tick();
            QVERIFY(s.Receiver.BinaryCount <= TReplyReceiver::MaxRecordCount + 1);
            QVERIFY(s.Receiver.RawBuffer.size() <= TReplyReceiver::TrafficPiece + 1);
        }
        for (const QString &text : rig.Script.Messages())
            QVERIFY2(text == "Invalid Setting" || text == "Instrument not responding", qPrintable(text));
        for (const QString &record : rig.Records)
            QCOMPARE(record.count('/'), 2);
        s.AwaitingReply = false;
        s.ReplyTimeout = 0;
    }

    // The time-out message is shown from inside a tick. While it is up the
    // 10 ms timer must go on (a logging poll may overlap a wait), or the
    // log has a gap for as long as the user leaves the box open.
    void theTimerGoesOnWhileTheTimeOutMessageIsShown()
    {
        TRig rig;
        TSession &s = rig.Session;
        s.Activity = actLog;
        s.LoggingState = 1;
        s.LoggedUnits[0] = 5;
        s.LoggedUnitCount = 1;
        TScriptedPrompts prompts;
        TScopedPrompts guard(&prompts);
        qsizetype pollsDuringMessage = 0;
        prompts.WhileMessageShown = [&] {
            // As a message box would: a nested loop until the user answers.
            const qsizetype before = rig.Fake->Sent.size();
            (void)QTest::qWaitFor([&] { return rig.Fake->Sent.size() > before + 1; }, 2000);
            pollsDuringMessage = rig.Fake->Sent.size() - before;
        };
        s.Timer1.start();
        QVERIFY(!s.SendAndWait("COF11", false, {}, s.Acknowledge()));
        QCOMPARE(prompts.Messages(), QStringList{"Instrument not responding"});
        QVERIFY(pollsDuringMessage >= 2);
        QCOMPARE(rig.Fake->Sent.last(), QString("S05;MSV?;"));
    }

    void waitTicksRunsTheTimer()
    {
        TRig rig;
        rig.Session.Timer1.start();
        QElapsedTimer clock;
        clock.start();
        rig.Session.WaitTicks(5);
        QCOMPARE(rig.Session.PauseCounter, 0);
        QVERIFY(clock.elapsed() >= 30);
    }
};

QV_TEST_MAIN(TestSession)
} // namespace test_session
#include "test_session.moc"
