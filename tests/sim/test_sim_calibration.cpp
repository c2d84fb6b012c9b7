// Calibration on the simulated instrument: zero and span reached over a few
// progress replies, error codes, direct signals, linearisation points and
// the calibration data backup.

#include "sim_harness.h"
#include "support/testmain.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_calibration {

class TestSimCalibration : public QObject {
    Q_OBJECT

    static QStringList Progress(TSimHarness &sim, const QByteArray &query, int count)
    {
        QStringList replies;
        for (int i = 0; i < count; ++i)
            replies << sim.Ask(query);
        return replies;
    }

    static void Settle(TSimHarness &sim, double load)
    {
        sim.Instrument.Load().SetFixed(load);
        sim.Advance(1100);
    }

private slots:
    void zeroAndSpanTakeAFewProgressReplies()
    {
        TSimHarness sim;
        Settle(sim, 100); // dead load 100 counts = 500 signal
        QCOMPARE(sim.Ask("VAL?;"), QStringLiteral("500"));
        QCOMPARE(sim.Ask("LDW;"), QStringLiteral("0"));
        QCOMPARE(Progress(sim, "LDW?;", 6), (QStringList{"1", "1", "1", "50", "0", "0"}));
        QCOMPARE(sim.Ask("LDW?1;"), QStringLiteral("500"));
        QCOMPARE(sim.Ask("MSV?;"), QStringLiteral("       0,00,258"));

        Settle(sim, 2050); // a test weight of 2500 reads 2000 with the old span
        QCOMPARE(sim.Ask("MSV?;"), QStringLiteral("    2000,00,002"));
        QCOMPARE(sim.Ask("CWT2500;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LWT;"), QStringLiteral("0"));
        QCOMPARE(Progress(sim, "LWT?;", 5).last(), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LWT?1;"), QStringLiteral("16100"));
        QCOMPARE(sim.Ask("MSV?;"), QStringLiteral("    2500,00,002"));
    }

    void movingScaleKeepsTheStepBusy()
    {
        TSimHarness sim;
        QCOMPARE(sim.Ask("LDW;"), QStringLiteral("0"));
        sim.Instrument.Load().SetScript({{{0, 0}, {10, 4000}}, false});
        for (int i = 0; i < 6; ++i) {
            sim.Advance(100);
            QCOMPARE(sim.Ask("LDW?;"), QStringLiteral("1"));
        }
    }

    void errorCodesEndTheStep()
    {
        TSimHarness sim;
        Settle(sim, 2500); // 1.25 mV/V: too much for a zero
        sim.Ask("LDW;");
        QCOMPARE(Progress(sim, "LDW?;", 6).mid(4), (QStringList{"101", "101"}));
        QCOMPARE(sim.Ask("LDW?1;"), QStringLiteral("0")); // nothing changed

        Settle(sim, 0);
        sim.Ask("LWT;");
        QCOMPARE(Progress(sim, "LWT?;", 5).last(), QStringLiteral("103")); // no test weight on the scale

        sim.Instrument.Faults().CalibrationError = 106;
        Settle(sim, 10);
        sim.Ask("LDW;");
        QCOMPARE(Progress(sim, "LDW?;", 5).last(), QStringLiteral("106"));
        sim.Instrument.Faults().CalibrationError = 0;
        sim.Ask("LDW;");
        QCOMPARE(Progress(sim, "LDW?;", 5).last(), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LDW?1;"), QStringLiteral("50"));
    }

    void directSignals()
    {
        TSimHarness sim;
        QCOMPARE(sim.Ask("LDW1,1234;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LDW?1;"), QStringLiteral("1234"));
        QCOMPARE(sim.Ask("LWT1,1234;"), QStringLiteral("0")); // equal for a moment: reads 0
        QCOMPARE(sim.Ask("MSV?;"), QStringLiteral("       0,00,258"));
        QCOMPARE(sim.Ask("LWT1,32001;"), QStringLiteral("?"));
        QCOMPARE(sim.Ask("LWT1,-32000;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LDW500;"), QStringLiteral("?")); // only in weighing mode 3
        QCOMPARE(sim.Ask("WMD4,0;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LDW500;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LWT20500;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LDW?1;"), QStringLiteral("500"));
        QCOMPARE(sim.Ask("LWT?1;"), QStringLiteral("20500"));
        Settle(sim, 2100); // 10500 signal: half the span
        QCOMPARE(sim.Ask("MSV?;"), QStringLiteral("    2000,00,002"));
    }

    void linearisationPoints()
    {
        TSimHarness sim;
        Settle(sim, 2000);
        QCOMPARE(sim.Ask("LIC1,2010;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LIC?1;"), QStringLiteral("50,20100")); // one decimal more than the display
        QCOMPARE(sim.Ask("LIC2,100000;"), QStringLiteral("?")); // kept as 1000000: beyond the instrument
        QCOMPARE(sim.Ask("MSV?;"), QStringLiteral("    2010,00,002"));
        Settle(sim, 1000);
        QCOMPARE(sim.Ask("MSV?;"), QStringLiteral("    1005,00,002"));
        Settle(sim, 0);
        QCOMPARE(sim.Ask("LIC2,5;"), QStringLiteral("?")); // a point at 0 % would read as unused
        QCOMPARE(sim.Ask("LIC6,5;"), QStringLiteral("?"));
        QCOMPARE(sim.Ask("LIC1;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LIC?1;"), QStringLiteral("0,0"));
        Settle(sim, 1000);
        QCOMPARE(sim.Ask("MSV?;"), QStringLiteral("    1000,00,002"));
    }

    void calibrationDataRoundTrips()
    {
        TSimHarness sim;
        Settle(sim, 3000);
        sim.Ask("LIC3,3030;");
        sim.Ask("LDW1,-250;");
        const QString backup = sim.Ask("MDD?1;");
        QVERIFY(backup.size() > 40);
        QVERIFY(!backup.contains(QLatin1Char(';')) && !backup.contains(QLatin1Char(',')) &&
                !backup.contains(QLatin1Char('"')));

        sim.Ask("LDW1,0;");
        sim.Ask("LIC3;");
        QString corrupt = backup;
        corrupt[10] = corrupt[10] == QLatin1Char('0') ? QLatin1Char('1') : QLatin1Char('0');
        QCOMPARE(sim.Ask("MDD" + corrupt.toLatin1() + ';'), QStringLiteral("?"));
        QCOMPARE(sim.Ask("MDD" + backup.left(40).toLatin1() + ';'), QStringLiteral("?"));
        QCOMPARE(sim.Ask("LDW?1;"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("MDD" + backup.toLatin1() + ';'), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LDW?1;"), QStringLiteral("-250"));
        QCOMPARE(sim.Ask("LIC?3;"), QStringLiteral("75,30300"));
        QCOMPARE(sim.Ask("MDD?1;"), backup);
        QCOMPARE(sim.Ask("MDD?2;"), QStringLiteral("?"));
    }
};

QV_TEST_GUILESS_MAIN(TestSimCalibration)
} // namespace test_sim_calibration
#include "test_sim_calibration.moc"
