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
    Fine.clear();
    Coarse.clear();
    Lo = std::numeric_limits<double>::infinity();
    Hi = -std::numeric_limits<double>::infinity();
    OpenFine = OpenCoarse = -1;
}

void TTraceOverview::TakeElsewhere(qint64 row, double value)
{
    const qint64 fine = row / FineRows, coarse = row / CoarseRows;
    Fine.resize(size_t(std::max<qint64>(qint64(Fine.size()), fine + 1)));
    Coarse.resize(size_t(std::max<qint64>(qint64(Coarse.size()), coarse + 1)));
    Fine[size_t(fine)].Take(value);
    Coarse[size_t(coarse)].Take(value);
    OpenFine = fine == qint64(Fine.size()) - 1 ? fine : -1;
    OpenCoarse = coarse == qint64(Coarse.size()) - 1 ? coarse : -1;
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
