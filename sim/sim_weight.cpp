#include "sim/sim_weight.h"

#include "sim/sim_settings.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

const qint64 ResolutionSteps[] = {1, 2, 5, 10, 20, 50, 100};
constexpr qint64 DisplayLimit = 999999;

// Motion detection: a band in divisions within a time window, by the index
// of the motion setting (0 is off).
double MotionBand(int index) { return std::array{0.5, 1.0, 2.0, 5.0}[(index - 1) % 4]; }
qint64 MotionWindowMs(int index) { return std::array{1000, 500, 200}[(index - 1) / 4]; }

// Zero key range in percent of full scale, by the zero range setting (1..4).
struct TZeroRange {
    int Low;
    int High;
};
const TZeroRange ZeroRanges[] = {{-20, 20}, {-100, 100}, {-2, 2}, {-1, 3}};

qint64 RoundTo(double value, qint64 step)
{
    return qint64(std::llround(value / double(step))) * step;
}

// High resolution shows ten times the counts, one decimal more.
constexpr qint64 HighResFactor = 10;

// A shaking platform swings by this many divisions, this often.
constexpr double ShakeDivisions = 3;
constexpr double ShakePeriodMs = 300;

} // namespace

TSimWeight::TSimWeight(const TSimSettings &settings) : Settings(settings) {}

void TSimWeight::Advance(qint64 ms)
{
    if (ms - LastMs > 2000)
        LastMs = ms - ConversionMs; // long gaps: only the last conversions matter
    while (LastMs + ConversionMs <= ms) {
        LastMs += ConversionMs;
        Convert(LastMs);
    }
}

double TSimWeight::LoadError(double load, qint64 ms) const
{
    const TSimWeighingErrors &faults = WeighingErrors;
    const double e = Division(1);
    const double fullScale = double(Settings.Int("IAD", 1, 0));
    double error = 0;
    if (fullScale > 0) {
        const double share = load / fullScale;
        error += faults.SpanE * e * share;
        error += faults.NonlinearityE * e * 4 * share * (1 - share);
        if (faults.Position >= 1 && faults.Position <= 4)
            error += (faults.Position <= 2 ? 1 : -1) * faults.EccentricityE * e * 3 * share;
    }
    if (faults.Shaking)
        error += ShakeDivisions * e * std::sin(2 * std::numbers::pi * double(ms) / ShakePeriodMs);
    return error;
}

void TSimWeight::Convert(qint64 ms)
{
    const double load = LoadSource.At(ms);
    SignalNow = (load + LoadError(load, ms)) * CellGain;
    const double raw = Uncorrected();
    GrossNow = raw + Correction(raw) - ZeroOffset;
    History.append({ms, GrossNow});
    while (!History.isEmpty() && History.first().Ms < ms - 1000)
        History.removeFirst();

    if (WeighMode() == 1) {
        if (RoundTo(GrossNow * double(Fineness()), Step(1)) > Settings.Int("IAD", 1, 0) * Fineness())
            Range2Latched = true;
        else if (std::abs(GrossNow) <= Division(1) / 2)
            Range2Latched = false; // a dual-range scale returns to range 1 at zero
    } else {
        Range2Latched = false;
    }
    UpdateSetpoints();
}

double TSimWeight::Uncorrected() const
{
    const double zero = double(Settings.Int("LDW", 1, 0));
    const double span = double(Settings.Int("LWT", 1, 0));
    if (span == zero)
        return 0;
    return (SignalNow - zero) * double(Settings.Int("IAD", 1, 0)) / (span - zero);
}

double TSimWeight::Correction(double raw) const
{
    QList<std::pair<double, double>> anchors = {{0.0, 0.0}};
    for (const TLinPoint &point : Lin)
        if (point.Used)
            anchors.append({point.Raw, double(point.Weight) - point.Raw});
    std::sort(anchors.begin(), anchors.end());
    if (raw <= anchors.first().first)
        return anchors.first().second;
    for (int i = 1; i < anchors.size(); ++i) {
        const auto &[x0, c0] = anchors[i - 1];
        const auto &[x1, c1] = anchors[i];
        if (raw <= x1)
            return x1 == x0 ? c1 : c0 + (c1 - c0) * (raw - x0) / (x1 - x0);
    }
    return anchors.last().second;
}

int TSimWeight::WeighMode() const
{
    return int(Settings.Int("WMD", 0, 0)) - 1;
}

int TSimWeight::Range() const
{
    if (WeighMode() == 1)
        return Range2Latched ? 2 : 1;
    if (WeighMode() == 2)
        return GrossNow > double(Settings.Int("IAD", 1, 0)) ? 2 : 1;
    return 1;
}

qint64 TSimWeight::Fineness() const
{
    return Settings.Int("IAD", 1, 3) == 1 ? HighResFactor : 1;
}

qint64 TSimWeight::Step(int range) const
{
    const qint64 index = std::clamp<qint64>(Settings.Int("IAD", range, 2), 1, 7);
    return ResolutionSteps[index - 1];
}

double TSimWeight::Division(int range) const
{
    return double(Step(range)) / double(Fineness());
}

qint64 TSimWeight::TopFullScale() const
{
    const int mode = WeighMode();
    return Settings.Int("IAD", (mode == 1 || mode == 2) ? 2 : 1, 0);
}

bool TSimWeight::Moving() const
{
    if (WeighingErrors.Shaking)
        return true;
    const int index = int(Settings.Int("MTD", 0, 0));
    if (index <= 0 || History.isEmpty())
        return false;
    const qint64 since = History.last().Ms - MotionWindowMs(index);
    double low = GrossNow, high = GrossNow;
    for (const TSample &sample : History) {
        if (sample.Ms < since)
            continue;
        low = std::min(low, sample.Gross);
        high = std::max(high, sample.Gross);
    }
    return high - low > MotionBand(index) * Division(Range());
}

bool TSimWeight::Overloaded() const
{
    const qint64 top = TopFullScale();
    return GrossNow > double(top) + 9 * Division(Range()) || GrossNow < -double(top);
}

qint64 TSimWeight::ShownGross() const
{
    return RoundTo(GrossNow * double(Fineness()), Step(Range()));
}

qint64 TSimWeight::Shown() const
{
    return Net ? ShownGross() - TareCounts : ShownGross();
}

bool TSimWeight::CentreOfZero() const
{
    return std::abs(GrossNow) <= Division(Range()) / 4;
}

TSimReading TSimWeight::Read() const
{
    TSimReading reading;
    reading.Counts = std::clamp(Shown(), -DisplayLimit, DisplayLimit);
    reading.Decimals = int(Settings.Int("IAD", 1, 1)) + (Fineness() == HighResFactor ? 1 : 0);
    const bool moving = Moving();
    const bool overload = Overloaded();
    if (overload) {
        reading.Status |= SimStatus::Overload;
        reading.StatusByte |= SimRecordStatus::Overload;
    }
    if (moving)
        reading.StatusByte |= SimRecordStatus::Motion;
    else
        reading.Status |= SimStatus::Stable;
    if (Net) {
        reading.Status |= SimStatus::Net;
        reading.StatusByte |= SimRecordStatus::Net;
    }
    if (Range() == 2)
        reading.Status |= SimStatus::Range2;
    for (int i = 0; i < 4; ++i) {
        if (!SetpointOutput(i))
            continue;
        reading.Status |= SimStatus::Output1 << i;
        reading.StatusByte |= SimRecordStatus::Output1 << i;
    }
    if (CentreOfZero()) {
        reading.Status |= SimStatus::CentreOfZero;
        reading.StatusByte |= SimRecordStatus::CentreOfZero;
    }
    return reading;
}

void TSimWeight::UpdateSetpoints()
{
    for (int i = 0; i < 4; ++i) {
        const int item = i + 1;
        const qint64 type = Settings.Int("LIV", item, 0);
        bool &active = SetpointActive[size_t(i)];
        switch (type) {
        case 1: {
            // Targets are in display counts whatever the resolution.
            const qint64 fineness = Fineness();
            const qint64 value = Settings.Int("LIV", item, 1) == 2 ? Shown() : ShownGross();
            const qint64 target = Settings.Int("LIV", item, 3) * fineness;
            const qint64 hysteresis = active ? Settings.Int("LIV", item, 5) * fineness : 0;
            const bool over = Settings.Int("LIV", item, 2) == 1;
            active = over ? value >= target - hysteresis : value <= target + hysteresis;
            break;
        }
        case 2: active = Moving(); break;
        case 3: active = CentreOfZero(); break;
        case 4: active = Overloaded(); break;
        case 5: active = Net; break;
        default: active = false; break;
        }
    }
}

bool TSimWeight::SetpointOutput(int index) const
{
    const int item = index + 1;
    const qint64 type = Settings.Int("LIV", item, 0);
    if (type < 1 || type > 5)
        return false;
    const bool lowLogic = Settings.Int("LIV", item, 6) == 2;
    return SetpointActive[size_t(index)] != lowLogic;
}

bool TSimWeight::KeyAllowed(int key, bool needsStable) const
{
    const qint64 mode = Settings.Int("LBT", key, 0);
    if (mode == 0)
        return false; // locked
    const bool immediate = mode == 2 && key != 2; // the Gross/Net key has no immediate mode
    return !(needsStable && !immediate && Moving());
}

bool TSimWeight::Press(TSimKey key, bool longPress)
{
    switch (key) {
    case TSimKey::Zero: {
        if (!KeyAllowed(0, true) || Overloaded())
            return false;
        const double raw = Uncorrected();
        const double reading = raw + Correction(raw);
        const TZeroRange range = ZeroRanges[std::clamp<qint64>(Settings.Int("ZST", 0, 2), 1, 4) - 1];
        const double fullScale = double(Settings.Int("IAD", 1, 0));
        if (reading < range.Low * fullScale / 100 || reading > range.High * fullScale / 100)
            return false;
        ZeroOffset = reading;
        Range2Latched = false;
        Recompute();
        return true;
    }
    case TSimKey::Tare:
        if (longPress) { // a long press clears the tare
            if (!KeyAllowed(1, false))
                return false;
            TareCounts = 0;
            Net = false;
            return true;
        }
        if (!KeyAllowed(1, true) || Overloaded() || ShownGross() <= 0)
            return false;
        TareCounts = ShownGross();
        Net = true;
        return true;
    case TSimKey::GrossNet:
        if (!KeyAllowed(2, false))
            return false;
        Net = !Net;
        return true;
    case TSimKey::Print:
        if (longPress) { // a long press clears the print total
            if (!KeyAllowed(3, false))
                return false;
            Prints = 0;
            PrintSum = 0;
            return true;
        }
        if (!KeyAllowed(3, true) || Overloaded())
            return false;
        ++Prints;
        PrintSum += Shown();
        return true;
    }
    return false;
}

void TSimWeight::ClearZeroAndTare()
{
    ZeroOffset = 0;
    TareCounts = 0;
    Net = false;
    Range2Latched = false;
    Recompute();
}

void TSimWeight::Recompute()
{
    const double raw = Uncorrected();
    GrossNow = raw + Correction(raw) - ZeroOffset;
    History = {{std::max<qint64>(LastMs, 0), GrossNow}};
    UpdateSetpoints();
}

void TSimWeight::SetLinearisation(int point, double raw, qint64 weight)
{
    if (point >= 1 && point <= 5)
        Lin[size_t(point - 1)] = {true, raw, weight};
}

void TSimWeight::ClearLinearisation(int point)
{
    if (point >= 1 && point <= 5)
        Lin[size_t(point - 1)] = {};
}

bool TSimWeight::LinearisationUsed(int point) const
{
    return point >= 1 && point <= 5 && Lin[size_t(point - 1)].Used;
}

double TSimWeight::LinearisationRaw(int point) const
{
    return point >= 1 && point <= 5 ? Lin[size_t(point - 1)].Raw : 0;
}
