// The logging session without widgets on screen: start and stop in both
// modes against a scripted transport, and replies and records turned into
// points (rate divisor, channel bits, weight divisor, per-unit traces,
// spreading of equal times, the time axis following).

#include "link/session.h"
#include "link/test_session_fake.h"
#include "logging/loggingsession.h"
#include "settings/database.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_logging_session {

namespace {

struct TRig {
    TSession Session;
    TFakeTransport *Line = nullptr;
    TLoggingSession Logging{Session};
    Tdata7410 Model;
    qint64 Now = 0;

    TRig()
    {
        auto line = std::make_unique<TFakeTransport>();
        Line = line.get();
        Session.SetTransport(std::move(line));
        Line->Open();
        // Ticks are driven by hand: no event loop runs here, so the
        // session's own timer never fires.
        Logging.ClockMs = [this] { return Now; };
        Session.SetActivity(actLog);
    }
    void Begin(int rate, std::array<int, 4> channels = {})
    {
        TLogChoices c;
        c.Rate = rate;
        c.Channels = channels;
        Logging.Begin(c, Model);
    }
    QList<double> Keys(int trace) const
    {
        QList<double> keys;
        for (const TLogPoint &p : Logging.Points.Points(trace))
            keys << p.key;
        return keys;
    }
    QList<double> Values(int trace) const
    {
        QList<double> values;
        for (const TLogPoint &p : Logging.Points.Points(trace))
            values << p.value;
        return values;
    }
};

} // namespace

class TestLoggingSession : public QObject {
    Q_OBJECT
private slots:
    void channelTablesAndNiceStep()
    {
        using namespace LogChannels;
        // Status 0: Motion on (its bit is "stable"), Zero and outputs off.
        QVERIFY(IsOnText(1, 0));
        for (int c = 2; c <= 6; ++c)
            QVERIFY(!IsOnText(c, 0));
        QVERIFY(!IsOnText(1, 0x0002));
        QVERIFY(IsOnText(2, 0x0100) && IsOnText(3, 0x10) && IsOnText(4, 0x20) && IsOnText(5, 0x40)
                && IsOnText(6, 0x80));
        QVERIFY(!IsOnText(0, 0xffff) && !IsOnText(7, 0xffff) && !IsOnText(-1, 0xffff));
        QVERIFY(IsOnBinary(1, 0x80) && IsOnBinary(2, 0x40) && IsOnBinary(3, 0x01) && IsOnBinary(6, 0x08));
        QVERIFY(!IsOnBinary(1, 0x7f) && !IsOnBinary(0, 0xff));
        QCOMPARE(Level(1, false), 1.5);
        QCOMPARE(Level(3, true), 5.5);
        const QList<QPair<double, double>> steps{{10, 1}, {100, 10}, {1000, 100}, {50, 5}, {30, 2},
                                                 {16, 2},  {15, 1},   {7, 0.5},    {2.5, 0.2}};
        for (const auto &[span, step] : steps)
            QVERIFY2(qFuzzyCompare(NiceStep(span), step), qPrintable(QString::number(span)));
        QCOMPARE(NiceStep(0), 1.0);
        QCOMPARE(NiceStep(-5), 1.0);
        QCOMPARE(RateIndexOf(10), 2);
        QCOMPARE(RateIndexOf(7), 0);
    }

    void startNeedsAConnectionAndHonoursCancel()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TRig rig;
        rig.Line->Close();
        const TOutcome closed = rig.Logging.MayStart();
        QVERIFY(closed.Is(TOutcome::TKind::NotConnected));
        QCOMPARE(closed.Text(), QString("Instrument not Connected"));
        QVERIFY(script.History.empty());   // the page tells it, not the session
        QCOMPARE(rig.Session.LoggingState(), lsStopped);
        QVERIFY(rig.Session.LoggedUnits().isEmpty());

        rig.Line->Open();
        rig.Session.SetUnitAddress(7);
        QVERIFY(rig.Logging.MayStart());
        rig.Begin(1, {1, 0, 0, 0});
        rig.Now = 500;
        rig.Logging.TakeReply(100, 7, 0);
        QCOMPARE(rig.Logging.Traces.size(), size_t(6));

        // Asking to start again (the page's dialog comes after, and may be
        // cancelled), or keeping the unsaved samples when offered to save
        // them, leaves the running session and its points as they were.
        QVERIFY(rig.Logging.MayStart());
        rig.Logging.MayDiscardSamples = [] { return false; };
        const TOutcome kept = rig.Logging.MayStart();
        QVERIFY(kept.Is(TOutcome::TKind::Cancelled));
        QVERIFY(kept.Text().isEmpty());
        QCOMPARE(rig.Session.LoggingState(), lsPolled);
        QCOMPARE(rig.Logging.RateDivisor, 1);
        QCOMPARE(rig.Keys(5), QList<double>{0.5});
        QCOMPARE(rig.Logging.Channels[0], 1);
        QCOMPARE(rig.Line->Sent, QStringList{});
    }

    void polledStartAndStop()
    {
        TRig rig;
        rig.Session.SetUnitAddress(12);
        rig.Session.SetLoggedUnits({3, 4, 5});   // an earlier session's list is replaced
        QVERIFY(rig.Logging.MayStart());
        rig.Begin(2);
        QCOMPARE(rig.Session.LoggingState(), lsPolled);
        QCOMPARE(rig.Logging.RateDivisor, 10);
        QCOMPARE(rig.Session.LoggedUnits(), QList<int>{12});
        QCOMPARE(rig.Logging.Traces.back().Title, QString("ADDR 12"));
        QCOMPARE(rig.Logging.Traces.back().Tag, 12);
        QVERIFY(rig.Line->Sent.isEmpty());

        // The polling loop asks the logged unit.
        rig.Session.Timer1Timer();
        QCOMPARE(rig.Line->Sent, QStringList{"S12;MSV?;"});

        // The next Start's dialog offers the rate last chosen.
        QCOMPARE(rig.Logging.CurrentChoices().Rate, 2);

        rig.Line->Sent.clear();
        rig.Logging.Stop();
        QCOMPARE(rig.Session.LoggingState(), lsStopped);
        QVERIFY(rig.Line->Sent.isEmpty());
    }

    void streamedStartAndStop()
    {
        TRig rig;
        rig.Begin(0);
        QCOMPARE(rig.Session.LoggingState(), lsStreamed);
        QCOMPARE(rig.Line->Sent, QStringList{"MSV?,0;"});
        // No polls go out while streaming.
        rig.Session.Timer1Timer();
        QCOMPARE(rig.Line->Sent.size(), 1);
        // Stop sends STP whatever page is shown.
        rig.Session.SetActivity(actDisplay);
        rig.Logging.Stop();
        QCOMPARE(rig.Line->Sent, (QStringList{"MSV?,0;", "STP;"}));
        QCOMPARE(rig.Session.LoggingState(), lsStopped);

        // While settings are transferred the stream is not asked for.
        rig.Line->Sent.clear();
        TSession::TActivityScope transfer(rig.Session);
        QVERIFY(rig.Session.PollingSuspended());
        rig.Begin(0);
        QVERIFY(rig.Line->Sent.isEmpty());
        QCOMPARE(rig.Session.LoggingState(), lsStreamed);
    }

    void polledStartEndsAStreamStillRunning()
    {
        TRig rig;
        rig.Begin(0);
        rig.Begin(1);
        QCOMPARE(rig.Line->Sent, (QStringList{"MSV?,0;", "STP;"}));
        QCOMPARE(rig.Session.LoggingState(), lsPolled);
    }

    void rateDivisorKeepsTrueTimes()
    {
        TRig rig;
        rig.Session.SetUnitAddress(1);
        rig.Begin(2);   // 1 Hz: every tenth reply
        for (int i = 1; i <= 25; ++i) {
            rig.Now = i * 97;
            rig.Logging.TakeReply(i, 1, 0);
        }
        QCOMPARE(rig.Keys(4), (QList<double>{0.97, 1.94}));
        QCOMPARE(rig.Values(4), (QList<double>{10, 20}));
        QCOMPARE(rig.Keys(5), rig.Keys(4));

        rig.Begin(1);   // 10 Hz: every reply
        for (int i = 1; i <= 3; ++i) {
            rig.Now += 100;
            rig.Logging.TakeReply(i, 1, 0);
        }
        QCOMPARE(rig.Logging.Points.Size(4), qsizetype(3));
    }

    // Units polled in turn are thinned each on its own: one count for all
    // kept only the first unit's replies whenever the divisor was a
    // multiple of the number of units.
    void unitsPolledInTurnKeepEachTheirShare_data()
    {
        QTest::addColumn<QList<int>>("units");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("kept"); // of a unit's 60 replies: as many as one unit alone
        QTest::newRow("two units at 1 Hz") << QList<int>{1, 2} << 2 << 12;
        // Every third of a unit's replies.
        QTest::newRow("three units at 1 Hz") << QList<int>{1, 2, 5} << 2 << 20;
        QTest::newRow("two units at 1/10 s") << QList<int>{4, 9} << 3 << 1;
        QTest::newRow("two units at 10 Hz") << QList<int>{1, 2} << 1 << 60;
    }
    void unitsPolledInTurnKeepEachTheirShare()
    {
        QFETCH(QList<int>, units);
        QFETCH(int, rate);
        QFETCH(int, kept);
        TRig rig;
        rig.Session.SetUnitAddress(units.first());
        TLogChoices choices;
        choices.Rate = rate;
        choices.Units = units;
        rig.Logging.Begin(choices, rig.Model);
        QCOMPARE(rig.Session.LoggedUnits(), units);
        const qsizetype count = units.size();
        for (int i = 0; i < 60 * count; ++i) {
            rig.Now = 10 * (i + 1);
            const int unit = units[i % count];
            rig.Logging.TakeReply(unit * 100, unit, 0);
        }
        for (qsizetype u = 0; u < count; ++u) {
            const int trace = TLoggingSession::FirstUnitTrace + int(u);
            QCOMPARE(rig.Logging.Traces[size_t(trace)].Tag, units[u]);
            QCOMPARE(rig.Logging.Points.Size(trace), qsizetype(kept));
            for (const double value : rig.Values(trace))
                QCOMPARE(value, 100.0 * units[u]);
        }
    }

    void channelsWeightDivisorAndUnitTraces()
    {
        TRig rig;
        rig.Model.DecimalPoint = 2;
        rig.Session.SetUnitAddress(3);
        rig.Begin(1, {1, 0, 3, 2});
        QVERIFY(rig.Logging.Traces[4].Visible);
        rig.Now = 100;
        rig.Logging.TakeReply(12345, 3, 0x0010);   // output 1 on, stable
        rig.Now = 200;
        rig.Logging.TakeReply(-250, 5, 0x0102);    // other unit, motion, zero
        QCOMPARE(rig.Logging.WeightDivisor, 100);
        QCOMPARE(rig.Values(4), (QList<double>{123.45, -2.5}));
        QVERIFY(!rig.Logging.Traces[4].Visible);
        QCOMPARE(rig.Values(5), QList<double>{123.45});   // unit 5 has no trace
        QCOMPARE(rig.Values(0), (QList<double>{1, 0}));   // Motion: on, off
        QVERIFY(rig.Logging.Points.Size(1) == 0);   // None
        QCOMPARE(rig.Values(2), (QList<double>{4, 3}));   // Output 1: on, off
        QCOMPARE(rig.Values(3), (QList<double>{4.5, 5.5}));   // Zero: off, on

        // "Any" takes every unit's replies.
        rig.Session.SetUnitAddress(99);
        rig.Model.DecimalPoint = 0;
        rig.Begin(1);
        rig.Logging.TakeReply(1, 4, 0);
        rig.Logging.TakeReply(2, 31, 0);
        QCOMPARE(rig.Logging.Traces[5].Tag, 99);
        QCOMPARE(rig.Values(5), (QList<double>{1, 2}));

        // After Stop nothing more is taken.
        rig.Logging.Stop();
        rig.Logging.TakeReply(3, 4, 0);
        rig.Logging.TakeRecord(0, 0, 3);
        QCOMPARE(rig.Logging.Points.Size(4), qsizetype(2));
    }

    // A 10 Hz stream silent for 5 s: every trace breaks; the silence is said while it lasts.
    void silenceBreaksTheTracesAndIsSaid()
    {
        TRig rig;
        rig.Model.SynchFilter = 10;
        rig.Begin(0, {1, 0, 0, 0});
        QStringList notes;
        connect(&rig.Logging, &TLoggingSession::SilenceNote, this, [&](const QString &n) { notes << n; });
        for (qint64 ms : {0, 100, 200, 3700, 5200, 5300}) {
            rig.Now = ms;
            rig.Logging.CheckSilence();
            ms == 3700 ? void() : rig.Logging.TakeReply(100, 1, 0);
        }
        QCOMPARE(notes, (QStringList{"No samples from the instrument for 3 s", "No samples from the instrument for 5 s",
                                     QString()}));
        for (int trace : {TLoggingSession::SeriesWeight, TLoggingSession::FirstUnitTrace, 0}) {
            QCOMPARE(rig.Keys(trace), (QList<double>{0, 0.1, 0.2, 2.7, 5.2, 5.3}));
            QVERIFY(std::isnan(rig.Values(trace)[3]));
        }
    }

    void equalTimesAreSpreadBeforeTheNextSample()
    {
        TRig rig;
        rig.Session.SetUnitAddress(1);
        rig.Begin(1);
        rig.Now = 1000;
        rig.Logging.TakeReply(0, 1, 0);   // P = 1
        rig.Now = 1600;                   // L = 1.6, three times
        for (int i = 0; i < 3; ++i)
            rig.Logging.TakeReply(i, 1, 0);
        QCOMPARE(rig.Keys(5), (QList<double>{1, 1.6, 1.6, 1.6}));
        rig.Now = 2000;
        rig.Logging.TakeReply(9, 1, 0);
        const QList<double> keys = rig.Keys(5);
        QCOMPARE(keys.size(), 5);
        QVERIFY(qFuzzyCompare(keys[1], 1.6 + 2 * (1 - 1.6) / 3));
        QVERIFY(qFuzzyCompare(keys[2], 1.6 + (1 - 1.6) / 3));
        QCOMPARE(keys[3], 1.6);
        QCOMPARE(rig.Values(5), (QList<double>{0, 0, 1, 2, 9}));
        // Only the first unit trace is spread.
        QCOMPARE(rig.Keys(4), (QList<double>{1, 1.6, 1.6, 1.6, 2}));

        // All points sharing one time: left alone.
        rig.Begin(1);
        for (int i = 0; i < 3; ++i)
            rig.Logging.TakeReply(i, 1, 0);
        rig.Now += 10;
        rig.Logging.TakeReply(3, 1, 0);
        QCOMPARE(rig.Keys(5).mid(0, 3), (QList<double>(3, 0.0)));   // times count from the new start
    }

    void clockSteppingBackKeepsOrder()
    {
        TRig rig;
        rig.Begin(1);
        rig.Now = 5000;
        rig.Logging.TakeReply(1, 99, 0);
        rig.Now = 3000;
        rig.Logging.TakeReply(2, 99, 0);
        QCOMPARE(rig.Keys(4), (QList<double>{5, 5}));
    }

    void timeAxisFollowsUnlessTheUserHoldsTheView()
    {
        TRig rig;
        rig.Begin(1);   // 10 Hz: 0..10 s, scroll step 5
        QCOMPARE(rig.Logging.TimeMax, 10.0);
        QCOMPARE(rig.Logging.ScrollStep, 5.0);
        rig.Now = 10500;
        rig.Logging.TakeReply(1, 1, 0);
        QCOMPARE(rig.Logging.TimeMin, 5.0);
        QCOMPARE(rig.Logging.TimeMax, 15.0);
        rig.Logging.ManualView = true;
        rig.Now = 30000;
        rig.Logging.TakeReply(1, 1, 0);
        QCOMPARE(rig.Logging.TimeMax, 15.0);
        // A new session follows again.
        rig.Begin(1);
        rig.Now += 10500;
        rig.Logging.TakeReply(1, 1, 0);
        QCOMPARE(rig.Logging.TimeMax, 15.0);
    }

    void binaryRecordsStepByTheLabelIncrement()
    {
        TRig rig;
        rig.Model.DecimalPoint = 1;
        rig.Begin(0, {1, 3, 0, 0});   // Auto: 0..10 s, step 1
        QCOMPARE(rig.Logging.TimeStep, 1.0);
        for (int i = 0; i < 12; ++i)
            rig.Logging.TakeRecord(i % 2 ? 0x81 : 0x00, 0, 10 * i);
        QCOMPARE(rig.Keys(4).mid(0, 3), (QList<double>{0, 1, 2}));
        QCOMPARE(rig.Values(4).mid(0, 3), (QList<double>{0, 1, 2}));
        QVERIFY(rig.Logging.Traces[4].Visible);
        QVERIFY(rig.Logging.Points.Size(5) == 0);
        QCOMPARE(rig.Values(0).mid(0, 2), (QList<double>{0, 1}));
        QCOMPARE(rig.Values(1).mid(0, 2), (QList<double>{1.5, 2.5}));
        // x = 11 passed the maximum of 10 once: one scroll of 5.
        QCOMPARE(rig.Logging.TimeMax, 15.0);
        QCOMPARE(rig.Logging.TimeMin, 5.0);
    }

    void axisSetUp()
    {
        TRig rig;
        TLogChoices c;
        c.Rate = 3;
        rig.Logging.SetupAxes(c, rig.Model);
        QCOMPARE(rig.Logging.TimeMax, 1000.0);
        QCOMPARE(rig.Logging.TimeStep, 100.0);
        QCOMPARE(rig.Logging.ScrollStep, 500.0);

        rig.Model.WeighMode = 1;
        rig.Model.FullScale2 = 6000;
        rig.Model.DecimalPoint = 1;
        rig.Model.Units = 3;
        rig.Logging.SetupAxes(c, rig.Model);
        QCOMPARE(rig.Logging.WeightMax, 600.0);
        QCOMPARE(rig.Logging.WeightMin, -600.0);
        QCOMPARE(rig.Logging.ChannelScale, 80.0);
        QCOMPARE(rig.Logging.WeightTitle, QString("Weight (lb)"));

        rig.Model.HighRes = true;
        rig.Model.DecimalPoint = 2;
        rig.Model.Units = 0;
        rig.Logging.SetupAxes(c, rig.Model);
        QCOMPARE(rig.Logging.WeightDivisor, 1000);
        QCOMPARE(rig.Logging.WeightTitle, QString("Weight ()"));

        // Odd model values and choices are kept in bounds.
        rig.Model.SynchFilter = 0;
        rig.Model.DecimalPoint = 40;
        rig.Model.Units = 9;
        c = TLogChoices{};
        c.Rate = -1;
        c.Channels = {-1, 99, 2, 0};
        rig.Logging.SetupAxes(c, rig.Model);
        QCOMPARE(rig.Logging.RateDivisor, 0);
        QCOMPARE(rig.Logging.TimeMax, 10.0);
        QCOMPARE(rig.Logging.WeightDivisor, 1000000);
        QCOMPARE(rig.Logging.Channels, (std::array<int, 4>{0, 0, 2, 0}));
    }

    // The pages may hold another instrument's settings: the log is scaled
    // by the decimals each reply carries and shows the units the instrument
    // told, and the axis follows; without either, the pages' serve.
    void repliesScaleTheLogAsTheInstrumentSends_data()
    {
        QTest::addColumn<int>("pagesDecimals");
        QTest::addColumn<bool>("highRes");
        QTest::addColumn<int>("places");            // -1: the reply does not say
        QTest::addColumn<int>("instrumentUnits");   // -1: not told
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("weightMax");
        QTest::addColumn<QString>("title");
        QTest::newRow("pages 2, instrument 0") << 2 << false << 0 << 2 << 1234.0 << 4000.0 << "Weight (kg)";
        QTest::newRow("pages 0, instrument 2") << 0 << false << 2 << 4 << 12.34 << 40.0 << "Weight (t)";
        QTest::newRow("high resolution as the pages say") << 1 << true << 2 << -1 << 12.34 << 40.0 << "Weight (lb)";
        QTest::newRow("nothing said") << 2 << false << -1 << -1 << 12.34 << 40.0 << "Weight (lb)";
    }
    void repliesScaleTheLogAsTheInstrumentSends()
    {
        QFETCH(int, pagesDecimals);
        QFETCH(bool, highRes);
        QFETCH(int, places);
        QFETCH(int, instrumentUnits);
        QFETCH(double, value);
        QFETCH(double, weightMax);
        QFETCH(QString, title);
        TRig rig;
        rig.Model.DecimalPoint = pagesDecimals;
        rig.Model.HighRes = highRes;
        rig.Model.Units = 3;
        if (instrumentUnits >= 0)
            rig.Session.SetDisplayUnits(instrumentUnits);
        rig.Begin(1);
        rig.Now = 100;
        rig.Logging.TakeReply(1234, 1, 0, places);
        QCOMPARE(rig.Values(TLoggingSession::SeriesWeight), QList<double>{value});
        QCOMPARE(rig.Logging.WeightMax, weightMax);
        QCOMPARE(rig.Logging.WeightMin, -weightMax);
        QCOMPARE(rig.Logging.WeightTitle, title);
        // Back on the Log page the set-up keeps to what the instrument said;
        // another instrument is asked afresh.
        rig.Logging.SetupAxes(rig.Logging.CurrentChoices(), rig.Model);
        QCOMPARE(rig.Logging.WeightMax, weightMax);
        rig.Logging.ForgetInstrument();
        rig.Line->Close();
        rig.Logging.SetupAxes(rig.Logging.CurrentChoices(), rig.Model);
        QCOMPARE(rig.Logging.WeightTitle, QStringLiteral("Weight (lb)"));
        QCOMPARE(rig.Logging.WeightMax, highRes ? 40.0 : 4000.0 / std::pow(10, pagesDecimals));
        // A finished log keeps its label when the next instrument's settings come.
        rig.Logging.Stop();
        rig.Model.Units = 1;
        rig.Logging.SetupAxes(rig.Logging.CurrentChoices(), rig.Model);
        QCOMPARE(rig.Logging.WeightTitle, QStringLiteral("Weight (lb)"));
    }
};

QV_TEST_MAIN(TestLoggingSession)
} // namespace test_logging_session
#include "test_logging_session.moc"
