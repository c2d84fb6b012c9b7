#pragma once
// A thinned copy of one chart trace for views that span far more points
// than the chart has pixels: of every Bucket points of the trace, the
// lowest and the highest, in time order, followed by the newest points that
// fill no bucket yet. Drawn instead of the trace, it looks the same at
// screen resolution and costs a hundredth of the drawing. Each use
// summarises only what was appended since the last; a trace that was
// cleared or refilled is summarised again from its start.

#include <QSharedPointer>
#include <QVector>
#include <qcustomplot.h>

class TTraceOverview {
public:
    static constexpr int Bucket = 128;

    explicit TTraceOverview(QSharedPointer<QCPGraphDataContainer> trace);

    // What to draw for the time range lower..upper: the trace itself when
    // the range holds at most maxPoints of its points, else the overview.
    QSharedPointer<QCPGraphDataContainer> ForRange(double lower, double upper, int maxPoints);

    const QSharedPointer<QCPGraphDataContainer> &Trace() const { return Source; }

private:
    QSharedPointer<QCPGraphDataContainer> Source;
    QSharedPointer<QCPGraphDataContainer> Overview = QSharedPointer<QCPGraphDataContainer>::create();
    QVector<QCPGraphData> Summary;     // two points per whole bucket
    int Summarised = 0;                // trace points in whole buckets summarised
    int BuiltFrom = -1;                // trace size the overview was built from
    QCPGraphData FirstSeen, LastSeen;  // to notice a cleared and refilled trace

    void Summarise();
    void Build();
    bool TraceReplaced() const;
};
