#include "logging/traceplot.h"

#include "logging/compactlog.h"

#include <algorithm>
#include <cmath>

TTracePlot::TTracePlot(QCPAxis *timeAxis, QCPAxis *valueAxis, const TCompactLog &points, int trace, bool stairs)
    : QCPAbstractPlottable(timeAxis, valueAxis), Points(points), TraceIndex(trace), Stairs(stairs)
{
}

qsizetype TTracePlot::PointCount() const
{
    return Points.Size(TraceIndex);
}

double TTracePlot::selectTest(const QPointF &, bool, QVariant *) const
{
    return -1;
}

QCPRange TTracePlot::getKeyRange(bool &foundRange, QCP::SignDomain) const
{
    foundRange = PointCount() > 0;
    if (!foundRange)
        return {};
    return QCPRange(Points.At(Points.FirstRowOf(TraceIndex), TraceIndex).key, Points.Last(TraceIndex).key);
}

QCPRange TTracePlot::getValueRange(bool &foundRange, QCP::SignDomain, const QCPRange &) const
{
    double lo = 0, hi = 0;
    foundRange = Points.Overview(TraceIndex).Bounds(lo, hi);
    return foundRange ? QCPRange(lo, hi) : QCPRange();
}

void TTracePlot::drawLegendIcon(QCPPainter *painter, const QRectF &rect) const
{
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->drawLine(QLineF(rect.left(), rect.center().y(), rect.right(), rect.center().y()));
}

void TTracePlot::draw(QCPPainter *painter)
{
    if (!mKeyAxis || !mValueAxis || PointCount() == 0)
        return;
    const QCPRange time = mKeyAxis->range();
    // The trace's points next beyond each edge too, so its lines run out of
    // the view (a trace of one unit of several has a point every few rows).
    const qint64 first = NearestPointRow(Points.RowAtOrAfter(time.lower) - 1, -1);
    const qint64 last = NearestPointRow(Points.RowAtOrAfter(time.upper), +1);
    if (first > last)
        return;
    const double pixels = std::max(1.0, std::abs(mKeyAxis->coordToPixel(time.upper) - mKeyAxis->coordToPixel(time.lower)));
    const double rowsPerPixel = double(last - first + 1) / pixels;
    applyDefaultAntialiasingHint(painter);
    painter->setPen(mPen);
    painter->setBrush(Qt::NoBrush);
    if (rowsPerPixel <= 4)
        DrawPoints(painter, first, last);
    else
        DrawColumns(painter, first, last, rowsPerPixel);
}

qint64 TTracePlot::NearestPointRow(qint64 row, int step) const
{
    // A short search: beyond it, the line ends a little short of the edge.
    constexpr int MostRows = 1000;
    row = std::clamp(row, Points.FirstRowOf(TraceIndex), Points.LastRowOf(TraceIndex));
    for (int i = 0; i < MostRows && !Points.Has(row, TraceIndex); ++i) {
        const qint64 next = row + step;
        if (next < Points.FirstRowOf(TraceIndex) || next > Points.LastRowOf(TraceIndex))
            break;
        row = next;
    }
    return row;
}

namespace {
// Pixels far outside the plot (a value of 1e300 in a hand-edited log, a
// point an hour beyond the view's edge) are brought within a range the
// painter's fixed-point arithmetic holds; the visible part of a line keeps
// its slope to well below a pixel.
constexpr double FarPixels = 4'000'000;

QPointF Clamped(double x, double y)
{
    return QPointF(std::clamp(x, -FarPixels, FarPixels), std::clamp(y, -FarPixels, FarPixels));
}

void DrawLine(QCPPainter *painter, QVector<QPointF> &line)
{
    if (line.size() > 1)
        painter->drawPolyline(line.constData(), int(line.size()));
    else if (line.size() == 1)
        painter->drawPoint(line.front());
    line.clear();
}
} // namespace

void TTracePlot::DrawPoints(QCPPainter *painter, qint64 first, qint64 last) const
{
    QVector<QPointF> line;
    for (qint64 row = first; row <= last; ++row) {
        if (!Points.Has(row, TraceIndex))
            continue;
        const TLogPoint point = Points.At(row, TraceIndex);
        if (std::isnan(point.value)) {
            DrawLine(painter, line);
            continue;
        }
        const QPointF pixel = coordsToPixels(point.key, point.value);
        const QPointF at = Clamped(pixel.x(), pixel.y());
        // A channel holds its level until its next point.
        if (Stairs && !line.isEmpty())
            line.append(QPointF(at.x(), line.back().y()));
        line.append(at);
    }
    DrawLine(painter, line);
}

namespace {
// The values that fall into one pixel column, drawn as one stroke.
class TColumns {
public:
    TColumns(QCPPainter *painter, const QCPAxis &time, const QCPAxis &value)
        : Painter(painter), TimeAxis(time), ValueAxis(value)
    {
    }
    void Take(double key, const TTraceOverview::TSpan &span)
    {
        const double x = std::floor(TimeAxis.coordToPixel(key));
        if (Open && (x != X || span.Break))
            Close();
        if (span.Break)
            DrawLine(Painter, Line);
        if (span.Empty())
            return;
        if (!Open) {
            X = x;
            Column = TTraceOverview::TSpan{};
            Open = true;
        }
        Column.Take(span);
    }
    void Finish()
    {
        Close();
        DrawLine(Painter, Line);
    }

private:
    QCPPainter *Painter;
    const QCPAxis &TimeAxis;
    const QCPAxis &ValueAxis;
    QVector<QPointF> Line;
    TTraceOverview::TSpan Column;
    double X = 0;
    bool Open = false;

    void Close()
    {
        if (!Open)
            return;
        Line.append(Clamped(X, ValueAxis.coordToPixel(Column.Lo)));
        if (Column.Hi != Column.Lo)
            Line.append(Clamped(X, ValueAxis.coordToPixel(Column.Hi)));
        Open = false;
    }
};
} // namespace

void TTracePlot::DrawColumns(QCPPainter *painter, qint64 first, qint64 last, double rowsPerPixel) const
{
    const TTraceOverview &overview = Points.Overview(TraceIndex);
    TColumns columns(painter, *mKeyAxis, *mValueAxis);
    // The rows of the largest whole block starting at `row` that fits in
    // a pixel column, with its summary; 0 when there is none. A block
    // whose summary holds a break is walked at the next finer level, so
    // the line ends where the silence is.
    const auto blockAt = [&](qint64 row, TTraceOverview::TSpan &span) -> qint64 {
        for (const qint64 rows : TTraceOverview::Levels)
            if (rowsPerPixel >= double(rows) && row % rows == 0 && row + rows - 1 <= last) {
                span = overview.Span(rows, row / rows);
                if (!span.Break)
                    return rows;
            }
        return 0;
    };
    TTraceOverview::TSpan span;
    for (qint64 row = first; row <= last;) {
        if (const qint64 rows = blockAt(row, span)) {
            columns.Take(Points.Time(row), span);
            row += rows;
            continue;
        }
        if (Points.Has(row, TraceIndex)) {
            const TLogPoint point = Points.At(row, TraceIndex);
            TTraceOverview::TSpan one;
            one.Take(point.value);
            columns.Take(point.key, one);
        }
        ++row;
    }
    columns.Finish();
}
