#pragma once
// A summary of one trace of the compact columns, for views that span far
// more rows than the chart has pixels: for every block of rows, at three
// sizes (Levels), the lowest and the highest value and whether a break (a
// point without a value) lies among them. It is kept up to date as the
// points come, at a tenth of a byte a row, so the first wide view after days
// of samples finds nothing left to do.

#include <QtGlobal>
#include <algorithm>
#include <array>
#include <cfloat>
#include <deque>
#include <limits>

// Bytes a deque has taken from the heap: its part-filled blocks and block
// map (the block size of the standard library's deque).
template <typename T> qint64 DequeAllocatedBytes(const std::deque<T> &column)
{
    constexpr qint64 BlockBytes = 512;   // libstdc++'s deque block
    const qint64 perBlock = qMax<qint64>(BlockBytes / qint64(sizeof(T)), 1);
    const qint64 blocks = qint64(column.size()) / perBlock + 1;
    return blocks * (perBlock * qint64(sizeof(T)) + qint64(sizeof(T *)));
}

class TTraceOverview {
public:
    // Rows a block holds at each level, the largest first.
    static constexpr std::array<qint64, 3> Levels{8192, 1024, 128};

    // Values are drawn, never read back, so single precision is enough.
    struct TSpan {
        float Lo = std::numeric_limits<float>::infinity();
        float Hi = -std::numeric_limits<float>::infinity();
        bool Break = false;
        bool Empty() const { return Lo > Hi; }
        void Take(double value)
        {
            if (value != value) {   // no value: a break
                Break = true;
                return;
            }
            // Beyond a float's range a value is drawn far off the plot anyway.
            const auto narrow = float(std::clamp(value, -double(FLT_MAX), double(FLT_MAX)));
            Lo = std::min(Lo, narrow);
            Hi = std::max(Hi, narrow);
        }
        void Take(const TSpan &other);
    };

    void Clear();
    // A point of the trace at `row`; rows come in ascending order.
    void Take(qint64 row, double value)
    {
        // Most points fall into the open block of the finest level, which
        // is folded into the others only when it closes.
        if (row / Levels.back() != OpenIndex.back())
            Advance(row);
        Open.back().Take(value);
        if (value == value) {
            Lo = std::min(Lo, value);
            Hi = std::max(Hi, value);
        }
    }
    // The summary of rows [index * rows, (index + 1) * rows), rows being
    // one of Levels; empty beyond the rows taken.
    TSpan Span(qint64 rows, qint64 index) const;
    // The lowest and the highest value of the whole trace (breaks aside),
    // exactly as given; false when it has none.
    bool Bounds(double &lo, double &hi) const;
    qint64 AllocatedBytes() const;

private:
    static constexpr size_t LevelCount = Levels.size();
    std::array<std::deque<TSpan>, LevelCount> Closed;   // by level, the blocks before the open one
    std::array<TSpan, LevelCount> Open;                 // the newest block of each level
    std::array<qint64, LevelCount> OpenIndex = MakeNoBlocks();
    double Lo = std::numeric_limits<double>::infinity();
    double Hi = -std::numeric_limits<double>::infinity();

    static std::array<qint64, LevelCount> MakeNoBlocks();
    void Advance(qint64 row);
};
