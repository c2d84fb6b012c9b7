#pragma once
// What a verification with test weights is made of, without the instrument:
// the setup (accuracy class, e, Max, initial or in service, the test weights,
// who and where), the plan of loads, the rows a run takes readings for, and
// what the readings come to (error, MPE, pass or fail, the verdict).
//
// Weights are numbers in the instrument's units, shown with the decimals of
// e and always with "." as the decimal point, as everywhere in the program.
// The error of a reading is E = I - L (indication minus load); a reading
// passes when |E| does not exceed the MPE at its load.

#include "verification/accuracy.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

class Tdata7410;

struct TTestWeight {
    QString Id;
    QString Nominal;
    QString WeightClass;   // such as M1
    QString Certificate;
    bool operator==(const TTestWeight &) const = default;
};

struct TVerificationSetup {
    TAccuracyClass Class = TAccuracyClass::III;
    double E = 1;           // the verification scale interval
    double Max = 4000;      // the maximum capacity
    int Decimals = 0;       // of every weight shown
    QString Units = QStringLiteral("kg");
    double DisplayStep = 0; // the instrument's, when known: e may not be finer
    bool InService = false; // else initial verification
    QList<TTestWeight> Weights;
    QString Customer;       // customer and site
    QString Technician;

    // The MPE at a load, in units.
    double Mpe(double load) const;
    // A weight at the setup's decimals ("1250", "12.50").
    QString Weight(double value) const;
    // An MPE, which may be half an e: one decimal more.
    QString MpeText(double value) const;
    // "e = 1 kg" and the like: a weight with the units after it.
    QString WithUnits(double value) const;
    // Empty when a reading can be judged with this setup, else why not.
    QString Problem() const;
};

// e, Max, decimals and units from the instrument's settings: e is the
// display step of range 1 at the decimal point setting, Max its Full Scale.
void TakeInstrumentScale(TVerificationSetup &setup, const Tdata7410 &model);

// A typed weight: "." or the user's locale's decimal point, blanks around
// it; nothing for anything else.
std::optional<double> ReadWeight(const QString &text);
// The weight at the setup's decimals, without the last bits of a double.
double RoundToDecimals(double value, int decimals);
// Takes the setup's decimals up (to six at most) until they show the weight
// as it was given: a typed e of 0.5 on an instrument showing whole kilograms.
void FitDecimals(TVerificationSetup &setup, double weight);

struct TVerificationPlan {
    QList<double> Loads;      // the weighing test: each loaded going up, then again coming down
    double RepeatLoad = 0;    // repeatability: loaded three times
    double EccentricLoad = 0; // eccentricity: at the centre and on the four corners
    bool operator==(const TVerificationPlan &) const = default;
};

// Zero, 20 e, 500 e and 2000 e where they lie below Max, half Max and Max;
// half Max for repeatability, a third of Max for eccentricity, each a whole
// number of e.
TVerificationPlan SuggestedPlan(const TVerificationSetup &setup);

enum class TTestKind { Weighing, Repeatability, Eccentricity };

inline constexpr int RepeatLoadings = 3;
inline constexpr int EccentricPositions = 5;   // the centre, then corners 1 to 4

struct TTestRow {
    TTestKind Kind = TTestKind::Weighing;
    // Weighing: 0 going up, 1 coming down. Repeatability: the loading, 1
    // to 3. Eccentricity: 0 the centre, 1 to 4 the corners.
    int Step = 0;
    double Load = 0;
    std::optional<double> Indication;
    int Places = 0;        // decimals of the indication as the instrument gave it
    QDateTime Taken;
};

// "Weighing", "Repeatability", "Eccentricity".
QString TestName(TTestKind kind);
// "up", "down"; "1".."3"; "centre", "corner 1".."corner 4".
QString StepName(const TTestRow &row);
// The rows of a plan in the order they are loaded: the weighing test's
// loads going up and coming down (the top one once), the three loadings,
// the five positions.
QList<TTestRow> PlanRows(const TVerificationPlan &plan);

struct TRowResult {
    bool Taken = false;
    double Error = 0;
    double Mpe = 0;
    bool Pass = false;
};
TRowResult ResultOf(const TVerificationSetup &setup, const TTestRow &row);
// "1250", the error "+2", "-0.5", "0".
QString ErrorText(const TVerificationSetup &setup, const TTestRow &row, double error);
QString IndicationText(const TVerificationSetup &setup, const TTestRow &row);

// The repeatability loadings: the spread of their indications (largest
// minus smallest), which must not exceed the MPE at the load.
struct TRepeatability {
    int Taken = 0;
    double Load = 0;
    double Spread = 0;
    double Mpe = 0;
    bool Complete = false;   // every loading taken
    bool Pass = false;
};
TRepeatability RepeatabilityOf(const TVerificationSetup &setup, const QList<TTestRow> &rows);

enum class TVerdict { Incomplete, Pass, Fail };
// Fail when any reading fails (or the spread does); Pass when every row
// has passed; else Incomplete. A run without rows is incomplete.
TVerdict VerdictOf(const TVerificationSetup &setup, const QList<TTestRow> &rows);
QString VerdictText(TVerdict verdict);   // "PASS", "FAIL", "NOT COMPLETE"

// The same load, to a millionth of e.
bool SameLoad(double a, double b, double e);
