#include "calibration/calsignal.h"

#include "settings/tools.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 SignalLimit = 32000;         // 3.2 mV/V
constexpr qint64 WholeLimit = 1'000'000'000;  // mV/V; keeps the sums inside 64 bits
constexpr int Places = 4;

qint64 ReadWhole(const QString &digits)
{
    qint64 value = 0;
    for (const QChar c : digits) {
        value = value * 10 + c.digitValue();
        if (value > WholeLimit)
            return WholeLimit;
    }
    return value;
}

// What the digits after the kept places add: nothing, one, or one only when
// that makes the result even (an exact half).
qint64 RoundingStep(const QString &dropped, qint64 kept)
{
    if (dropped.isEmpty() || dropped.at(0) < QLatin1Char('5'))
        return 0;
    const bool exactHalf = dropped.at(0) == QLatin1Char('5') && dropped.count(QLatin1Char('0')) == dropped.size() - 1;
    return !exactHalf || kept % 2 != 0 ? 1 : 0;
}

} // namespace

std::optional<qint64> ReadSignalText(const QString &text)
{
    // [0-9], not \d: \d takes digits of every script.
    static const QRegularExpression form(QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?$"));
    const QRegularExpressionMatch match = form.match(WithDotDecimal(text.trimmed()));
    if (!match.hasMatch())
        return std::nullopt;
    const QString whole = match.captured(2);
    const QString fraction = match.captured(3);
    if (whole.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    qint64 value = ReadWhole(whole);
    for (int place = 0; place < Places; ++place)
        value = value * 10 + (place < fraction.size() ? fraction.at(place).digitValue() : 0);
    value += RoundingStep(fraction.mid(Places), value);
    return match.captured(1) == QLatin1String("-") ? -value : value;
}

qint32 StoredSignal(qint64 signal)
{
    return qint32(std::clamp<qint64>(signal, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

bool SignalsAllowed(qint64 zero, qint64 span)
{
    return zero != span && zero >= -SignalLimit && zero < SignalLimit && span >= -SignalLimit &&
           span <= SignalLimit;
}
