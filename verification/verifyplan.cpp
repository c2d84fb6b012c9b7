#include "verification/verifyplan.h"

#include "settings/database.h"
#include "settings/enumtexts.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

double PowerOfTen(int decimals) { return std::pow(10.0, std::clamp(decimals, 0, 9)); }

// A whole number of e, at the setup's decimals.
double RoundToE(const TVerificationSetup &setup, double value)
{
    return RoundToDecimals(std::round(value / setup.E) * setup.E, setup.Decimals);
}

QString Number(double value, int decimals)
{
    // "-0" is 0.
    const double rounded = RoundToDecimals(value, decimals);
    return QString::number(rounded == 0 ? 0.0 : rounded, 'f', std::clamp(decimals, 0, 9));
}

} // namespace

double RoundToDecimals(double value, int decimals)
{
    const double scale = PowerOfTen(decimals);
    return std::round(value * scale) / scale;
}

void FitDecimals(TVerificationSetup &setup, double weight)
{
    while (setup.Decimals < 6 && std::abs(RoundToDecimals(weight, setup.Decimals) - weight) > 1e-9 * std::abs(weight))
        ++setup.Decimals;
}

bool SameLoad(double a, double b, double e) { return std::abs(a - b) <= std::abs(e) * 1e-6; }

double TVerificationSetup::Mpe(double load) const
{
    return E > 0 ? MpeInE(Class, load / E, InService) * E : 0;
}

QString TVerificationSetup::Weight(double value) const { return Number(value, Decimals); }

QString TVerificationSetup::MpeText(double value) const { return Number(value, Decimals + 1); }

QString TVerificationSetup::WithUnits(double value) const
{
    return Units.isEmpty() ? Weight(value) : Weight(value) + QLatin1Char(' ') + Units;
}

QString TVerificationSetup::Problem() const
{
    if (!(E > 0) || !std::isfinite(E))
        return QStringLiteral("The verification scale interval e must be a weight above 0.");
    if (!(Max > 0) || !std::isfinite(Max))
        return QStringLiteral("Max must be a weight above 0.");
    if (Max < E)
        return QStringLiteral("Max must not be smaller than e.");
    // An e finer than the instrument shows would judge errors it cannot
    // show: the MPE below its own step.
    if (DisplayStep > 0 && E < DisplayStep * (1 - 1e-9))
        return QStringLiteral("e (%1) must not be smaller than the instrument's display step (%2).")
            .arg(WithUnits(E), WithUnits(DisplayStep));
    return {};
}

void TakeInstrumentScale(TVerificationSetup &setup, const Tdata7410 &model)
{
    setup.Decimals = std::clamp(int(model.DecimalPoint), 0, 5);
    const double scale = PowerOfTen(setup.Decimals);
    const qint32 resolution = std::clamp<qint32>(model.Resolution1, 0, qint32(ResolutionSteps.size()) - 1);
    const qint32 step = ResolutionSteps[size_t(resolution)];
    setup.E = step / scale;
    setup.DisplayStep = setup.E;
    setup.Max = model.FullScale1 / scale;
    setup.Units = UnitsTexts().value(model.Units);
}

std::optional<double> ReadWeight(const QString &text)
{
    bool ok = false;
    double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

TVerificationPlan SuggestedPlan(const TVerificationSetup &setup)
{
    TVerificationPlan plan;
    if (!setup.Problem().isEmpty())
        return plan;
    QList<double> loads{0};
    for (const double inE : {20.0, 500.0, 2000.0})
        if (inE * setup.E < setup.Max && !SameLoad(inE * setup.E, setup.Max, setup.E))
            loads << RoundToDecimals(inE * setup.E, setup.Decimals);
    loads << RoundToE(setup, setup.Max / 2) << RoundToDecimals(setup.Max, setup.Decimals);
    std::sort(loads.begin(), loads.end());
    for (const double load : loads)
        if (plan.Loads.isEmpty() || !SameLoad(plan.Loads.last(), load, setup.E))
            plan.Loads << load;
    plan.RepeatLoad = RoundToE(setup, setup.Max / 2);
    plan.EccentricLoad = RoundToE(setup, setup.Max / 3);
    return plan;
}

QString TestName(TTestKind kind)
{
    switch (kind) {
    case TTestKind::Weighing: return QStringLiteral("Weighing");
    case TTestKind::Repeatability: return QStringLiteral("Repeatability");
    case TTestKind::Eccentricity: return QStringLiteral("Eccentricity");
    }
    return {};
}

QString StepName(const TTestRow &row)
{
    switch (row.Kind) {
    case TTestKind::Weighing: return row.Step == 0 ? QStringLiteral("up") : QStringLiteral("down");
    case TTestKind::Repeatability: return QString::number(row.Step);
    case TTestKind::Eccentricity:
        return row.Step == 0 ? QStringLiteral("centre") : QStringLiteral("corner %1").arg(row.Step);
    }
    return {};
}

QList<TTestRow> PlanRows(const TVerificationPlan &plan)
{
    QList<TTestRow> rows;
    QList<double> loads = plan.Loads;
    std::sort(loads.begin(), loads.end());
    for (const double load : loads)
        rows.append({TTestKind::Weighing, 0, load, {}, 0, {}});
    for (qsizetype i = loads.size() - 2; i >= 0; --i)
        rows.append({TTestKind::Weighing, 1, loads[i], {}, 0, {}});
    if (plan.RepeatLoad > 0)
        for (int loading = 1; loading <= RepeatLoadings; ++loading)
            rows.append({TTestKind::Repeatability, loading, plan.RepeatLoad, {}, 0, {}});
    if (plan.EccentricLoad > 0)
        for (int position = 0; position < EccentricPositions; ++position)
            rows.append({TTestKind::Eccentricity, position, plan.EccentricLoad, {}, 0, {}});
    return rows;
}

TRowResult ResultOf(const TVerificationSetup &setup, const TTestRow &row)
{
    TRowResult result;
    result.Mpe = setup.Mpe(row.Load);
    if (!row.Indication)
        return result;
    result.Taken = true;
    result.Error = *row.Indication - row.Load;
    // Both come to the instrument's decimals: a difference of 1.9999999
    // where 2 was meant must not pass an MPE of 1.5 or fail one of 2.
    const int decimals = std::max(setup.Decimals, row.Places) + 1;
    result.Pass = RoundToDecimals(std::abs(result.Error), decimals) <= RoundToDecimals(result.Mpe, decimals);
    return result;
}

QString ErrorText(const TVerificationSetup &setup, const TTestRow &row, double error)
{
    const QString text = Number(error, std::max(setup.Decimals, row.Places));
    return text.startsWith(QLatin1Char('-')) || text.toDouble() == 0 ? text : QLatin1Char('+') + text;
}

QString IndicationText(const TVerificationSetup &setup, const TTestRow &row)
{
    // As the instrument showed it: no decimals it did not give.
    (void)setup;
    return row.Indication ? Number(*row.Indication, row.Places) : QString();
}

TRepeatability RepeatabilityOf(const TVerificationSetup &setup, const QList<TTestRow> &rows)
{
    TRepeatability repeat;
    int loadings = 0;
    double low = 0, high = 0;
    int places = 0;
    for (const TTestRow &row : rows) {
        if (row.Kind != TTestKind::Repeatability)
            continue;
        ++loadings;
        repeat.Load = row.Load;
        if (!row.Indication)
            continue;
        low = repeat.Taken == 0 ? *row.Indication : std::min(low, *row.Indication);
        high = repeat.Taken == 0 ? *row.Indication : std::max(high, *row.Indication);
        places = std::max(places, row.Places);
        ++repeat.Taken;
    }
    const int decimals = std::max(setup.Decimals, places) + 1;
    repeat.Spread = RoundToDecimals(high - low, decimals);
    repeat.Mpe = setup.Mpe(repeat.Load);
    repeat.Complete = loadings > 0 && repeat.Taken == loadings;
    repeat.Pass = repeat.Spread <= RoundToDecimals(repeat.Mpe, decimals);
    return repeat;
}

TVerdict VerdictOf(const TVerificationSetup &setup, const QList<TTestRow> &rows)
{
    // No verdict from a setup that judges nothing (e of 0, Max below e).
    if (!setup.Problem().isEmpty())
        return TVerdict::Incomplete;
    bool complete = !rows.isEmpty();
    for (const TTestRow &row : rows) {
        const TRowResult result = ResultOf(setup, row);
        if (result.Taken && !result.Pass)
            return TVerdict::Fail;
        complete = complete && result.Taken;
    }
    const TRepeatability repeat = RepeatabilityOf(setup, rows);
    if (repeat.Taken > 1 && !repeat.Pass)
        return TVerdict::Fail;
    return complete ? TVerdict::Pass : TVerdict::Incomplete;
}

QString VerdictText(TVerdict verdict)
{
    switch (verdict) {
    case TVerdict::Pass: return QStringLiteral("PASS");
    case TVerdict::Fail: return QStringLiteral("FAIL");
    case TVerdict::Incomplete: break;
    }
    return QStringLiteral("NOT COMPLETE");
}
