#pragma once
// One trace of a logging session drawn straight from the compact columns,
// with no copy of its points. A view over fewer rows than a few times its
// width in pixels draws every point (as stairs for the channels); a wider
// one draws, for each pixel column, a stroke from the lowest to the highest
// value there, taken from the trace's overview where a whole block of rows
// falls into one column, so days of samples draw in a few milliseconds.
// A point without a value (a break over a silence) ends the line.

#include <qcustomplot.h>

class TCompactLog;

class TTracePlot : public QCPAbstractPlottable {
    Q_OBJECT
public:
    TTracePlot(QCPAxis *timeAxis, QCPAxis *valueAxis, const TCompactLog &points, int trace, bool stairs);

    int Trace() const { return TraceIndex; }
    qsizetype PointCount() const;

    // The traces cannot be selected: no press searches millions of points.
    double selectTest(const QPointF &pos, bool onlySelectable, QVariant *details = nullptr) const override;
    QCPRange getKeyRange(bool &foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool &foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange &inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter *painter) override;
    void drawLegendIcon(QCPPainter *painter, const QRectF &rect) const override;

private:
    const TCompactLog &Points;
    int TraceIndex;
    bool Stairs;

    qint64 NearestPointRow(qint64 row, int step) const;
    void DrawPoints(QCPPainter *painter, qint64 first, qint64 last) const;
    void DrawColumns(QCPPainter *painter, qint64 first, qint64 last, double rowsPerPixel) const;
};
