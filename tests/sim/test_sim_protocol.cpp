// The simulated instrument's command protocol: every settings query answers
// a line the viewer's reply intake takes, every default write is accepted,
// out-of-range values are refused, and the passcode and unit selection rules
// hold.

#include "sim_harness.h"
#include "support/testmain.h"

#include <QRegularExpression>

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_protocol {

namespace {

struct TFieldRule {
    bool Text;
    qint64 Min;
    qint64 Max;
};
TFieldRule N(qint64 min, qint64 max) { return {false, min, max}; }
TFieldRule T(qint64 min, qint64 max) { return {true, min, max}; }
const TFieldRule AnyNumber = N(-999999, 999999);

struct TQueryCase {
    QByteArray Query;
    QString Prefix;
    QList<TFieldRule> Fields; // of prefix + reply after the mnemonic, item numbers included
};

// The viewer's query list with its expected prefixes and intake ranges.
QList<TQueryCase> QueryList()
{
    QList<TQueryCase> cases = {
        {"IDN?", "IDN", {T(0, 10), T(1, 10), T(1, 6)}},
        {"ADR?", "ADR", {N(0, 31)}},
        {"IAD?1", "IAD", {N(1, 1), N(0, 999999), N(0, 5), N(1, 7), N(0, 1), N(0, 999999)}},
        {"IAD?2", "IAD", {N(2, 2), N(0, 999999), AnyNumber, N(1, 7), AnyNumber, AnyNumber}},
        {"WMD?", "WMD", {N(1, 4), N(0, 1)}},
        {"ENU?", "ENU", {N(0, 4)}},
        {"ICR?", "ICR", {N(10, 60)}},
    };
    for (int key = 0; key <= 3; ++key)
        cases.append({"LBT?" + QByteArray::number(key), QStringLiteral("LBT%1,").arg(key), {N(key, key), N(0, 2)}});
    cases += QList<TQueryCase>{
        {"MTD?", "MTD", {N(0, 12)}},
        {"ZST?", "ZST", {N(0, 1), N(0, 12), N(1, 4), N(0, 999999)}},
        {"CWT?", "CWT", {N(0, 999999)}},
        {"LDW?1", "LDW", {N(-32000, 32000)}},
        {"LWT?1", "LWT", {N(-32000, 32000)}},
        {"ASF?", "ASF", {N(0, 14), N(0, 2)}},
        {"PFT?", "PFT", {T(0, 100)}},
    };
    for (int line = 1; line <= 6; ++line)
        cases.append({"PST?" + QByteArray::number(line), QStringLiteral("PST%1,").arg(line), {N(line, line), T(0, 30)}});
    cases.append({"PRS?", "PRS", {N(0, 3), N(1, 8), N(1, 6), N(0, 20), N(0, 10), N(1, 4)}});
    cases.append({"AFT?", "AFT", {T(0, 20)}});
    for (int input = 1; input <= 4; ++input)
        cases.append({"RBT?" + QByteArray::number(input), QStringLiteral("RBT%1,").arg(input), {N(input, input), N(0, 21)}});
    for (int point = 1; point <= 5; ++point)
        cases.append({"LIC?" + QByteArray::number(point), QStringLiteral("LIC%1,").arg(point),
                      {N(point, point), N(-150, 150), N(-99999, 999999)}});
    for (int setpoint = 1; setpoint <= 4; ++setpoint)
        cases.append({"LIV?" + QByteArray::number(setpoint), "LIV",
                      {N(setpoint, setpoint), N(0, 50), N(1, 2), N(1, 2), N(-99999, 999999), N(0, 999999),
                       N(0, 999999), N(1, 2), N(0, 1), N(0, 4)}});
    cases.append({"LIS?", "LIS", {N(0, 100), N(1, 200), N(0, 200), N(0, 200), N(0, 1), N(0, 2), N(0, 1), N(0, 1), N(0, 1)}});
    for (int material = 1; material <= 2; ++material)
        cases.append({"LIL?" + QByteArray::number(material), QStringLiteral("LIL%1,").arg(material),
                      {N(material, material), T(0, 10)}});
    return cases;
}

// Splits the values of a settings line strictly: numbers are plain decimal
// integers, texts are wholly quoted.
QString CheckLine(const QString &line, const QList<TFieldRule> &rules)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (const QChar c : line.mid(3)) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (c == QLatin1Char(',') && !quoted) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    if (quoted || fields.size() != rules.size())
        return QStringLiteral("wrong field count in %1").arg(line);
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+$"));
    for (int i = 0; i < rules.size(); ++i) {
        const QString &f = fields[i];
        if (rules[i].Text) {
            if (f.size() < 2 || !f.startsWith(QLatin1Char('"')) || !f.endsWith(QLatin1Char('"')) ||
                f.size() - 2 < rules[i].Min || f.size() - 2 > rules[i].Max)
                return QStringLiteral("field %1 of %2 is not an acceptable text").arg(i).arg(line);
        } else if (!number.match(f).hasMatch() || f.toLongLong() < rules[i].Min || f.toLongLong() > rules[i].Max) {
            return QStringLiteral("field %1 of %2 is out of range").arg(i).arg(line);
        }
    }
    return {};
}

// The 36 lines a fresh settings model writes.
QByteArrayList DefaultWriteLines()
{
    QByteArrayList lines = {"IDN\"\"", "ADR0", "IAD1,4000,0,1,0,0", "IAD2,6000,0,2,0,0", "CWT3000", "WMD1,0",
                            "ENU2", "ICR50", "ASF0,0", "LBT0,1", "LBT1,1", "LBT2,1", "LBT3,1", "MTD1",
                            "PFT\"\"", "AFT\"\""};
    for (int line = 1; line <= 6; ++line)
        lines << "PST" + QByteArray::number(line) + ",\"\"";
    lines << "PRS0,1,1,0,0,1" << "AFT\"\"" << "ZST0,0,4,0";
    for (int input = 1; input <= 4; ++input)
        lines << "RBT" + QByteArray::number(input) + ",0";
    for (int setpoint = 1; setpoint <= 4; ++setpoint)
        lines << "LIV" + QByteArray::number(setpoint) + ",0,1,1,0,0,0,1,0,0";
    lines << "LIS50,10,10,10,0,1,1,1,0" << "LIL1,\"MAT  1\"" << "LIL2,\"MAT  2\"";
    return lines;
}

} // namespace

class TestSimProtocol : public QObject {
    Q_OBJECT
private slots:
    // Where the viewer depends on what the instrument does: each row's
    // commands and everything the instrument answers to them.
    void answersAsTheInstrumentDoes_data()
    {
        QTest::addColumn<QByteArray>("commands");
        QTest::addColumn<QByteArray>("answers");
        const auto row = [](const char *name, const char *commands, const char *answers) {
            QTest::newRow(name) << QByteArray(commands) << QByteArray(answers);
        };
        row("high resolution: one decimal more", "IAD1,4000,2,1,1,0;MSV?;", "0\r\n  12.345,00,002\r\n");
        row("normal resolution", "IAD1,4000,2,1,0,0;MSV?;", "0\r\n   12.35,00,002\r\n");
        row("mode 3: stored span signal", "WMD4,0;LWT15000;LWT?;", "0\r\n0\r\n15000\r\n");
        row("mode 3: stored zero signal", "WMD4,0;LDW-1234;LDW?;", "0\r\n0\r\n-1234\r\n");
        row("alarm 4 taken", "LIV2,0,1,1,0,0,0,1,0,4;LIV?2;", "0\r\n2,0,1,1,0,0,0,1,0,4\r\n");
        row("lower case refused", "enu?;", "?\r\n");
        row("one-digit unit refused", "S7;ENU?;", "?\r\n2\r\n");
        row("CR LF end no command", "ENU?\r\nADR?;", "?\r\n");
    }

    void answersAsTheInstrumentDoes()
    {
        QFETCH(QByteArray, commands);
        TSimConfig config;
        config.Load = 1234.5;
        TSimHarness sim(config);
        QTEST(sim.Collect(commands, 100), "answers");
    }

    void everyQueryAnswersALineTheIntakeTakes()
    {
        TSimHarness sim;
        const QList<TQueryCase> cases = QueryList();
        QCOMPARE(cases.size(), 42);
        for (const TQueryCase &c : cases) {
            const QString reply = sim.Ask(c.Query + ';');
            const QString problem = CheckLine(c.Prefix + reply, c.Fields);
            QVERIFY2(problem.isEmpty(), qPrintable(QString::fromLatin1(c.Query) + ": " + problem));
        }
        QCOMPARE(sim.Ask("IDN?;"), QStringLiteral("\"KD4620\",\"46200001\",\"1.04\""));
        QCOMPARE(sim.Ask("IAD?1;"), QStringLiteral("1,4000,0,1,0,0"));
        QCOMPARE(sim.Ask("LIL?2;"), QStringLiteral("\"MAT  2\""));
    }

    void defaultWritesAreAcceptedAndOutOfRangeRefused()
    {
        TSimHarness sim;
        const QByteArrayList lines = DefaultWriteLines();
        QCOMPARE(lines.size(), 36);
        for (const QByteArray &line : lines)
            QVERIFY2(sim.Ask(line + ';') == QLatin1String("0"), line.constData());
        QCOMPARE(sim.Ask("TDD1;"), QStringLiteral("0"));

        const QByteArrayList refused = {
            "ADR32", "IAD1,4000,6,1,0,0", "IAD3,4000,0,1,0,0", "WMD5,0", "WMD1", "ENU5", "ICR9",
            "LIV1,0,1,1,0,0,0,1,0,5", "LIS50,10,10,10,0,3,1,1,0", "PST7,\"\"", "PST1,\"" + QByteArray(31, 'x') + "\"",
            "LIL1,\"A\"B\"", "LIL1,\"A\x85\"", "PFT\"\x9f\"", "ENU2,1", "ENUx", "ADR\"1\"", "RBT1,22"};
        for (const QByteArray &line : refused)
            QVERIFY2(sim.Ask(line + ';') == QLatin1String("?"), line.constData());
        QVERIFY(sim.Instrument.Settings().MatchesStored()); // nothing refused was taken
    }

    void writesAreReadBackAndStoredByTdd()
    {
        TSimHarness sim;
        QCOMPARE(sim.Ask("ENU3;PST2,\"a, b\";IAD2,6000,3,2,1,50;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("ENU?;"), QStringLiteral("3"));
        QCOMPARE(sim.Ask("PST?2;"), QStringLiteral("\"a, b\""));
        // Decimal point, high resolution and tare limit are shared by both ranges.
        QCOMPARE(sim.Ask("IAD?1;"), QStringLiteral("1,4000,3,1,1,50"));
        QVERIFY(!sim.Instrument.Settings().MatchesStored());
        QCOMPARE(sim.Ask("TDD1;"), QStringLiteral("0"));
        QVERIFY(sim.Instrument.Settings().MatchesStored());
        QCOMPARE(sim.Ask("TDD2;"), QStringLiteral("?"));
    }

    void passcodeGuardsTheBuildSettings()
    {
        TSimConfig config;
        config.Passcode = QStringLiteral("4620");
        TSimHarness sim(config);
        QCOMPARE(sim.Ask("PCD?;"), QStringLiteral("1"));
        for (const char *guarded : {"ENU3", "IAD1,5000,0,1,0,0", "CWT100", "WMD2,0", "ICR60", "LBT0,0", "MTD2", "ZST1,0,4,0"})
            QVERIFY2(sim.Ask(QByteArray(guarded) + ';') == QLatin1String("?"), guarded);
        QCOMPARE(sim.Ask("ADR4;"), QStringLiteral("0")); // not guarded
        QCOMPARE(sim.Ask("ENU?;"), QStringLiteral("2"));  // queries are never guarded
        QCOMPARE(sim.Ask("PCD1234;"), QStringLiteral("?"));
        QCOMPARE(sim.Ask("PCD?;"), QStringLiteral("1"));
        QCOMPARE(sim.Ask("PCD4620;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("PCD?;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("ENU3;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("PCD;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("ENU1;"), QStringLiteral("?"));
        QCOMPARE(sim.Ask("ENU?;"), QStringLiteral("3"));

        TSimHarness open; // without a passcode nothing is locked
        QCOMPARE(open.Ask("PCD?;"), QStringLiteral("0"));
        QCOMPARE(open.Ask("PCD77;"), QStringLiteral("0"));
        QCOMPARE(open.Ask("ENU1;"), QStringLiteral("0"));
    }

    void unitSelectionDecidesWhoActsAndAnswers()
    {
        TSimConfig config;
        config.Address = 5;
        config.Lenient = true; // takes "S5;" too
        TSimHarness sim(config);
        QCOMPARE(sim.Ask("ENU?;"), QStringLiteral("2")); // starts selected
        QCOMPARE(sim.Ask("S05;ENU?;"), QStringLiteral("2"));
        QCOMPARE(sim.Ask("S06;ENU?;", 150), QStringLiteral("<none>"));
        QCOMPARE(sim.Ask("ENU4;", 150), QStringLiteral("<none>")); // still another unit's turn
        QCOMPARE(sim.Ask("S99;ENU?;"), QStringLiteral("2"));
        QCOMPARE(sim.Ask("S98;ENU3;ENU?;", 150), QStringLiteral("<none>")); // acts silently
        QCOMPARE(sim.Ask("S5;ENU?;"), QStringLiteral("3"));
        QCOMPARE(sim.Ask("\x02Kg06\x03", 150), QStringLiteral("<none>")); // a key for unit 6
        QCOMPARE(sim.Ask("\x02Kg05\x03"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("\x02Kg00\x03"), QStringLiteral("0"));
    }

    void commandsAreCutFromTheByteStream()
    {
        TSimConfig lenient;
        lenient.Lenient = true; // also ends a command at CR or LF and takes lower case
        TSimHarness sim(lenient);
        QCOMPARE(sim.Collect("ENU?;ADR?;", 100), QByteArray("2\r\n0\r\n"));
        sim.Instrument.Receive("EN");
        QCOMPARE(sim.Ask("U?;"), QStringLiteral("2"));
        QCOMPARE(sim.Ask("\x02" "ADR?\x03"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("junk\x02" "ENU?\r"), QStringLiteral("2")); // STX starts afresh
        QCOMPARE(sim.Ask("enu?;"), QStringLiteral("2"));
        QCOMPARE(sim.Ask("XYZ;"), QStringLiteral("?"));
        QCOMPARE(sim.Ask("STP;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("COF11;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask(QByteArray(600, 'A') + ';'), QStringLiteral("?"));
        QCOMPARE(sim.Ask("ADR?;"), QStringLiteral("0")); // and on it goes
        QCOMPARE(sim.Collect(";;\r\n", 100), QByteArray());
        // ";" ends a command even inside quotes, so a stray quote cannot
        // swallow what follows; such a text is refused.
        QCOMPARE(sim.Collect("PST1,\"a;b\";ADR?;", 100), QByteArray("?\r\n?\r\n0\r\n"));
    }
};

QV_TEST_GUILESS_MAIN(TestSimProtocol)
} // namespace test_sim_protocol
#include "test_sim_protocol.moc"
