#pragma once
// The two cross-hair cursors on the logging chart and the read-out they
// give. Each cross-hair is a pair of yellow lines across the plot area on
// a layer of its own, so drawing or removing one repaints that layer only,
// never the traces; like a picture drawn over the chart, any full repaint
// of the chart removes them.

#include <QPoint>
#include <QString>
#include <array>

class QCustomPlot;
class QCPItemStraightLine;
class QCPLayer;

struct TChartCursor {
    QPoint Pos{-1, -1};          // x = -1: not drawn
    double Time = 0;
    double Weight = 0;
    bool Drawn() const { return Pos.x() >= 0; }
};

class TChartCursors {
public:
    explicit TChartCursors(QCustomPlot &chart);

    // Draws cursor 0 or 1 at a pixel position with its axis values.
    void Draw(int index, QPoint pos, double time, double weight);
    void Erase(int index);
    // A full repaint has removed both cross-hairs.
    void Forget();
    const TChartCursor &Cursor(int index) const { return Cursors[size_t(index)]; }
    // True while the cursors' own layer is being repainted.
    bool Drawing() const { return DrawingLayer; }

    // The read-out under the chart for the cursors as they stand.
    QString Readout(const QString &units) const;

private:
    QCustomPlot &Chart;
    QCPLayer *Layer = nullptr;
    std::array<TChartCursor, 2> Cursors{};
    std::array<std::array<QCPItemStraightLine *, 2>, 2> Lines{};
    bool DrawingLayer = false;

    void Show(int index, bool visible);
    void RepaintLayer();
};
