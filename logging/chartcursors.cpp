#include "logging/chartcursors.h"

#include "logging/chartview.h"
#include "logging/loggingsession.h"

#include <cmath>
#include <qcustomplot.h>

namespace {
// A line from one edge of the plot area to the other: along the plot's own
// coordinate at `value`, from ratio 0 to ratio 1 of the area the other way.
void PlaceAcross(QCPItemLine &line, bool vertical, double value)
{
    for (int end = 0; end < 2; ++end) {
        QCPItemPosition *point = end == 0 ? line.start : line.end;
        if (vertical) {
            point->setTypeX(QCPItemPosition::ptPlotCoords);
            point->setTypeY(QCPItemPosition::ptAxisRectRatio);
            point->setCoords(value, end);
        } else {
            point->setTypeX(QCPItemPosition::ptAxisRectRatio);
            point->setTypeY(QCPItemPosition::ptPlotCoords);
            point->setCoords(end, value);
        }
    }
}
} // namespace

TChartCursors::TChartCursors(QCustomPlot &chart) : Chart(chart)
{
    Chart.addLayer(QStringLiteral("cursors"), Chart.layer(QStringLiteral("main")), QCustomPlot::limAbove);
    Layer = Chart.layer(QStringLiteral("cursors"));
    Layer->setMode(QCPLayer::lmBuffered);
    const QPen pen(Colour(), 1, Qt::SolidLine);
    for (auto &pair : Lines) {
        for (QCPItemLine *&line : pair) {
            line = new QCPItemLine(&Chart);
            line->setLayer(Layer);
            line->setPen(pen);
            line->setSelectable(false);
            line->setClipToAxisRect(true);
            line->setVisible(false);
        }
    }
}

void TChartCursors::Show(int index, bool visible)
{
    const TChartCursor &cursor = Cursors[size_t(index)];
    auto &pair = Lines[size_t(index)];
    PlaceAcross(*pair[0], true, cursor.Time);
    PlaceAcross(*pair[1], false, cursor.Weight);
    for (QCPItemLine *line : pair)
        line->setVisible(visible);
}

void TChartCursors::Draw(int index, QPoint pos, double time, double weight)
{
    Cursors[size_t(index)] = {pos, time, weight};
    Show(index, true);
    Layer->replot();
}

void TChartCursors::Erase(int index)
{
    if (!Cursors[size_t(index)].Drawn())
        return;
    Show(index, false);
    Cursors[size_t(index)].Pos = QPoint(-1, -1);
    Layer->replot();
}

QString TChartCursors::Readout(const QString &units, const TLoggingSession *logging) const
{
    using ChartView::FormatAxisValue;
    const TChartCursor &one = Cursors[0];
    const TChartCursor &two = Cursors[1];
    if (!one.Drawn())
        return QString();
    QString text = !two.Drawn() ? FormatAxisValue(one.Weight) + ' ' + units + QStringLiteral("   at   ")
                                      + FormatAxisValue(one.Time) + QStringLiteral(" sec")
                                : FormatAxisValue(std::abs(two.Weight - one.Weight)) + ' ' + units
                                      + QStringLiteral("   over   ") + FormatAxisValue(std::abs(two.Time - one.Time))
                                      + QStringLiteral(" secs");
    if (!logging || logging->Traces.size() < size_t(TLoggingSession::FirstUnitTrace) + 2)
        return text;
    for (size_t trace = TLoggingSession::FirstUnitTrace; trace < logging->Traces.size(); ++trace) {
        const auto at1 = logging->Points.PointAtOrBefore(int(trace), one.Time);
        const auto at2 = two.Drawn() ? logging->Points.PointAtOrBefore(int(trace), two.Time) : at1;
        const QString value = !at1 || !at2 ? QStringLiteral("-")
                              : two.Drawn() ? FormatAxisValue(std::abs(at2->value - at1->value))
                                            : FormatAxisValue(at1->value);
        text += QStringLiteral("   %1: %2").arg(logging->Traces[trace].Title, value);
    }
    return text;
}
