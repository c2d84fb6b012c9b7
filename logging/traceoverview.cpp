#include "logging/traceoverview.h"

#include <algorithm>
#include <cmath>

TTraceOverview::TTraceOverview(QSharedPointer<QCPGraphDataContainer> trace) : Source(std::move(trace)) {}

QSharedPointer<QCPGraphDataContainer> TTraceOverview::ForRange(double lower, double upper, int maxPoints)
{
    // Summarised at every drawing, a little at a time, so the first wide
    // view after hours of samples finds the work done.
    Summarise();
    const auto begin = Source->findBegin(lower);
    const auto end = Source->findEnd(upper);
    if (end - begin <= maxPoints)
        return Source;
    Build();
    return Overview;
}

bool TTraceOverview::TraceReplaced() const
{
    if (Summarised == 0)
        return false;
    if (Source->size() < Summarised)
        return true;
    const QCPGraphData &first = *Source->constBegin();
    const QCPGraphData &last = *(Source->constBegin() + (Summarised - 1));
    // A break in a trace has no value, and NaN never equals itself.
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return first.key != FirstSeen.key || !same(first.value, FirstSeen.value) || last.key != LastSeen.key
           || !same(last.value, LastSeen.value);
}

void TTraceOverview::Summarise()
{
    if (TraceReplaced()) {
        Summary.clear();
        Summarised = 0;
        BuiltFrom = -1;
    }
    const int whole = Source->size() / Bucket * Bucket;
    const auto data = Source->constBegin();
    for (; Summarised < whole; Summarised += Bucket) {
        const auto from = data + Summarised;
        const auto [low, high] = std::minmax_element(from, from + Bucket, [](const QCPGraphData &a, const QCPGraphData &b) {
            return a.value < b.value;
        });
        Summary.append(low < high ? *low : *high);
        if (low != high)
            Summary.append(low < high ? *high : *low);
    }
    if (Summarised > 0) {
        FirstSeen = *data;
        LastSeen = *(data + (Summarised - 1));
    }
}

void TTraceOverview::Build()
{
    const int size = Source->size();
    if (size == BuiltFrom)
        return;
    const auto data = Source->constBegin();
    const int whole = Summarised;
    Overview->set(Summary, true);
    QVector<QCPGraphData> tail(data + whole, data + size);
    Overview->add(tail, true);
    BuiltFrom = size;
}
