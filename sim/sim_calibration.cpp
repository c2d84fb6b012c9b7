#include "sim/sim_calibration.h"

#include "sim/sim_settings.h"
#include "sim/sim_weight.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 SignalLimit = 32000;
constexpr qint64 ZeroSignalLimit = 10000; // 1 mV/V of dead load at most
constexpr double SmallestSpan = 100;      // 0.01 mV/V between zero and the test weight
const QString BackupTag = QStringLiteral("KD46");
constexpr int BackupLength = 4 + 2 * 8 + 5 * (8 + 8 + 4) + 4;

QString Hex(qint64 value, int digits)
{
    const quint64 mask = digits >= 16 ? ~quint64(0) : (quint64(1) << (4 * digits)) - 1;
    return QStringLiteral("%1").arg(quint64(value) & mask, digits, 16, QLatin1Char('0')).toUpper();
}

// A signed value of the given width read back from its hexadecimal digits.
bool ReadHex(const QString &text, int &position, int digits, qint64 &value)
{
    bool ok = false;
    const quint64 bits = text.mid(position, digits).toULongLong(&ok, 16);
    position += digits;
    const int width = 4 * digits;
    const quint64 sign = quint64(1) << (width - 1);
    value = (bits & sign) ? qint64(bits) - qint64(quint64(1) << width) : qint64(bits);
    return ok;
}

int Checksum(const QString &text)
{
    int sum = 0;
    for (const QChar c : text)
        sum += c.unicode();
    return sum & 0xFFFF;
}

} // namespace

TSimCalibration::TSimCalibration(TSimSettings &settings, TSimWeight &weight) : Settings(settings), Weight(weight) {}

void TSimCalibration::Start(bool span)
{
    State = TState::Busy;
    Span = span;
    Remaining = BusyPolls;
    Result = 0;
    ScriptPosition = 0;
}

int TSimCalibration::Progress()
{
    if (!ScriptedProgress.isEmpty())
        return ScriptedProgress[std::min(ScriptPosition++, ScriptedProgress.size() - 1)];
    switch (State) {
    case TState::Idle:
        return Result;
    case TState::Busy:
        if (Weight.Moving())
            return Busy;
        if (Remaining > 0) {
            --Remaining;
            return Busy;
        }
        State = TState::Computing;
        return Computing;
    case TState::Computing:
        State = TState::Idle;
        Result = Complete();
        return Result;
    }
    return Result;
}

int TSimCalibration::Complete()
{
    if (ForcedError > 0)
        return ForcedError;
    return Span ? CompleteSpan() : CompleteZero();
}

int TSimCalibration::CompleteZero()
{
    const qint64 zero = std::llround(Weight.Signal());
    if (zero > ZeroSignalLimit)
        return ZeroTooHigh;
    if (zero < -ZeroSignalLimit)
        return ZeroTooLow;
    if (zero == Settings.Int("LWT", 1, 0))
        return InvalidZeroCal;
    Settings.Set("LDW", 1, 0, zero);
    Weight.ClearZeroAndTare();
    return 0;
}

int TSimCalibration::CompleteSpan()
{
    const qint64 weight = Settings.Int("CWT", 0, 0);
    const double zero = double(Settings.Int("LDW", 1, 0));
    const double difference = Weight.Signal() - zero;
    if (weight <= 0 || difference < SmallestSpan)
        return SpanTooLow;
    const qint64 span = std::llround(zero + difference * double(Settings.Int("IAD", 1, 0)) / double(weight));
    if (span > SignalLimit || span < -SignalLimit)
        return SpanTooHigh;
    Settings.Set("LWT", 1, 0, span);
    Weight.Recompute();
    return 0;
}

bool TSimCalibration::SetDirect(bool span, qint64 signal)
{
    // Zero and span are sent one after the other, so for a moment they may
    // be equal; the scale then reads 0 until the second one arrives.
    if (signal < -SignalLimit || signal > SignalLimit)
        return false;
    Settings.Set(span ? "LWT" : "LDW", 1, 0, signal);
    Weight.Recompute();
    return true;
}

bool TSimCalibration::SetLinearisation(int point, qint64 weight)
{
    const double fullScale = double(Settings.Int("IAD", 1, 0));
    const qint64 kept = weight * LinearisationScale;
    if (point < 1 || point > 5 || kept < -99999 || kept > 999999 || fullScale <= 0)
        return false;
    const double raw = Weight.Uncorrected();
    const qint64 percent = std::llround(raw * 100 / fullScale);
    if (percent == 0 || percent < -150 || percent > 150)
        return false; // 0 % would read back as an unused point
    Settings.Set("LIC", point, 0, percent);
    Settings.Set("LIC", point, 1, kept);
    Weight.SetLinearisation(point, raw, weight);
    Weight.Recompute();
    return true;
}

bool TSimCalibration::ClearLinearisation(int point)
{
    if (point < 1 || point > 5)
        return false;
    Settings.Set("LIC", point, 0, 0);
    Settings.Set("LIC", point, 1, 0);
    Weight.ClearLinearisation(point);
    Weight.Recompute();
    return true;
}

QString TSimCalibration::Backup() const
{
    QString text = BackupTag + Hex(Settings.Int("LDW", 1, 0), 8) + Hex(Settings.Int("LWT", 1, 0), 8);
    for (int point = 1; point <= 5; ++point) {
        const bool used = Weight.LinearisationUsed(point);
        text += Hex(used ? std::llround(Weight.LinearisationRaw(point) * 100) : 0, 8);
        text += Hex(used ? Settings.Int("LIC", point, 1) : 0, 8);
        text += Hex(used ? Settings.Int("LIC", point, 0) : 0, 4);
    }
    return text + Hex(Checksum(text), 4);
}

bool TSimCalibration::Restore(const QString &text)
{
    if (text.size() != BackupLength || !text.startsWith(BackupTag))
        return false;
    int position = int(BackupTag.size());
    qint64 zero = 0, span = 0, stored = 0;
    qint64 raw[5], weight[5], percent[5];
    bool ok = ReadHex(text, position, 8, zero) && ReadHex(text, position, 8, span);
    for (int i = 0; i < 5 && ok; ++i)
        ok = ReadHex(text, position, 8, raw[i]) && ReadHex(text, position, 8, weight[i]) &&
             ReadHex(text, position, 4, percent[i]);
    const int sum = Checksum(text.left(position));
    ok = ok && ReadHex(text, position, 4, stored) && (stored & 0xFFFF) == sum;
    ok = ok && zero != span && std::abs(zero) <= SignalLimit && std::abs(span) <= SignalLimit;
    for (int i = 0; i < 5 && ok; ++i)
        ok = percent[i] >= -150 && percent[i] <= 150 && weight[i] >= -99999 && weight[i] <= 999999;
    if (!ok)
        return false;
    Settings.Set("LDW", 1, 0, zero);
    Settings.Set("LWT", 1, 0, span);
    for (int i = 0; i < 5; ++i) {
        const int point = i + 1;
        Settings.Set("LIC", point, 0, percent[i]);
        Settings.Set("LIC", point, 1, percent[i] ? weight[i] : 0);
        if (percent[i])
            Weight.SetLinearisation(point, double(raw[i]) / 100, weight[i] / LinearisationScale);
        else
            Weight.ClearLinearisation(point);
    }
    Weight.Recompute();
    return true;
}
