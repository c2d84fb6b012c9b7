#include "logging/traceoverview.h"

#include <algorithm>
#include <cmath>

void TTraceOverview::TSpan::Take(const TSpan &other)
{
    Lo = std::min(Lo, other.Lo);
    Hi = std::max(Hi, other.Hi);
    Break = Break || other.Break;
}

void TTraceOverview::Clear()
{
    for (std::deque<TSpan> &spans : Spans)
        spans.clear();
    Lo = std::numeric_limits<double>::infinity();
    Hi = -std::numeric_limits<double>::infinity();
    OpenBlock = -1;
}

void TTraceOverview::TakeElsewhere(qint64 row, double value)
{
    bool atBacks = true;
    for (size_t level = 0; level < Levels.size(); ++level) {
        std::deque<TSpan> &spans = Spans[level];
        const qint64 index = row / Levels[level];
        spans.resize(size_t(std::max<qint64>(qint64(spans.size()), index + 1)));
        spans[size_t(index)].Take(value);
        atBacks = atBacks && index == qint64(spans.size()) - 1;
    }
    OpenBlock = atBacks ? row / Levels.back() : -1;
}

TTraceOverview::TSpan TTraceOverview::Span(qint64 rows, qint64 index) const
{
    const auto level = size_t(std::find(Levels.begin(), Levels.end(), rows) - Levels.begin());
    if (level >= Levels.size() || index < 0 || index >= qint64(Spans[level].size()))
        return {};
    return Spans[level][size_t(index)];
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
    for (const std::deque<TSpan> &spans : Spans)
        bytes += DequeAllocatedBytes(spans);
    return bytes;
}
