#pragma once
// The points of a logging session's traces in compact columns: a sample's
// weight, unit trace and channel levels share one row, and a row holds one
// time, the weight as its integer count and the channels as bits (20 bytes
// a sample, where point containers took 16 bytes a point in every trace).
// Rows are in time order, so a view finds its rows by a binary search, and
// each trace keeps an overview for views wider than their pixels.
//
// Each trace reads back exactly the points it was given, in the order they
// were given. A point that the row cannot express (a key other than the
// row's time, a weight that is no whole count at the divisor, a channel
// value other than its two levels) is kept whole as an exception, so
// nothing is ever rounded; exceptions are rare in a live session (spread
// equal times, a gap break at an odd time) and in a saved log.

#include "logging/chunkedcolumn.h"
#include "logging/logpoint.h"
#include "logging/traceoverview.h"

#include <QVector>
#include <array>
#include <optional>
#include <vector>

class TCompactLog {
public:
    // Channel traces 0..3, the weight at 4, unit traces from 5 on.
    static constexpr int ChannelCount = 4;
    static constexpr int WeightTrace = ChannelCount;
    static constexpr int MaxTraces = 40;
    static constexpr qint64 MaxDivisor = 1'000'000;   // six decimals, as log files keep

    // Weights are kept as count / divisor; a divisor below 1 counts as 1.
    // Taken only while nothing is kept; a weight with more decimals makes
    // the divisor finer (up to MaxDivisor) while the counts fit.
    void SetDivisor(int divisor);
    int Divisor() const { return WeightDivisor; }
    void Clear();

    // Appends a point to a trace; the caller adds each trace's points in
    // key order, as the chart draws them.
    void Add(int trace, const TLogPoint &point);
    // The points of one sample at `time` (a log line's weight and channel
    // levels): values[trace] for each trace 0..WeightTrace whose bit is set
    // in `traces`. In one new row when the time is not before any row's (as
    // in a saved log, whose samples may share a time: each keeps its own
    // levels); else the same as adding each in turn.
    void AddRow(double time, const std::array<double, WeightTrace + 1> &values, quint32 traces);
    // Replies that shared one clock time, before a later one comes, are
    // spread back towards the point before them, as the chart shows them:
    // the last point keeps its time, the k before it move to
    // last + (before - last) * j / (k + 1). Kept as a bit a row and worked
    // out again when read, so spreading costs no memory.
    void SpreadEqualTimes(int trace);

    qsizetype Size(int trace) const;
    TLogPoint Last(int trace) const;
    // Calls fn(point) for each point of a trace in order.
    template <typename Fn> void ForEach(int trace, Fn fn) const;
    QVector<TLogPoint> Points(int trace) const;

    // ---- Rows, for drawing ----
    qsizetype Rows() const { return qsizetype(Times.size()); }
    double Time(qint64 row) const { return Times[size_t(row)]; }
    bool Has(qint64 row, int trace) const { return Flags[size_t(row)] & Bit(trace); }
    // The trace's point in a row that Has it.
    TLogPoint At(qint64 row, int trace) const { return Decode(row, trace); }
    // The rows of a trace's first and last points; -1 without points.
    qint64 FirstRowOf(int trace) const;
    qint64 LastRowOf(int trace) const;
    // The first row whose time is not before `time` (Rows() when none).
    qint64 RowAtOrAfter(double time) const;
    // Whether the row has a point of any trace whose bit (1 << trace) is in `traces`.
    bool HasAnyOf(qint64 row, quint64 traces) const { return Flags[size_t(row)] & traces; }
    // A trace's last point at or before `time`, looked for among the
    // `within` rows before it (the traces of a log of several units take
    // turns); nothing when there is none or it is a break.
    std::optional<TLogPoint> PointAtOrBefore(int trace, double time, qint64 within = 4096) const;
    const TTraceOverview &Overview(int trace) const { return Overviews[size_t(trace)]; }

    // Bytes held for the points, exceptions and overviews included (not the spare
    // capacity of growing columns).
    qint64 Bytes() const;
    // Bytes the columns have taken from the heap, with their part-filled
    // blocks and block maps (the block size of the standard library's deque).
    qint64 AllocatedBytes() const;

private:
    using TFlags = quint64;
    static constexpr int ChannelOnBit = MaxTraces;                 // 4 bits
    static constexpr int GapRowBit = ChannelOnBit + ChannelCount;   // values are NaN
    static constexpr int CountSetBit = GapRowBit + 1;               // Counts[row] is valid
    static constexpr int ExceptionBit = CountSetBit + 1;            // a point of the row is whole
    static constexpr int SpreadBit = ExceptionBit + 1;              // SpreadTrace's key is spread

    struct TException {
        qint64 Row;
        int Trace;
        TLogPoint Point;
    };

    TChunkedColumn<double> Times;
    TChunkedColumn<qint32> Counts;
    TChunkedColumn<TFlags> Flags;
    std::vector<TException> Exceptions;   // ordered by row, then trace
    std::vector<qint64> FirstRow = std::vector<qint64>(MaxTraces, -1);
    std::vector<qint64> LastRow = std::vector<qint64>(MaxTraces, -1);
    std::vector<qint64> PointCount = std::vector<qint64>(MaxTraces, 0);
    std::vector<TTraceOverview> Overviews = std::vector<TTraceOverview>(MaxTraces);
    // LogChannels::Level(trace, on) at [trace][on], looked up for every point.
    static const std::array<std::array<double, 2>, ChannelCount> Levels;
    int WeightDivisor = 1;
    qint64 LargestCount = 0;              // the largest count kept, as a magnitude
    int SpreadTrace = -1;                 // the one trace whose keys may be spread by bits

    static TFlags Bit(int n) { return TFlags(1) << n; }
    qint64 RowFor(int trace, double key);
    void Put(qint64 row, int trace, const TLogPoint &point);
    qint64 NewRow(double time);
    bool Encode(qint64 row, int trace, double value);
    static std::optional<qint32> CountOf(double value, qint64 divisor);
    bool TakeFinerDivisorFor(double value);
    TLogPoint Decode(qint64 row, int trace) const;
    double SpreadKey(qint64 row, int trace) const;
    const TException *ExceptionAt(qint64 row, int trace) const;
    void PutException(qint64 row, int trace, const TLogPoint &point);
};

// Walks one trace's points in order.
class TTraceCursor {
public:
    TTraceCursor(const TCompactLog &log, int trace)
        : Log(log), Trace(trace), Row(log.FirstRowOf(trace)), End(log.LastRowOf(trace))
    {
        if (Row < 0)
            Row = End + 1;
    }
    bool AtEnd() const { return Row > End; }
    TLogPoint Point() const { return Log.At(Row, Trace); }
    void Next()
    {
        while (++Row <= End && !Log.Has(Row, Trace)) {
        }
    }

private:
    const TCompactLog &Log;
    int Trace;
    qint64 Row, End;
};

template <typename Fn> void TCompactLog::ForEach(int trace, Fn fn) const
{
    if (trace < 0 || trace >= MaxTraces || LastRow[size_t(trace)] < 0)
        return;
    const TFlags mine = Bit(trace);
    const qint64 end = LastRow[size_t(trace)];
    for (qint64 row = FirstRow[size_t(trace)]; row <= end; ++row)
        if (Flags[size_t(row)] & mine)
            fn(Decode(row, trace));
}
