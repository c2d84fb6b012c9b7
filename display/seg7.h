#pragma once
// The lit-or-unlit elements of the seven-segment display. Each segment knows
// its own place in pixels of the control and the colours it was built with;
// the control rebuilds all of them whenever its size, factors or colours
// change, so a segment never has to follow a change itself.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <array>
#include <cstdint>

class QPainter;

struct TSegmentColors {
    QColor On;       // fill of a lit segment
    QColor Off;      // fill of an unlit segment
    QColor OnLine;   // outline of a lit segment
    QColor OffLine;  // outline of an unlit segment
};

// The root: a plain rectangle.
//
// Drawing goes through a sprite per state, rendered (smoothed) the first
// time that state is drawn: a new weight repaints the display up to a
// hundred times a second, and copying finished sprites costs a fraction of
// filling smoothed polygons each time. Position and shape are fixed once a
// segment has been drawn; the control builds new segments instead.
class TLCDSegment {
public:
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Left = 0;
    int32_t Top = 0;
    TSegmentColors Colors;

    TLCDSegment(int32_t width, int32_t height, int32_t left, int32_t top, const TSegmentColors &colors);
    virtual ~TLCDSegment() = default;
    TLCDSegment(const TLCDSegment &) = delete;
    TLCDSegment &operator=(const TLCDSegment &) = delete;

    virtual void Draw(QPainter &canvas, bool lit) const;
    // The pixels the segment may touch, for layout checks and repaint areas.
    virtual QRect Bounds() const;

protected:
    // Paints the shape itself in control coordinates.
    virtual void DrawShape(QPainter &canvas, bool lit) const;
    // Chooses brush and pen for the state; shared by every drawn shape.
    void SelectColors(QPainter &canvas, bool lit) const;

private:
    mutable std::array<QImage, 2> Sprites;
    const QImage &Sprite(bool lit) const;
    static bool FitsSprite(const QPainter &canvas, const QRect &area);
};

// A filled six-point polygon: the bars of a digit.
class TPolygonSegment : public TLCDSegment {
public:
    std::array<QPoint, 6> Vertices{};

    using TLCDSegment::TLCDSegment;
    QRect Bounds() const override;

protected:
    void DrawShape(QPainter &canvas, bool lit) const override;
};

// A rounded rectangle: decimal points and lamps.
class TRoundRectSegment : public TLCDSegment {
public:
    using TLCDSegment::TLCDSegment;

protected:
    void DrawShape(QPainter &canvas, bool lit) const override;
};

// A text stretched into the segment's rectangle: the unit labels.
class TStringSegment : public TLCDSegment {
public:
    QString Text;

    TStringSegment(int32_t width, int32_t height, int32_t left, int32_t top, const TSegmentColors &colors,
                   const QString &text);
    void Draw(QPainter &canvas, bool lit) const override;

    // The face the labels are written in: bold and condensed, with stand-ins
    // for machines that lack the instrument's own face.
    static QFont LabelFont(int pixelHeight);

protected:
    void DrawShape(QPainter &canvas, bool lit) const override;

private:
    QImage RenderText(bool lit) const;
};
