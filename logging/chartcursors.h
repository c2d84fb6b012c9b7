#pragma once
// The two cross-hair cursors on the logging chart and the read-out they
// give. Each cross-hair is a pair of lines across the plot area on a layer
// of its own, so drawing or removing one repaints that layer only, never
// the traces. The lines hang on the time and weight under the press, not on
// its pixel: every repaint of a live chart draws them again where that
// sample now is, until the next press removes them.

#include <QColor>
#include <QPoint>
#include <QString>
#include <array>

class QCustomPlot;
class QCPItemLine;
class QCPLayer;
class TLoggingSession;

struct TChartCursor {
    QPoint Pos{-1, -1};          // x = -1: not drawn
    double Time = 0;
    double Weight = 0;
    bool Drawn() const { return Pos.x() >= 0; }
};

class TChartCursors {
public:
    // Black stands out on the white plot and on every trace colour.
    static QColor Colour() { return QColor(Qt::black); }

    explicit TChartCursors(QCustomPlot &chart);

    // Draws cursor 0 or 1 at a pixel position with its axis values.
    void Draw(int index, QPoint pos, double time, double weight);
    void Erase(int index);
    const TChartCursor &Cursor(int index) const { return Cursors[size_t(index)]; }

    // The read-out under the chart for the cursors as they stand. With the
    // traces of several units in `logging`, each unit's weight follows: its
    // last sample at the cursor's time, or its change between the two
    // cursors ("ADDR 2: 150"; "-" where it has no sample).
    QString Readout(const QString &units, const TLoggingSession *logging = nullptr) const;

private:
    QCustomPlot &Chart;
    QCPLayer *Layer = nullptr;
    std::array<TChartCursor, 2> Cursors{};
    // Per cursor: the vertical line, then the horizontal one.
    std::array<std::array<QCPItemLine *, 2>, 2> Lines{};

    void Show(int index, bool visible);
};
