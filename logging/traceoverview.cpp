#include "logging/traceoverview.h"

#include <algorithm>
#include <cmath>

void TTraceOverview::TSpan::Take(double value)
{
    if (std::isnan(value)) {
        Break = true;
        return;
    }
    Lo = std::min(Lo, float(value));
    Hi = std::max(Hi, float(value));
}

void TTraceOverview::TSpan::Take(const TSpan &other)
{
    Lo = std::min(Lo, other.Lo);
    Hi = std::max(Hi, other.Hi);
    Break = Break || other.Break;
}

void TTraceOverview::Clear()
{
    Fine.clear();
    Coarse.clear();
    Lo = std::numeric_limits<double>::infinity();
    Hi = -std::numeric_limits<double>::infinity();
}

void TTraceOverview::TakeInto(std::deque<TSpan> &spans, qint64 index, double value)
{
    if (qint64(spans.size()) <= index)
        spans.resize(size_t(index) + 1);
    spans[size_t(index)].Take(value);
}

void TTraceOverview::Take(qint64 row, double value)
{
    TakeInto(Fine, row / FineRows, value);
    TakeInto(Coarse, row / CoarseRows, value);
    if (!std::isnan(value)) {
        Lo = std::min(Lo, value);
        Hi = std::max(Hi, value);
    }
}

TTraceOverview::TSpan TTraceOverview::Span(qint64 rows, qint64 index) const
{
    const std::deque<TSpan> &spans = rows == CoarseRows ? Coarse : Fine;
    return index >= 0 && index < qint64(spans.size()) ? spans[size_t(index)] : TSpan{};
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
    return DequeAllocatedBytes(Fine) + DequeAllocatedBytes(Coarse);
}
