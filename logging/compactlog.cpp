#include "logging/compactlog.h"

#include "logging/logchannels.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {
constexpr quint64 PresenceMask = (quint64(1) << TCompactLog::MaxTraces) - 1;

// Equal as numbers and in sign, so a -0 read from a log file stays -0.
bool SameValue(double a, double b)
{
    return a == b && std::signbit(a) == std::signbit(b);
}
} // namespace

const std::array<std::array<double, 2>, TCompactLog::ChannelCount> TCompactLog::Levels = [] {
    std::array<std::array<double, 2>, ChannelCount> levels{};
    for (int c = 0; c < ChannelCount; ++c)
        levels[size_t(c)] = {LogChannels::Level(c, false), LogChannels::Level(c, true)};
    return levels;
}();

void TCompactLog::SetDivisor(int divisor)
{
    if (Times.empty())
        WeightDivisor = std::max(divisor, 1);
}

void TCompactLog::Clear()
{
    Times.clear();
    Counts.clear();
    Flags.clear();
    Exceptions.clear();
    SpreadTrace = -1;
    LargestCount = 0;
    std::fill(FirstRow.begin(), FirstRow.end(), -1);
    std::fill(LastRow.begin(), LastRow.end(), -1);
    std::fill(PointCount.begin(), PointCount.end(), 0);
    for (TTraceOverview &overview : Overviews)
        overview.Clear();
}

void TCompactLog::Add(int trace, const TLogPoint &point)
{
    if (trace >= 0 && trace < MaxTraces)
        Put(RowFor(trace, point.key), trace, point);
}

void TCompactLog::AddRow(double time, const std::array<double, WeightTrace + 1> &values, quint32 traces)
{
    const bool later = Times.empty() || time >= Times.back();
    const qint64 row = later ? NewRow(time) : -1;
    for (int trace = 0; trace <= WeightTrace; ++trace) {
        if (!(traces & (1u << trace)))
            continue;
        const TLogPoint point(time, values[size_t(trace)]);
        if (later)
            Put(row, trace, point);
        else
            Add(trace, point);
    }
}

void TCompactLog::Put(qint64 row, int trace, const TLogPoint &point)
{
    const bool fits = point.key == Times[row] && Encode(row, trace, point.value);
    Flags[row] |= Bit(trace);
    if (!fits)
        PutException(row, trace, point);
    const auto t = size_t(trace);
    Overviews[t].Take(row, point.value);
    if (FirstRow[t] < 0)
        FirstRow[t] = row;
    LastRow[t] = row;
    ++PointCount[t];
}

// The row a trace's next point joins: the one after the trace's last row
// when it has the same time (a trace added after the others, as a loaded
// log is), else the newest row when the trace has no point there yet and
// the key is not later, else a new row.
qint64 TCompactLog::RowFor(int trace, double key)
{
    const qint64 next = LastRow[size_t(trace)] + 1;
    const auto rows = qint64(Times.size());
    const auto free = [&](qint64 row) { return !(Flags[size_t(row)] & Bit(trace)); };
    if (next < rows && Times[size_t(next)] == key && free(next))
        return next;
    if (rows > next && free(rows - 1) && key <= Times.back())
        return rows - 1;
    return NewRow(key);
}

qint64 TCompactLog::NewRow(double time)
{
    Times.push_back(time);
    Counts.push_back(0);
    Flags.push_back(0);
    return qint64(Times.size()) - 1;
}

// Sets the row's fields for a value, or tells that they cannot hold it.
bool TCompactLog::Encode(qint64 row, int trace, double value)
{
    TFlags &flags = Flags[size_t(row)];
    if (std::isnan(value)) {
        if (!(flags & PresenceMask))
            flags |= Bit(GapRowBit);
        return flags & Bit(GapRowBit);
    }
    if (flags & Bit(GapRowBit))
        return false;
    if (trace < ChannelCount) {
        const bool on = SameValue(value, Levels[size_t(trace)][1]);
        if (!on && !SameValue(value, Levels[size_t(trace)][0]))
            return false;
        if (on)
            flags |= Bit(ChannelOnBit + trace);
        return true;
    }
    qint32 &count = Counts[size_t(row)];
    if (flags & Bit(CountSetBit))
        return SameValue(value, double(count) / WeightDivisor);
    std::optional<qint32> whole = CountOf(value, WeightDivisor);
    if (!whole && TakeFinerDivisorFor(value))
        whole = CountOf(value, WeightDivisor);
    if (!whole)
        return false;
    count = *whole;
    LargestCount = std::max(LargestCount, std::abs(qint64(count)));
    flags |= Bit(CountSetBit);
    return true;
}

std::optional<qint32> TCompactLog::CountOf(double value, qint64 divisor)
{
    const double scaled = value * double(divisor);
    if (!(std::abs(scaled) <= 2147483647.0))
        return std::nullopt;
    // Rounded half away from zero; a value half way between two counts
    // fits neither, so the way of rounding there does not matter.
    const auto count = qint32(scaled + (scaled < 0 ? -0.5 : 0.5));
    if (!SameValue(value, double(count) / double(divisor)))
        return std::nullopt;
    return count;
}

// A weight with more decimals than the divisor keeps (the decimal point
// moved during a session, a log written with another one): every count
// kept is multiplied up to the divisor that holds it, when they all still
// fit. Exact, since a count divided by its divisor is the nearest double to
// the same fraction at any scale.
bool TCompactLog::TakeFinerDivisorFor(double value)
{
    for (qint64 factor = 10; WeightDivisor * factor <= MaxDivisor; factor *= 10) {
        if (LargestCount * factor > 2147483647)
            return false;
        if (CountOf(value, WeightDivisor * factor)) {
            Counts.ForEach([factor](qint32 &count) { count = qint32(count * factor); });
            WeightDivisor = int(WeightDivisor * factor);
            LargestCount *= factor;
            return true;
        }
    }
    return false;
}

TLogPoint TCompactLog::Decode(qint64 row, int trace) const
{
    const TFlags flags = Flags[size_t(row)];
    if (flags & Bit(ExceptionBit))
        if (const TException *whole = ExceptionAt(row, trace))
            return whole->Point;
    const double key = (flags & Bit(SpreadBit)) && trace == SpreadTrace ? SpreadKey(row, trace) : Times[size_t(row)];
    if (flags & Bit(GapRowBit))
        return TLogPoint(key, qQNaN());
    if (trace < ChannelCount)
        return TLogPoint(key, Levels[size_t(trace)][(flags & Bit(ChannelOnBit + trace)) ? 1 : 0]);
    return TLogPoint(key, double(Counts[size_t(row)]) / WeightDivisor);
}

namespace {
bool Before(qint64 rowA, int traceA, qint64 rowB, int traceB)
{
    return rowA != rowB ? rowA < rowB : traceA < traceB;
}
} // namespace

const TCompactLog::TException *TCompactLog::ExceptionAt(qint64 row, int trace) const
{
    const auto it = std::lower_bound(Exceptions.begin(), Exceptions.end(), row,
                                     [trace](const TException &e, qint64 r) { return Before(e.Row, e.Trace, r, trace); });
    return it != Exceptions.end() && it->Row == row && it->Trace == trace ? &*it : nullptr;
}

void TCompactLog::PutException(qint64 row, int trace, const TLogPoint &point)
{
    // Exceptions come at the newest rows, so the search ends near the back.
    auto it = std::lower_bound(Exceptions.begin(), Exceptions.end(), row,
                               [trace](const TException &e, qint64 r) { return Before(e.Row, e.Trace, r, trace); });
    if (it != Exceptions.end() && it->Row == row && it->Trace == trace)
        it->Point = point;
    else
        Exceptions.insert(it, TException{row, trace, point});
    Flags[size_t(row)] |= Bit(ExceptionBit);
}

void TCompactLog::SpreadEqualTimes(int trace)
{
    if (trace < 0 || trace >= MaxTraces || PointCount[size_t(trace)] < 3)
        return;
    // The rows of the last point and of the points before it with its key,
    // newest first, then the row of the point before those.
    std::vector<qint64> run;
    qint64 beforeRow = -1;
    const double last = Decode(LastRow[size_t(trace)], trace).key;
    for (qint64 row = LastRow[size_t(trace)]; row >= FirstRow[size_t(trace)]; --row) {
        if (!(Flags[size_t(row)] & Bit(trace)))
            continue;
        if (Decode(row, trace).key != last) {
            beforeRow = row;
            break;
        }
        run.push_back(row);
    }
    const auto k = int(run.size()) - 1;
    if (k == 0 || beforeRow < 0)
        return;
    const double before = Decode(beforeRow, trace).key;
    const bool byBits = (SpreadTrace < 0 || SpreadTrace == trace)
                        && std::none_of(run.begin(), run.end(), [&](qint64 row) { return ExceptionAt(row, trace); });
    if (byBits)
        SpreadTrace = trace;
    for (int j = 1; j <= k; ++j) {
        const qint64 row = run[size_t(j)];
        if (byBits)
            Flags[size_t(row)] |= Bit(SpreadBit);
        else
            PutException(row, trace, TLogPoint(last + (before - last) * j / (k + 1), Decode(row, trace).value));
    }
}

// The key SpreadEqualTimes gave a point marked by its bit: its place j
// from the end of its run of k marked points is counted again.
double TCompactLog::SpreadKey(qint64 row, int trace) const
{
    const TFlags mine = Bit(trace);
    int after = 0;
    for (qint64 r = row + 1; r <= LastRow[size_t(trace)]; ++r)
        if (Flags[size_t(r)] & mine) {
            if (!(Flags[size_t(r)] & Bit(SpreadBit)))
                break;
            ++after;
        }
    int prior = 0;
    qint64 beforeRow = row - 1;
    for (; beforeRow >= 0; --beforeRow)
        if (Flags[size_t(beforeRow)] & mine) {
            if (!(Flags[size_t(beforeRow)] & Bit(SpreadBit)))
                break;
            ++prior;
        }
    const double last = Times[size_t(row)];
    const double before = Decode(beforeRow, trace).key;
    const int j = after + 1;
    const int k = prior + 1 + after;
    return last + (before - last) * j / (k + 1);
}

qint64 TCompactLog::FirstRowOf(int trace) const
{
    return trace >= 0 && trace < MaxTraces ? FirstRow[size_t(trace)] : -1;
}

qint64 TCompactLog::LastRowOf(int trace) const
{
    return trace >= 0 && trace < MaxTraces ? LastRow[size_t(trace)] : -1;
}

qint64 TCompactLog::RowAtOrAfter(double time) const
{
    qint64 low = 0, high = Times.size();
    while (low < high) {
        const qint64 middle = low + (high - low) / 2;
        if (Times[middle] < time)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

std::optional<TLogPoint> TCompactLog::PointAtOrBefore(int trace, double time, qint64 within) const
{
    if (trace < 0 || trace >= MaxTraces)
        return std::nullopt;
    qint64 row = RowAtOrAfter(time);
    if (row >= Rows() || Times[size_t(row)] > time)
        --row;
    for (const qint64 last = row - within; row >= 0 && row > last; --row) {
        if (!Has(row, trace))
            continue;
        const TLogPoint point = Decode(row, trace);
        if (std::isnan(point.value))
            return std::nullopt;
        return point;
    }
    return std::nullopt;
}

qsizetype TCompactLog::Size(int trace) const
{
    return trace >= 0 && trace < MaxTraces ? qsizetype(PointCount[size_t(trace)]) : 0;
}

TLogPoint TCompactLog::Last(int trace) const
{
    return Size(trace) > 0 ? Decode(LastRow[size_t(trace)], trace) : TLogPoint(0, qQNaN());
}

QVector<TLogPoint> TCompactLog::Points(int trace) const
{
    QVector<TLogPoint> points;
    points.reserve(Size(trace));
    ForEach(trace, [&](const TLogPoint &p) { points.append(p); });
    return points;
}

qint64 TCompactLog::Bytes() const
{
    const qint64 perRow = sizeof(double) + sizeof(qint32) + sizeof(TFlags);
    qint64 overviews = 0;
    for (int trace = 0; trace < MaxTraces; ++trace)
        if (PointCount[size_t(trace)] > 0)
            for (const qint64 rows : TTraceOverview::Levels)
                overviews += qint64(Times.size()) / rows * qint64(sizeof(TTraceOverview::TSpan));
    return qint64(Times.size()) * perRow + qint64(Exceptions.size()) * qint64(sizeof(TException)) + overviews;
}

qint64 TCompactLog::AllocatedBytes() const
{
    qint64 overviews = 0;
    for (const TTraceOverview &overview : Overviews)
        overviews += overview.AllocatedBytes();
    return Times.AllocatedBytes() + Counts.AllocatedBytes() + Flags.AllocatedBytes()
           + qint64(Exceptions.capacity() * sizeof(TException)) + overviews;
}
