#include "logging/chartcursors.h"

#include "logging/chartview.h"

#include <cmath>
#include <qcustomplot.h>

TChartCursors::TChartCursors(QCustomPlot &chart) : Chart(chart)
{
    Chart.addLayer(QStringLiteral("cursors"), Chart.layer(QStringLiteral("main")), QCustomPlot::limAbove);
    Layer = Chart.layer(QStringLiteral("cursors"));
    Layer->setMode(QCPLayer::lmBuffered);
    const QPen pen(QColor(Qt::yellow), 1, Qt::SolidLine);
    for (auto &pair : Lines) {
        for (QCPItemStraightLine *&line : pair) {
            line = new QCPItemStraightLine(&Chart);
            line->setLayer(Layer);
            line->setPen(pen);
            line->setSelectable(false);
            line->setClipToAxisRect(true);
            line->point1->setType(QCPItemPosition::ptAbsolute);
            line->point2->setType(QCPItemPosition::ptAbsolute);
            line->setVisible(false);
        }
    }
}

void TChartCursors::Show(int index, bool visible)
{
    const QPoint pos = Cursors[size_t(index)].Pos;
    auto &pair = Lines[size_t(index)];
    pair[0]->point1->setCoords(pos.x(), 0);
    pair[0]->point2->setCoords(pos.x(), 1);
    pair[1]->point1->setCoords(0, pos.y());
    pair[1]->point2->setCoords(1, pos.y());
    for (QCPItemStraightLine *line : pair)
        line->setVisible(visible);
}

void TChartCursors::RepaintLayer()
{
    DrawingLayer = true;
    Layer->replot();
    DrawingLayer = false;
}

void TChartCursors::Draw(int index, QPoint pos, double time, double weight)
{
    Cursors[size_t(index)] = {pos, time, weight};
    Show(index, true);
    RepaintLayer();
}

void TChartCursors::Erase(int index)
{
    if (!Cursors[size_t(index)].Drawn())
        return;
    Show(index, false);
    Cursors[size_t(index)].Pos = QPoint(-1, -1);
    RepaintLayer();
}

void TChartCursors::Forget()
{
    for (size_t i = 0; i < Cursors.size(); ++i) {
        Cursors[i].Pos = QPoint(-1, -1);
        for (QCPItemStraightLine *line : Lines[i])
            line->setVisible(false);
    }
}

QString TChartCursors::Readout(const QString &units) const
{
    using ChartView::FormatAxisValue;
    const TChartCursor &one = Cursors[0];
    const TChartCursor &two = Cursors[1];
    if (!one.Drawn())
        return QString();
    if (!two.Drawn())
        return FormatAxisValue(one.Weight) + ' ' + units + QStringLiteral("   at   ") + FormatAxisValue(one.Time)
               + QStringLiteral(" sec");
    return FormatAxisValue(std::abs(two.Weight - one.Weight)) + ' ' + units + QStringLiteral("   over   ")
           + FormatAxisValue(std::abs(two.Time - one.Time)) + QStringLiteral(" secs");
}
