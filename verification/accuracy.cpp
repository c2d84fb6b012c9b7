#include "verification/accuracy.h"

#include <array>
#include <cmath>

namespace {

// The upper limits (in e) of the 0.5 e and the 1 e bands.
struct TBands {
    double HalfE;
    double OneE;
};

TBands BandsOf(TAccuracyClass accuracyClass)
{
    switch (accuracyClass) {
    case TAccuracyClass::I: return {50000, 200000};
    case TAccuracyClass::II: return {5000, 20000};
    case TAccuracyClass::III: return {500, 2000};
    case TAccuracyClass::IIII: return {50, 200};
    }
    return {500, 2000};
}

// A load worked out from a typed weight and e (50 / 0.1) may miss a band's
// limit by the last bit of a double.
constexpr double LimitSlack = 1e-9;

} // namespace

const QList<TAccuracyClass> &AccuracyClasses()
{
    static const QList<TAccuracyClass> classes{TAccuracyClass::I, TAccuracyClass::II, TAccuracyClass::III,
                                               TAccuracyClass::IIII};
    return classes;
}

QString AccuracyClassName(TAccuracyClass accuracyClass)
{
    static const std::array<QString, 4> names{"I", "II", "III", "IIII"};
    return names[size_t(accuracyClass)];
}

std::optional<TAccuracyClass> AccuracyClassNamed(const QString &name)
{
    for (TAccuracyClass accuracyClass : AccuracyClasses())
        if (name.trimmed().compare(AccuracyClassName(accuracyClass), Qt::CaseInsensitive) == 0)
            return accuracyClass;
    return std::nullopt;
}

double MpeInE(TAccuracyClass accuracyClass, double loadInE, bool inService)
{
    const TBands bands = BandsOf(accuracyClass);
    const double load = std::abs(loadInE);
    const double mpe = load <= bands.HalfE * (1 + LimitSlack) ? 0.5 : load <= bands.OneE * (1 + LimitSlack) ? 1.0 : 1.5;
    return inService ? 2 * mpe : mpe;
}
