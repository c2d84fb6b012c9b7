// The settings report: each row loads settings lines into a fresh model and
// expects a run of report lines, exact to the space (End: the report ends there).
#include "settings/database.h"
#include "settings/settingsreport.h"
#include "support/testmain.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_settingsreport {

namespace {
const char *const End = "(end of report)";

void Row(const char *name, const QString &settings, const QStringList &expected)
{
    QTest::newRow(name) << settings.split(u';', Qt::SkipEmptyParts) << expected;
}
}   // namespace

class TestSettingsReport : public QObject {
    Q_OBJECT
private slots:
    void reportLines_data()
    {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QStringList>("expected");
        Row("heading, mode without text", R"(IDN"ID7","SN123","V1.0";ADR5;WMD4,1)",
            {"KD4620 SN:SN123 Version V1.0 ID: ID7", "Address = 5", "", " --- BUILD ---", "  Weighing Mode: 3"});
        Row("single, no unit", "ENU0", {"  Units: ", "  Max1 = 4000, e1 = 1", "  High Resolution: off"});
        Row("dual interval", "WMD3,0;IAD1,3000,1,1,1,25;IAD2,6000,1,2,0,0",
            {"  Max1 = 300.0, e1 = 0.1", "  Max2 = 600.0, e2 = 0.2", "  High Resolution: on",
             "  Additive Tare Maximum: 2.5", "  Direct Cal mV/V Zero: 0.0100", "  Direct Cal mV/V Fullscale: 2.0000",
             "  Synch Frequency: 50 Hz"});
        Row("keys, remote without text", "LBT0,2;LBT3,0;RBT1,15;RBT4,14",
            {"  Zero key: Immediate, Tare key: Normal, Gross/Net key: Normal, Print key: Lock",
             "  Rem 1: 15, Rem 2: None, Rem 3: None Rem 4: Livestock Hold"});
        Row("serial, typed %1 kept", R"(PRS2,3,6,20,4,2;PST1,"Acme %2";PST2,"%1 end")",
            {"       Mode: Ticket", "      Space: Rows: 4, Columns: 20", "     Header: Acme %2", "             %1 end"});
        Row("auto output", R"(PRS0,1,6,0,0,2;AFT"%W%1")", {"       Type: Custom,  Source: Gross", "     Format: %W%1", ""});
        Row("no setpoints", "LIS0,10,10,10,0,1,1,1,0", {" --- SETPOINT ---", "  Inflight Ajustment: 0 %", End});
        Row("active", "IAD1,4000,1,1,0,0;LIV1,1,2,1,0,15,7,2,1,3",
            {"  Inflight Ajustment: 50 %", "   Setpoint 1:  Active",
             "          Source: Net, Direction: Over, Logic: Low, Lock: On, Alarm: Continuous Beep",
             "       In-flight: 1.5, Hysteresis: 0.7", End});
        Row("pulse", "LIV2,5,1,1,0,0,0,1,0,2", {"   Setpoint 2:  Net,   Alarm: Double Beep", "      Pulse time: 1.0 secs", End});
        Row("material 2", R"(LIV4,3,1,2,9,3,4,1,0,0;LIL2,"Sand";LIS50,10,10,25,0,1,1,1,0)",
            {"   Setpoint 4:  Zero", "        Material: Sand",
             "          Source: Gross, Direction: Under  Lock: Off, Alarm: None", "       In-flight: 3, Tolerance: 4",
             "           Delay: 2.5 secs", End});
        Row("types without text", "LIV1,7,1,1,0,0,0,1,0,1;LIV3,9,1,1,0,0,0,1,1,0",
            {"   Setpoint 1:  7,   Alarm: Single Beep", "   Setpoint 3:  9",
             "        Material: ", "          Source: Gross, Direction: Over  Lock: On, Alarm: None",
             "       In-flight: 0, Tolerance: 0", "           Delay:  secs", End});
    }

    void reportLines()
    {
        QFETCH(QStringList, settings);
        QFETCH(QStringList, expected);
        Tdata7410 model;
        model.ApplyLines(settings);
        QStringList report{QStringLiteral("stale")};
        BuildSettingsReport(report, model, QStringLiteral("0.0100"), QStringLiteral("2.0000"));
        report.append(End);
        const qsizetype at = report.indexOf(expected.first());
        QVERIFY2(at >= 0, qPrintable(report.join('\n')));
        QCOMPARE(report.mid(at, expected.size()), expected);
    }
};

QV_TEST_MAIN(TestSettingsReport)
} // namespace test_settingsreport
#include "test_settingsreport.moc"
