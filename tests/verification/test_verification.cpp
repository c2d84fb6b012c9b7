// What readings come to, without an instrument: the MPE bands of each
// class, the suggested plan, the rows of a plan, verdicts (the spread of the
// repeatability loadings too), readings kept when the plan changes, and the
// setup remembered from one verification to the next.

#include "link/session.h"
#include "support/testmain.h"
#include "verification/verification.h"
#include "verification/verifymemory.h"

#include <QTemporaryDir>

Q_DECLARE_METATYPE(TTestRow)

// A namespace of its own: the folder's test files are compiled together.
namespace test_verification {

namespace {

TVerificationSetup Setup(double e, double max, int decimals, TAccuracyClass accuracyClass = TAccuracyClass::III)
{
    TVerificationSetup setup;
    setup.E = e;
    setup.Max = max;
    setup.Decimals = decimals;
    setup.Class = accuracyClass;
    return setup;
}

TTestRow Reading(TTestKind kind, int step, double load, std::optional<double> indication, int places = 0)
{
    return {kind, step, load, indication, places, {}};
}

} // namespace

class TestVerification : public QObject {
    Q_OBJECT
private slots:
    void mpeFollowsTheBandsOfEachClass_data()
    {
        QTest::addColumn<QString>("accuracyClass");
        QTest::addColumn<double>("e");
        QTest::addColumn<double>("load");
        QTest::addColumn<bool>("inService");
        QTest::addColumn<double>("mpe");
        QTest::newRow("III zero") << "III" << 1.0 << 0.0 << false << 0.5;
        QTest::newRow("III on 500 e") << "III" << 1.0 << 500.0 << false << 0.5;
        QTest::newRow("III past 500 e") << "III" << 1.0 << 501.0 << false << 1.0;
        QTest::newRow("III on 2000 e") << "III" << 1.0 << 2000.0 << false << 1.0;
        QTest::newRow("III past 2000 e") << "III" << 1.0 << 2001.0 << false << 1.5;
        QTest::newRow("III in service") << "III" << 1.0 << 4000.0 << true << 3.0;
        QTest::newRow("III, a negative load") << "III" << 1.0 << -600.0 << false << 1.0;
        QTest::newRow("III, e 0.1 on 500 e") << "III" << 0.1 << 50.0 << false << 0.05;
        QTest::newRow("III, e 0.02 past 500 e, in service") << "III" << 0.02 << 10.02 << true << 0.04;
        QTest::newRow("I on 50 000 e") << "I" << 1.0 << 50000.0 << false << 0.5;
        QTest::newRow("I past 200 000 e") << "i" << 1.0 << 200001.0 << false << 1.5;
        QTest::newRow("II on 20 000 e") << "II" << 1.0 << 20000.0 << false << 1.0;
        QTest::newRow("II past 20 000 e") << " II " << 1.0 << 20001.0 << false << 1.5;
        QTest::newRow("IIII past 50 e") << "IIII" << 1.0 << 51.0 << false << 1.0;
        QTest::newRow("IIII past 200 e, in service") << "IIII" << 5.0 << 1005.0 << true << 15.0;
    }

    void mpeFollowsTheBandsOfEachClass()
    {
        QFETCH(QString, accuracyClass);
        QFETCH(double, e);
        QFETCH(double, load);
        QFETCH(bool, inService);
        QFETCH(double, mpe);
        const std::optional<TAccuracyClass> named = AccuracyClassNamed(accuracyClass);
        QVERIFY(named);
        TVerificationSetup setup = Setup(e, 1e6, 2, *named);
        setup.InService = inService;
        QCOMPARE(setup.Mpe(load), mpe);
    }

    void suggestedPlanKeepsWithinMax_data()
    {
        QTest::addColumn<double>("e");
        QTest::addColumn<double>("max");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QList<double>>("loads");
        QTest::addColumn<double>("repeat");
        QTest::addColumn<double>("eccentric");
        QTest::newRow("4000 e") << 1.0 << 4000.0 << 0 << QList<double>{0, 20, 500, 2000, 4000} << 2000.0 << 1333.0;
        QTest::newRow("600 e") << 5.0 << 3000.0 << 0 << QList<double>{0, 100, 1500, 2500, 3000} << 1500.0 << 1000.0;
        QTest::newRow("120 e") << 0.5 << 60.0 << 1 << QList<double>{0, 10, 30, 60} << 30.0 << 20.0;
        QTest::newRow("1500 e, two decimals") << 0.01 << 15.0 << 2 << QList<double>{0, 0.2, 5, 7.5, 15} << 7.5 << 5.0;
        QTest::newRow("no e") << 0.0 << 100.0 << 0 << QList<double>{} << 0.0 << 0.0;
    }

    void suggestedPlanKeepsWithinMax()
    {
        QFETCH(double, e);
        QFETCH(double, max);
        QFETCH(int, decimals);
        QFETCH(QList<double>, loads);
        QFETCH(double, repeat);
        QFETCH(double, eccentric);
        const TVerificationPlan plan = SuggestedPlan(Setup(e, max, decimals));
        QCOMPARE(plan.Loads, loads);
        QCOMPARE(plan.RepeatLoad, repeat);
        QCOMPARE(plan.EccentricLoad, eccentric);
    }

    // Typed weights keep their decimals; a double's last bits add none.
    void decimalsFitTypedWeights_data()
    {
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("weight");
        QTest::addColumn<int>("fitted");
        QTest::newRow("half a kilogram") << 0 << 0.5 << 1;
        QTest::newRow("a gram more than shown") << 2 << 12.345 << 3;
        QTest::newRow("whole") << 1 << 4000.0 << 1;
        QTest::newRow("binary noise") << 1 << 0.1 + 0.2 << 1;
        QTest::newRow("at most six") << 0 << 1e-9 << 6;
    }

    void decimalsFitTypedWeights()
    {
        QFETCH(int, decimals);
        QFETCH(double, weight);
        QFETCH(int, fitted);
        TVerificationSetup setup = Setup(1, 4000, decimals);
        FitDecimals(setup, weight);
        QCOMPARE(setup.Decimals, fitted);
    }

    void planRowsGoUpThenDown()
    {
        const QList<TTestRow> rows = PlanRows({{500, 0, 1000}, 2000, 1333});
        QStringList names;
        for (const TTestRow &row : rows)
            names << QStringLiteral("%1 %2 %3").arg(TestName(row.Kind), StepName(row)).arg(row.Load);
        QCOMPARE(names, (QStringList{"Weighing up 0", "Weighing up 500", "Weighing up 1000", "Weighing down 500",
                                     "Weighing down 0", "Repeatability 1 2000", "Repeatability 2 2000",
                                     "Repeatability 3 2000", "Eccentricity centre 1333", "Eccentricity corner 1 1333",
                                     "Eccentricity corner 2 1333", "Eccentricity corner 3 1333",
                                     "Eccentricity corner 4 1333"}));
    }

    void verdictOfTheReadings_data()
    {
        const auto weighing = [](double load, std::optional<double> indication, int places = 0) {
            return Reading(TTestKind::Weighing, 0, load, indication, places);
        };
        const auto repeat = [](int loading, double indication) {
            return Reading(TTestKind::Repeatability, loading, 2000, indication);
        };
        QTest::addColumn<double>("e");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QList<TTestRow>>("rows");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("every reading on its load") << 1.0 << 0
            << QList<TTestRow>{weighing(0, 0), weighing(4000, 4000)} << "PASS";
        QTest::newRow("1.5 e at Max passes") << 1.0 << 0 << QList<TTestRow>{weighing(4000, 4001.5, 1)} << "PASS";
        QTest::newRow("2 e at Max fails") << 1.0 << 0 << QList<TTestRow>{weighing(0, 0), weighing(4000, 4002)}
                                          << "FAIL";
        QTest::newRow("below the load fails alike") << 1.0 << 0 << QList<TTestRow>{weighing(400, 399)} << "FAIL";
        QTest::newRow("a row to take") << 1.0 << 0 << QList<TTestRow>{weighing(0, 0), weighing(4000, {})}
                                       << "NOT COMPLETE";
        QTest::newRow("a failure decides before the rest") << 1.0 << 0
            << QList<TTestRow>{weighing(0, 1), weighing(4000, {})} << "FAIL";
        QTest::newRow("no rows") << 1.0 << 0 << QList<TTestRow>{} << "NOT COMPLETE";
        // 30.05 - 30 is a hair above 0.05 in binary; the MPE must not be missed by it.
        QTest::newRow("error on the MPE, two places") << 0.1 << 1 << QList<TTestRow>{weighing(30, 30.05, 2)} << "PASS";
        QTest::newRow("spread within the MPE") << 1.0 << 0
            << QList<TTestRow>{repeat(1, 2001), repeat(2, 2000), repeat(3, 2001)} << "PASS";
        QTest::newRow("each within, spread beyond") << 1.0 << 0
            << QList<TTestRow>{repeat(1, 2001), repeat(2, 1999), repeat(3, 2000)} << "FAIL";
    }

    void verdictOfTheReadings()
    {
        QFETCH(double, e);
        QFETCH(int, decimals);
        QFETCH(QList<TTestRow>, rows);
        QFETCH(QString, verdict);
        QCOMPARE(VerdictText(VerdictOf(Setup(e, 4000, decimals), rows)), verdict);
    }

    // A changed plan keeps what was taken for the rows that stay; the other
    // run is left alone.
    void readingsStayWhenThePlanChanges()
    {
        TSession session;
        TVerification verification(session);
        verification.Plan = {{0, 2000, 4000}, 0, 0};
        verification.ApplyPlan();
        verification.Rows()[1].Indication = 2001;   // up 2000
        verification.Rows()[3].Indication = 2000;   // down 2000
        verification.SelectRun(rkAsLeft);
        QCOMPARE(verification.Rows().size(), 5);
        verification.Rows()[0].Indication = 0;
        verification.SelectRun(rkAsFound);
        verification.Plan.Loads = {0, 1000, 2000, 3000};
        verification.ApplyPlan();
        QStringList taken;
        for (const TTestRow &row : verification.Rows())
            if (row.Indication)
                taken << StepName(row) + QString::number(row.Load);
        QCOMPARE(taken, (QStringList{"up2000", "down2000"}));
        QCOMPARE(verification.DecidingRun(), int(rkAsLeft));
        QVERIFY(verification.Runs[rkAsLeft][0].Indication);
        verification.Clear();
        QVERIFY(!verification.HasReadings());
        QCOMPARE(verification.DecidingRun(), int(rkAsFound));
    }

    void setupIsRemembered()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("config/verification.ini");
        TVerificationSetup kept = Setup(1, 4000, 0, TAccuracyClass::II);
        kept.InService = true;
        kept.Customer = QStringLiteral("Zakład 3, Łódź \"north\"");
        kept.Technician = QStringLiteral("J. Müller");
        kept.Weights = {{"W1", "2000 kg", "M1", "C-17/2"}, {"W2; %1", "500 kg", "F2", ""}};
        QString error;
        QVERIFY2(RememberSetup(path, kept, &error), qPrintable(error));
        TVerificationSetup read = Setup(2, 100, 1);
        QVERIFY(LoadRememberedSetup(path, read));
        QCOMPARE(read.Class, kept.Class);
        QVERIFY(read.InService);
        QCOMPARE(read.Customer, kept.Customer);
        QCOMPARE(read.Technician, kept.Technician);
        QCOMPARE(read.Weights, kept.Weights);
        QCOMPARE(read.E, 2.0);   // e and Max come from the instrument
        QVERIFY(!LoadRememberedSetup(dir.filePath("none.ini"), read));
    }
};

QV_TEST_GUILESS_MAIN(TestVerification)
} // namespace test_verification
#include "test_verification.moc"
