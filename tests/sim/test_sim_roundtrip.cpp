// The viewer's settings model against the simulated instrument, end to end:
// the model's write commands go into the instrument, every query of the full
// list is answered, and prefix + reply goes back through the model's intake.
// Two independent implementations of the same line form meet here, so a
// field that one side writes, words or numbers differently from the other
// shows up as a difference.

#include "settings/changed_model.h"
#include "settings/database.h"
#include "settings/tools.h"
#include "sim_harness.h"
#include "support/testmain.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_roundtrip {

namespace {

// The model as the instrument's store holds it, read value by value from the
// store itself rather than from a reply.
Tdata7410 FromStore(const TSimSettings &s, const TSimConfig &config)
{
    auto n = [&s](const char *mnemonic, int item, int field) { return qint32(s.Int(mnemonic, item, field)); };
    Tdata7410 m;
    m.SerialID = s.Text("IDN", 0, 0);
    m.SerialNumber = config.SerialNumber;
    m.Version = config.Version;
    m.Address = n("ADR", 0, 0);
    m.FullScale1 = n("IAD", 1, 0);
    m.DecimalPoint = n("IAD", 1, 1);
    m.Resolution1 = n("IAD", 1, 2) - 1;
    m.HighRes = n("IAD", 1, 3) == 1;
    m.AddTareLimit = n("IAD", 1, 4);
    m.FullScale2 = n("IAD", 2, 0);
    m.Resolution2 = n("IAD", 2, 2) - 1;
    m.CalWeight = n("CWT", 0, 0);
    m.WeighMode = n("WMD", 0, 0) - 1;
    m.OperatingMode = n("WMD", 0, 1);
    m.Units = n("ENU", 0, 0);
    m.SynchFilter = n("ICR", 0, 0);
    m.Average = n("ASF", 0, 0);
    m.AntiJitter = n("ASF", 0, 1);
    for (int key = 0; key < 4; ++key)
        m.FrontKeys[key] = n("LBT", key, 0);
    m.Motion = n("MTD", 0, 0);
    m.AutoZero = n("ZST", 0, 0);
    m.ZeroTracking = n("ZST", 0, 1);
    m.ZeroRange = n("ZST", 0, 2) - 1;
    m.ZeroBand = n("ZST", 0, 3);
    m.DirectZero = n("LDW", 1, 0);
    m.DirectSpan = n("LWT", 1, 0);
    m.PrintFormat = s.Text("PFT", 0, 0);
    m.AutoFormat = s.Text("AFT", 0, 0);
    for (int line = 1; line <= 6; ++line)
        m.HeaderLines[line - 1] = s.Text("PST", line, 0);
    m.Serial2Mode = n("PRS", 0, 0);
    m.PrintMode = n("PRS", 0, 1) - 1;
    m.AutoType = n("PRS", 0, 2) - 1;
    m.PrintColumns = n("PRS", 0, 3);
    m.PrintRows = n("PRS", 0, 4);
    m.AutoSource = n("PRS", 0, 5) - 1;
    for (int input = 1; input <= 4; ++input)
        m.RemoteKeys[input - 1] = n("RBT", input, 0);
    for (int point = 1; point <= 5; ++point) {
        m.LinPercent[point - 1] = n("LIC", point, 0);
        m.LinWeight[point - 1] = n("LIC", point, 1);
    }
    for (int number = 1; number <= 4; ++number) {
        TSetpoint &sp = m.Setpoints[number - 1];
        sp.Type = n("LIV", number, 0);
        sp.Source = n("LIV", number, 1) - 1;
        sp.Direction = n("LIV", number, 2) - 1;
        sp.Target = n("LIV", number, 3);
        sp.InFlight = n("LIV", number, 4);
        sp.Tolerance = n("LIV", number, 5);
        sp.Logic = n("LIV", number, 6) - 1;
        sp.Lock = n("LIV", number, 7);
        sp.Alarm = n("LIV", number, 8);
    }
    m.InflightAdjust = n("LIS", 0, 0);
    m.PulseTime = n("LIS", 0, 1);
    m.Materials[0].Delay = n("LIS", 0, 2);
    m.Materials[1].Delay = n("LIS", 0, 3);
    for (int i = 0; i < 5; ++i)
        m.SetpointOptions[i] = n("LIS", 0, 4 + i);
    for (int material = 1; material <= 2; ++material)
        m.Materials[material - 1].Name = s.Text("LIL", material, 0);
    return m;
}

// The shared every-field model, moved off what a fresh instrument holds and
// onto linearisation points the simulated scale can take.
Tdata7410 EveryFieldChangedForInstrument()
{
    Tdata7410 m = EveryFieldChanged();
    m.DecimalPoint = 4;
    m.DirectZero = -9999;
    m.LinPercent = {-50, 20, 50, 80, 140};
    m.LinWeight = {-99990, 8100, 20200, 32300, 999990}; // as listed: ten times the weights set
    for (int i = 0; i < 4; ++i)
        m.Setpoints[i].Alarm = 1 + i; // setpoint 4: Flash Display
    return m;
}

// Asks every query of the full list; returns prefix + reply lines and lists
// the queries that were refused or not answered.
QStringList ReadReplies(TSimHarness &sim, QStringList &failures)
{
    QStringList queries;
    QStringList prefixes;
    Tdata7410().BuildQueryList(true, queries, prefixes);
    QStringList lines;
    for (int i = 0; i < queries.size(); ++i) {
        const QString reply = sim.Ask(queries[i].toLatin1() + ';');
        if (reply == QLatin1String("?") || reply == QLatin1String("<none>"))
            failures << queries[i] + QLatin1String(" -> ") + reply;
        lines << prefixes[i] + reply;
    }
    return lines;
}

QString Difference(const Tdata7410 &a, const Tdata7410 &b)
{
    QStringList left;
    QStringList right;
    a.BuildWriteCommands(left);
    b.BuildWriteCommands(right);
    QStringList onlyLeft = left;
    RemoveCommon(onlyLeft, right);
    return onlyLeft.join(QLatin1String(" | "));
}

} // namespace

class TestSimRoundTrip : public QObject {
    Q_OBJECT
private slots:
    void freshInstrumentReadsBackAsTheDefaults()
    {
        TSimConfig config;
        TSimHarness sim(config);
        QStringList failures;
        Tdata7410 model = EveryFieldChangedForInstrument();
        model.ApplyLines(ReadReplies(sim, failures));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1String("; "))));

        Tdata7410 expected;
        expected.SerialID = config.Id;
        expected.SerialNumber = config.SerialNumber;
        expected.Version = config.Version;
        QVERIFY2(model == expected, qPrintable(Difference(model, expected)));
        QVERIFY(model == FromStore(sim.Instrument.Settings(), config));
    }

    void everyWrittenFieldReadsBackFromTheInstrument()
    {
        TSimConfig config;
        TSimHarness sim(config);

        // Linearisation points are set with a load on the scale (the factory
        // calibration reads the load as it is), direct zero and span by
        // value: neither is in the write commands.
        const Tdata7410 written = EveryFieldChangedForInstrument();
        const qint32 loads[5] = {-2000, 800, 2000, 3200, 5600};
        for (int point = 1; point <= 5; ++point) {
            sim.Instrument.Load().SetFixed(loads[point - 1]);
            sim.Advance(50);
            const QByteArray command = "LIC" + QByteArray::number(point) + ','
                                       + QByteArray::number(written.LinWeight[point - 1] / 10) + ';';
            QCOMPARE(sim.Ask(command), QStringLiteral("0"));
        }

        QStringList lines;
        written.BuildWriteCommands(lines);
        for (const QString &line : lines) // alarm 4 (Flash Display) included
            QVERIFY2(sim.Ask(line.toLatin1() + ';') == QLatin1String("0"), qPrintable(line));
        QCOMPARE(sim.Ask("LDW1," + QByteArray::number(written.DirectZero) + ';'), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LWT1," + QByteArray::number(written.DirectSpan) + ';'), QStringLiteral("0"));
        QCOMPARE(sim.Ask("TDD1;"), QStringLiteral("0"));
        QVERIFY(sim.Instrument.Settings().MatchesStored());

        QStringList failures;
        Tdata7410 readBack;
        readBack.ApplyLines(ReadReplies(sim, failures));
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1String("; "))));

        const Tdata7410 stored = FromStore(sim.Instrument.Settings(), config);
        QVERIFY2(readBack == stored, qPrintable(Difference(readBack, stored)));

        Tdata7410 expected = written;
        expected.SerialNumber = config.SerialNumber;
        expected.Version = config.Version;
        QVERIFY2(readBack == expected, qPrintable(Difference(readBack, expected)));

        // What the settings transfer would send next: nothing.
        QStringList pending;
        QStringList held;
        written.BuildWriteCommands(pending);
        readBack.BuildWriteCommands(held);
        RemoveCommon(pending, held);
        QCOMPARE(pending, QStringList());
    }

    void unsafeTextsArriveStripped()
    {
        // The model writes a text without the characters the line cannot
        // carry; the instrument holds and answers exactly that.
        TSimHarness sim;
        Tdata7410 written;
        written.PrintFormat = QStringLiteral("Net \"%W\";\tend");
        written.HeaderLines[2] = QStringLiteral("a;b\u0085c");
        QStringList lines;
        written.BuildWriteCommands(lines);
        for (const QString &line : lines)
            QVERIFY2(sim.Ask(line.toLatin1() + ';') == QLatin1String("0"), qPrintable(line));

        QStringList failures;
        Tdata7410 readBack;
        readBack.ApplyLines(ReadReplies(sim, failures));
        QVERIFY(failures.isEmpty());
        QCOMPARE(readBack.PrintFormat, QStringLiteral("Net %Wend"));
        QCOMPARE(readBack.HeaderLines[2], QStringLiteral("abc"));
    }
};

QV_TEST_GUILESS_MAIN(TestSimRoundTrip)
} // namespace test_sim_roundtrip
#include "test_sim_roundtrip.moc"
