// The settings model: the exact lines the instrument receives, the queries
// that read it back, and which reply fields the model takes or refuses.
#include "settings/changed_model.h"
#include "settings/database.h"
#include "settings/enumtexts.h"
#include "settings/tools.h"
#include "support/testmain.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_database {

namespace {

// Copies what BuildWriteCommands does not carry (calibration, read-only texts).
void CopyUnwritten(const Tdata7410 &from, Tdata7410 &to)
{
    to.DirectZero = from.DirectZero;
    to.DirectSpan = from.DirectSpan;
    to.LinPercent = from.LinPercent;
    to.LinWeight = from.LinWeight;
    to.SerialNumber = from.SerialNumber;
    to.Version = from.Version;
}

QStringList WriteCommands(const Tdata7410 &m)
{
    QStringList list{QStringLiteral("stale")};
    m.BuildWriteCommands(list);
    return list;
}

Tdata7410 Applied(const QStringList &lines)
{
    Tdata7410 m;
    m.ApplyLines(lines);
    return m;
}

} // namespace

class TestDatabase : public QObject {
    Q_OBJECT
private slots:
    void defaults();
    void defaultWriteCommands();
    void queryList();
    void rangeIntake();
    void numberedItemsNeedTheirNumber();
    void outOfRangeFieldsKeepTheirValue();
    void linearisationPointsArePairs();
    void textIntakeLimits();
    void unsafeTextsAreNeverTakenOrWritten();
    void ignoredLines();
    void writeThenIntakeRoundTrip();
    void changedCommandsOnly();
    void answersOutsideTheIntakeTable_data();
    void answersOutsideTheIntakeTable();
    void buildCommandsAreGuarded();
    void enumerationTexts();
};

void TestDatabase::defaults()
{
    const Tdata7410 m;
    QCOMPARE(m.Materials[0].Name, QStringLiteral("MAT  1"));
    QCOMPARE(m.Materials[1].Name, QStringLiteral("MAT  2"));
    QCOMPARE(m.DirectSpan, 20000);
    QCOMPARE(ResolutionSteps.size(), size_t(7));
    QCOMPARE(ResolutionSteps[m.Resolution2], 2);
    QCOMPARE(ResolutionSteps[6], 100);
}

void TestDatabase::defaultWriteCommands()
{
    const QStringList expected{
        "IDN\"\"", "ADR0", "IAD1,4000,0,1,0,0", "IAD2,6000,0,2,0,0", "CWT3000", "WMD1,0",
        "ENU2", "ICR50", "ASF0,0", "LBT0,1", "LBT1,1", "LBT2,1", "LBT3,1", "MTD1",
        "PFT\"\"", "AFT\"\"", "PST1,\"\"", "PST2,\"\"", "PST3,\"\"", "PST4,\"\"", "PST5,\"\"",
        "PST6,\"\"", "PRS0,1,1,0,0,1", "AFT\"\"", "ZST0,0,4,0", "RBT1,0", "RBT2,0", "RBT3,0",
        "RBT4,0", "LIV1,0,1,1,0,0,0,1,0,0", "LIV2,0,1,1,0,0,0,1,0,0", "LIV3,0,1,1,0,0,0,1,0,0",
        "LIV4,0,1,1,0,0,0,1,0,0", "LIS50,10,10,10,0,1,1,1,0", "LIL1,\"MAT  1\"",
        "LIL2,\"MAT  2\""};
    QCOMPARE(WriteCommands(Tdata7410()), expected);
}

void TestDatabase::queryList()
{
    const Tdata7410 m;
    QStringList queries{"stale"};
    QStringList expected{"stale"};
    m.BuildQueryList(true, queries, expected);
    const QStringList allQueries{
        "IDN?", "ADR?", "IAD?1", "IAD?2", "WMD?", "ENU?", "ICR?", "LBT?0", "LBT?1", "LBT?2",
        "LBT?3", "MTD?", "ZST?", "CWT?", "LDW?1", "LWT?1", "ASF?", "PFT?", "PST?1", "PST?2",
        "PST?3", "PST?4", "PST?5", "PST?6", "PRS?", "AFT?", "RBT?1", "RBT?2", "RBT?3", "RBT?4",
        "LIC?1", "LIC?2", "LIC?3", "LIC?4", "LIC?5", "LIV?1", "LIV?2", "LIV?3", "LIV?4", "LIS?",
        "LIL?1", "LIL?2"};
    const QStringList allPrefixes{
        "IDN", "ADR", "IAD", "IAD", "WMD", "ENU", "ICR", "LBT0,", "LBT1,", "LBT2,", "LBT3,",
        "MTD", "ZST", "CWT", "LDW", "LWT", "ASF", "PFT", "PST1,", "PST2,", "PST3,", "PST4,",
        "PST5,", "PST6,", "PRS", "AFT", "RBT1,", "RBT2,", "RBT3,", "RBT4,", "LIC1,", "LIC2,",
        "LIC3,", "LIC4,", "LIC5,", "LIV", "LIV", "LIV", "LIV", "LIS", "LIL1,", "LIL2,"};
    QCOMPARE(queries, allQueries);
    QCOMPARE(expected, allPrefixes);

    m.BuildQueryList(false, queries, expected);
    QCOMPARE(queries, allQueries.mid(0, 16));
    QCOMPARE(expected, allPrefixes.mid(0, 16));
}

void TestDatabase::rangeIntake()
{
    Tdata7410 m;
    m.DecimalPoint = 2;
    m.HighRes = true;
    m.AddTareLimit = 77;
    m.ApplyLines({QStringLiteral("IAD") + QStringLiteral("2,4500,3,2,1,99")});
    QCOMPARE(m.FullScale2, 4500);
    QCOMPARE(m.Resolution2, 1);
    QCOMPARE(m.DecimalPoint, 2);
    QCOMPARE(m.HighRes, true);
    QCOMPARE(m.AddTareLimit, 77);
    QCOMPARE(m.FullScale1, 4000);

    m.ApplyLines({QStringLiteral("IAD1,8000,3,7,0,99")});
    QCOMPARE(m.FullScale1, 8000);
    QCOMPARE(m.DecimalPoint, 3);
    QCOMPARE(m.Resolution1, 6);
    QCOMPARE(m.HighRes, false);
    QCOMPARE(m.AddTareLimit, 99);

    const Tdata7410 before = m;
    m.ApplyLines({QStringLiteral("IAD3,1,1,1,1,1"), QStringLiteral("IAD,1,1,1,1,1")});
    QCOMPARE(m, before);
}

void TestDatabase::numberedItemsNeedTheirNumber()
{
    Tdata7410 m;
    m.ApplyLines({QStringLiteral("LBT0,") + QStringLiteral("2"), QStringLiteral("LBT3,") + QStringLiteral("0")});
    QCOMPARE(m.FrontKeys, (std::array<qint32, 4>{2, 1, 1, 0}));

    m.ApplyLines({QStringLiteral("RBT4,21"), QStringLiteral("RBT1,22"), QStringLiteral("RBT0,5")});
    QCOMPARE(m.RemoteKeys, (std::array<qint32, 4>{0, 0, 0, 21}));

    const Tdata7410 before = m;
    m.ApplyLines({QStringLiteral("LIV") + QStringLiteral("7,1,2,2,500,10,10,2,1,1"),
                  QStringLiteral("LBT4,0"), QStringLiteral("PST7,\"x\""), QStringLiteral("PST0,\"x\""),
                  QStringLiteral("LIL3,\"x\""), QStringLiteral("LIC6,10,100")});
    QCOMPARE(m, before);

    m.ApplyLines({QStringLiteral("LIV2,5,2,1,-99999,10,20,2,1,3"), QStringLiteral("PST6,\"last\""),
                  QStringLiteral("LIL2,\"Flour\"")});
    const TSetpoint expected{5, 1, 0, 1, 1, 3, 10, 20, -99999};
    QCOMPARE(m.Setpoints[1], expected);
    QCOMPARE(m.Setpoints[0], TSetpoint());
    QCOMPARE(m.HeaderLines[5], QStringLiteral("last"));
    QCOMPARE(m.Materials[1].Name, QStringLiteral("Flour"));
}

void TestDatabase::outOfRangeFieldsKeepTheirValue()
{
    Tdata7410 m;
    m.ApplyLines({QStringLiteral("WMD") + QStringLiteral("9,1")});
    QCOMPARE(m.WeighMode, 0);
    QCOMPARE(m.OperatingMode, 1);

    // Alarm 4 (Flash Display) goes out and is taken back; 5 is not.
    Tdata7410 flashing;
    flashing.Setpoints[2].Alarm = 4;
    flashing.Setpoints[2].Type = 1;
    QVERIFY(WriteCommands(flashing).contains(QStringLiteral("LIV3,1,1,1,0,0,0,1,0,4")));
    Tdata7410 intake;
    intake.ApplyLines({QStringLiteral("LIV3,1,1,1,0,0,0,1,0,4")});
    QCOMPARE(intake.Setpoints[2].Alarm, 4);
    intake.ApplyLines({QStringLiteral("LIV3,1,1,1,0,0,0,1,0,5")});
    QCOMPARE(intake.Setpoints[2].Alarm, 4);
    QCOMPARE(intake.Setpoints[2].Type, 1);

    // Each field is checked on its own: bad ones are skipped, good ones taken.
    Tdata7410 mixed;
    mixed.ApplyLines({QStringLiteral("ZST2,13,0,1000000"), QStringLiteral("ZST1,x,2,5"),
                      QStringLiteral("ICR9"), QStringLiteral("ICR61"), QStringLiteral("ADR32"),
                      QStringLiteral("PRS4,9,0,21,11,5"), QStringLiteral("LIS101,0,201,-1,2,2,2,2,2"),
                      QStringLiteral("LDW-32001"), QStringLiteral("LWT32001")});
    QCOMPARE(mixed.AutoZero, 1);
    QCOMPARE(mixed.ZeroTracking, 0);
    QCOMPARE(mixed.ZeroRange, 1);
    QCOMPARE(mixed.ZeroBand, 5);
    QCOMPARE(mixed.SynchFilter, 50);
    QCOMPARE(mixed.Address, 0);
    QCOMPARE(mixed.Setpoints, Tdata7410().Setpoints);
    const Tdata7410 defaults;
    QCOMPARE(mixed.Serial2Mode, defaults.Serial2Mode);
    QCOMPARE(mixed.PrintMode, defaults.PrintMode);
    QCOMPARE(mixed.AutoType, defaults.AutoType);
    QCOMPARE(mixed.PrintColumns, defaults.PrintColumns);
    QCOMPARE(mixed.PrintRows, defaults.PrintRows);
    QCOMPARE(mixed.AutoSource, defaults.AutoSource);
    QCOMPARE(mixed.InflightAdjust, defaults.InflightAdjust);
    QCOMPARE(mixed.PulseTime, defaults.PulseTime);
    QCOMPARE(mixed.Materials, defaults.Materials);
    QCOMPARE(mixed.SetpointOptions, (std::array<qint32, 5>{0, 2, 1, 1, 0}));
    QCOMPARE(mixed.DirectZero, defaults.DirectZero);
    QCOMPARE(mixed.DirectSpan, defaults.DirectSpan);

    // A number too long for 32 bits must not wrap into range (4294967297
    // would wrap to 1).
    Tdata7410 wrapped;
    wrapped.ApplyLines({QStringLiteral("ADR4294967297"), QStringLiteral("CWT4294967297")});
    QCOMPARE(wrapped.Address, 0);
    QCOMPARE(wrapped.CalWeight, 3000);
}

void TestDatabase::linearisationPointsArePairs()
{
    Tdata7410 m;
    m.ApplyLines({QStringLiteral("LIC3,50")});
    QCOMPARE(m.LinPercent, Tdata7410().LinPercent);
    QCOMPARE(m.LinWeight, Tdata7410().LinWeight);
    m.ApplyLines({QStringLiteral("LIC3,151,100"), QStringLiteral("LIC3,50,1000000")});
    QCOMPARE(m.LinPercent[2], 0);
    QCOMPARE(m.LinWeight[2], 0);
    m.ApplyLines({QStringLiteral("LIC") + QStringLiteral("3,") + QStringLiteral("-150,-99999")});
    QCOMPARE(m.LinPercent[2], -150);
    QCOMPARE(m.LinWeight[2], -99999);
    m.ApplyLines({QStringLiteral("LDW") + QStringLiteral("-1234"), QStringLiteral("LWT") + QStringLiteral("19876")});
    QCOMPARE(m.DirectZero, -1234);
    QCOMPARE(m.DirectSpan, 19876);
}

void TestDatabase::textIntakeLimits()
{
    Tdata7410 m;
    m.AutoFormat = QStringLiteral("kept");
    m.ApplyLines({QStringLiteral("AFT") + u'"' + QString(21, u'a') + u'"'});
    QCOMPARE(m.AutoFormat, QStringLiteral("kept"));
    m.ApplyLines({QStringLiteral("AFT") + u'"' + QString(20, u'a') + u'"'});
    QCOMPARE(m.AutoFormat, QString(20, u'a'));
    m.ApplyLines({QStringLiteral("AFT\"\"")});
    QCOMPARE(m.AutoFormat, QString());

    // IDN: identity may be empty, serial number and version may not.
    m.ApplyLines({QStringLiteral("IDN\"Scale 1\",\"SN42\",\"1.05\"")});
    QCOMPARE(m.SerialID, QStringLiteral("Scale 1"));
    QCOMPARE(m.SerialNumber, QStringLiteral("SN42"));
    QCOMPARE(m.Version, QStringLiteral("1.05"));
    m.ApplyLines({QStringLiteral("IDN\"\",\"\",\"1.05.07\"")});
    QCOMPARE(m.SerialID, QString());
    QCOMPARE(m.SerialNumber, QStringLiteral("SN42"));
    QCOMPARE(m.Version, QStringLiteral("1.05"));

    m.ApplyLines({QStringLiteral("LIL1,\"") + QString(11, u'n') + u'"',
                  QStringLiteral("PST1,\"") + QString(31, u'h') + u'"',
                  QStringLiteral("PFT\"") + QString(101, u'f') + u'"'});
    QCOMPARE(m.Materials[0].Name, QStringLiteral("MAT  1"));
    QCOMPARE(m.HeaderLines[0], QString());
    QCOMPARE(m.PrintFormat, QString());
}

void TestDatabase::unsafeTextsAreNeverTakenOrWritten()
{
    // A hand-edited file could otherwise end the quoted text early and make
    // the instrument run a command of its own ("ADR5" here).
    Tdata7410 m;
    m.PrintFormat = QStringLiteral("kept");
    m.ApplyLines({QStringLiteral("PFT\"x;ADR5;y\""), QStringLiteral("PST2,\"tab\there\""),
                  QStringLiteral("LIL1,\"a\rb\""), QStringLiteral("IDN\"\x7f\"")});
    QCOMPARE(m.PrintFormat, QStringLiteral("kept"));
    QCOMPARE(m.HeaderLines[1], QString());
    QCOMPARE(m.Materials[0].Name, QStringLiteral("MAT  1"));
    QCOMPARE(m.SerialID, QString());
    QVERIFY(Tdata7410::IsSafeSettingText(QStringLiteral("Latin-1 \u00e9, % and 'quotes'")));
    QVERIFY(!Tdata7410::IsSafeSettingText(QStringLiteral("a\"b")));

    // Texts put straight into the model (typed) still go out harmless.
    Tdata7410 typed;
    typed.PrintFormat = QStringLiteral("x\";ADR5;\"");
    typed.HeaderLines[3] = QStringLiteral("line\nbreak");
    typed.Materials[1].Name = QStringLiteral("\"M\";");
    for (const QString &line : WriteCommands(typed)) {
        QVERIFY2(!line.contains(u';'), qPrintable(line));
        QVERIFY2(line.count(u'"') == 0 || line.count(u'"') == 2, qPrintable(line));
        QVERIFY2(line.endsWith(u'"') || !line.contains(u'"'), qPrintable(line));
        QVERIFY2(!line.contains(u'\n'), qPrintable(line));
    }
    QVERIFY(WriteCommands(typed).contains(QStringLiteral("PFT\"xADR5\"")));
}

void TestDatabase::ignoredLines()
{
    Tdata7410 m;
    m.ApplyLines({QString(), QStringLiteral("AD"), QStringLiteral("XYZ1,2"), QStringLiteral("adr5"),
                  QStringLiteral("ADX5"), QStringLiteral("TDD1"), QStringLiteral("ADR"),
                  QStringLiteral("ENU\"3"), QStringLiteral("ADR5.")});
    // "ADR5." is 5 with one place: the value is in range and taken.
    Tdata7410 expected;
    expected.Address = 5;
    QCOMPARE(m, expected);
}

void TestDatabase::writeThenIntakeRoundTrip()
{
    const Tdata7410 changed = EveryFieldChanged();
    const QStringList lines = WriteCommands(changed);
    QCOMPARE(lines.size(), 36);
    // Every line but the ones carrying only unchanged values differs from the defaults'.
    const QStringList defaults = WriteCommands(Tdata7410());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i] != defaults[i], qPrintable(lines[i]));

    Tdata7410 fresh = Applied(lines);
    CopyUnwritten(changed, fresh);
    QCOMPARE(fresh, changed);
    QCOMPARE(WriteCommands(fresh), lines);

    // Applying its own commands to a model changes nothing.
    Tdata7410 same = changed;
    same.ApplyLines(lines);
    QCOMPARE(same, changed);
}

void TestDatabase::changedCommandsOnly()
{
    Tdata7410 edited;
    edited.HeaderLines[0] = QStringLiteral("abc");
    edited.Units = 3;
    Tdata7410 instrument;
    instrument.HeaderLines[0] = QStringLiteral("ABC");
    QStringList pending = WriteCommands(edited);
    RemoveCommon(pending, WriteCommands(instrument));
    QCOMPARE(pending, (QStringList{"ENU3", "PST1,\"abc\""}));   // a text's case is a change
    QVERIFY(Tdata7410::HasBuildCommand(pending));
}

void TestDatabase::answersOutsideTheIntakeTable_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("notTaken");
    QTest::addColumn<QString>("written");   // the line the model writes after taking it
    QTest::newRow("empty serial number") << "IDN\"SILO4\",\"\",\"1.04\"" << true << QStringList{"Serial Number"}
                                         << "IDN\"SILO4\"";
    QTest::newRow("unknown weighing mode") << "WMD9,1" << true << QStringList{"Weighing Mode"} << "WMD1,1";
    // Noise must not pass for an answer: it would shift every later one.
    QTest::newRow("two cut lines run together") << "IAD1,401,4000,0,1,0,0" << false << QStringList{} << "";
    QTest::newRow("unquoted text") << "IDN\"SILO4\",46200001,\"1.04\"" << false << QStringList{} << "";
    QTest::newRow("a text for a number") << "ZST0,0,4,\"9\"" << false << QStringList{} << "";
}

// One value this program has no entry for must not lose the read of the
// line, nor of the whole instrument: the rest is taken, it keeps its value.
void TestDatabase::answersOutsideTheIntakeTable()
{
    QFETCH(QString, line);
    QFETCH(bool, answer);
    QFETCH(QStringList, notTaken);
    QFETCH(QString, written);
    QCOMPARE(Tdata7410::IsAnswerLine(line), answer);
    if (!answer)
        return;
    Tdata7410 m;
    m.SerialNumber = QStringLiteral("kept");
    QStringList missed;
    m.ApplyLines({line}, &missed);
    QCOMPARE(missed, notTaken);
    QVERIFY2(WriteCommands(m).contains(written), qPrintable(WriteCommands(m).join(u' ')));
    QCOMPARE(m.SerialNumber, QStringLiteral("kept"));
}

void TestDatabase::buildCommandsAreGuarded()
{
    for (const char *line : {"CWT1", "ENU1", "IAD1,1", "ICR50", "LBT0,1", "MTD1", "WMD1,0", "ZST0"})
        QVERIFY2(Tdata7410::HasBuildCommand({QStringLiteral("ADR1"), QString::fromLatin1(line)}), line);
    QVERIFY(!Tdata7410::HasBuildCommand({}));
    QVERIFY(!Tdata7410::HasBuildCommand({QStringLiteral("ADR1"), QStringLiteral("IDN\"CWT\""),
                                         QStringLiteral("PFT\"\""), QStringLiteral("LIV1,0"),
                                         QStringLiteral("ASF1,1"), QStringLiteral("cwt1")}));
}

void TestDatabase::enumerationTexts()
{
    // The list lengths are what the intake ranges are made from.
    QCOMPARE(WeighModeTexts().size(), 3);
    QCOMPARE(AverageTexts().size(), 15);
    QCOMPARE(MotionTexts().size(), 13);
    QCOMPARE(RemoteKeyTexts().size(), 15);
    QCOMPARE(PrintModeTexts().size(), 8);
    QCOMPARE(SetpointAlarmTexts().size(), 5);
    QCOMPARE(ResolutionTexts().size(), int(ResolutionSteps.size()));
    for (int i = 0; i < int(ResolutionSteps.size()); ++i)
        QCOMPARE(ResolutionTexts().at(i), QString::number(ResolutionSteps[i]));
    QCOMPARE(SynchFilterTexts().size(), SynchFilterValues().size());
    QCOMPARE(UnitsTexts().at(Tdata7410().Units), QStringLiteral("kg"));
    QCOMPARE(FrontKeyTexts(2).at(2), QString());
    QCOMPARE(FrontKeyTexts(0).at(2), QStringLiteral("Immediate"));
    QCOMPARE(EnumText(SetpointTypeTexts(), 7), QString());
    QCOMPARE(EnumText(SetpointTypeTexts(), -1), QString());
    QCOMPARE(EnumText(SetpointTypeTexts(), 5), QStringLiteral("Net"));
}

QV_TEST_GUILESS_MAIN(TestDatabase)
} // namespace test_database
#include "test_database.moc"
