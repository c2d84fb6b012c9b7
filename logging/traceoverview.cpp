#include "logging/traceoverview.h"

#include <algorithm>
#include <cmath>

void TTraceOverview::TSpan::Take(const TSpan &other)
{
    Lo = std::min(Lo, other.Lo);
    Hi = std::max(Hi, other.Hi);
    Break = Break || other.Break;
}

std::array<qint64, TTraceOverview::LevelCount> TTraceOverview::MakeNoBlocks()
{
    std::array<qint64, LevelCount> none{};
    none.fill(-1);
    return none;
}

void TTraceOverview::Clear()
{
    for (std::deque<TSpan> &spans : Closed)
        spans.clear();
    Open.fill(TSpan{});
    OpenIndex = MakeNoBlocks();
    Lo = std::numeric_limits<double>::infinity();
    Hi = -std::numeric_limits<double>::infinity();
}

// The finest open block closes: it is folded into the open blocks of the
// coarser levels, and every level whose block `row` leaves keeps it and
// opens the block of `row` (blocks without rows stay empty).
void TTraceOverview::Advance(qint64 row)
{
    const TSpan finest = Open.back();
    for (size_t level = 0; level < LevelCount; ++level) {
        if (level + 1 < LevelCount)
            Open[level].Take(finest);
        const qint64 index = row / Levels[level];
        if (index == OpenIndex[level])
            continue;
        if (OpenIndex[level] >= 0) {
            std::deque<TSpan> &closed = Closed[level];
            closed.resize(size_t(OpenIndex[level]));
            closed.push_back(Open[level]);
        }
        Open[level] = TSpan{};
        OpenIndex[level] = index;
    }
}

TTraceOverview::TSpan TTraceOverview::Span(qint64 rows, qint64 index) const
{
    const auto level = size_t(std::find(Levels.begin(), Levels.end(), rows) - Levels.begin());
    if (level >= LevelCount || index < 0)
        return {};
    if (index == OpenIndex[level]) {
        TSpan open = Open[level];
        open.Take(Open.back());   // the finest open block lies within it
        return open;
    }
    return index < qint64(Closed[level].size()) ? Closed[level][size_t(index)] : TSpan{};
}

bool TTraceOverview::Bounds(double &lo, double &hi) const
{
    if (Lo > Hi)
        return false;
    lo = Lo;
    hi = Hi;
    return true;
}

qint64 TTraceOverview::AllocatedBytes() const
{
    qint64 bytes = 0;
    for (const std::deque<TSpan> &spans : Closed)
        bytes += DequeAllocatedBytes(spans);
    return bytes;
}
