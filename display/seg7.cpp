#include "display/seg7.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

TLCDSegment::TLCDSegment(int32_t width, int32_t height, int32_t left, int32_t top, const TSegmentColors &colors)
    : Width(width), Height(height), Left(left), Top(top), Colors(colors)
{
}

void TLCDSegment::SelectColors(QPainter &canvas, bool lit) const
{
    canvas.setBrush(lit ? Colors.On : Colors.Off);
    canvas.setPen(QPen(lit ? Colors.OnLine : Colors.OffLine, 0));
}

QRect TLCDSegment::Bounds() const
{
    return QRect(Left, Top, Width, Height);
}

const QImage &TLCDSegment::Sprite(bool lit) const
{
    QImage &sprite = Sprites[lit ? 1 : 0];
    if (!sprite.isNull())
        return sprite;
    const QRect area = Bounds();
    sprite = QImage(area.size(), QImage::Format_ARGB32_Premultiplied);
    sprite.fill(Qt::transparent);
    QPainter painter(&sprite);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(-area.topLeft());
    DrawShape(painter, lit);
    return sprite;
}

// A segment larger than the canvas (absurd glass factors) is drawn
// directly: a sprite of it could take any amount of memory.
bool TLCDSegment::FitsSprite(const QPainter &canvas, const QRect &area)
{
    const QPaintDevice *device = canvas.device();
    return device && area.width() <= device->width() && area.height() <= device->height();
}

void TLCDSegment::Draw(QPainter &canvas, bool lit) const
{
    const QRect area = Bounds();
    if (area.isEmpty())
        return;
    if (FitsSprite(canvas, area)) {
        canvas.drawImage(area.topLeft(), Sprite(lit));
        return;
    }
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform);
    DrawShape(canvas, lit);
    canvas.restore();
}

// Rectangles exclude their right and bottom edge (left + width is the first
// pixel outside), as on the canvas the layout was designed for; a stroked
// rectangle is one pixel larger than its size, hence the -1.
void TLCDSegment::DrawShape(QPainter &canvas, bool lit) const
{
    SelectColors(canvas, lit);
    canvas.drawRect(QRectF(Left + 0.5, Top + 0.5, Width - 1, Height - 1));
}

// Vertices name pixels; a pixel's centre is half a unit in.
void TPolygonSegment::DrawShape(QPainter &canvas, bool lit) const
{
    SelectColors(canvas, lit);
    std::array<QPointF, 6> points;
    for (size_t i = 0; i < Vertices.size(); ++i)
        points[i] = QPointF(Vertices[i]) + QPointF(0.5, 0.5);
    canvas.drawPolygon(points.data(), int(points.size()));
}

QRect TPolygonSegment::Bounds() const
{
    return QPolygon(QList<QPoint>(Vertices.begin(), Vertices.end())).boundingRect();
}

void TRoundRectSegment::DrawShape(QPainter &canvas, bool lit) const
{
    SelectColors(canvas, lit);
    // The corner ellipse is three fifths of the box each way, so a small
    // square box becomes the round dot of a lamp.
    const qreal radiusX = (Width * 3 / 5) / 2.0;
    const qreal radiusY = (Height * 3 / 5) / 2.0;
    canvas.drawRoundedRect(QRectF(Left + 0.5, Top + 0.5, Width - 1, Height - 1), radiusX, radiusY);
}

TStringSegment::TStringSegment(int32_t width, int32_t height, int32_t left, int32_t top,
                               const TSegmentColors &colors, const QString &text)
    : TLCDSegment(width, height, left, top, colors), Text(text)
{
}

QFont TStringSegment::LabelFont(int pixelHeight)
{
    QFont font;
    font.setFamilies({QStringLiteral("Univers Condensed"), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Nimbus Sans Narrow"), QStringLiteral("Arial Narrow"),
                      QStringLiteral("DejaVu Sans Condensed")});
    font.setStretch(QFont::Condensed);
    font.setBold(true);
    font.setPixelSize(qMax(1, pixelHeight));
    return font;
}

// The text at its natural size on the unlit fill: an unlit label vanishes
// into the glass. It is stretched into the box afterwards, so a box taller
// than any screen gains nothing from a taller font, only a huge bitmap.
QImage TStringSegment::RenderText(bool lit) const
{
    constexpr int32_t TallestFont = 1024;
    const QFont font = LabelFont(qMin(Height, TallestFont));
    const QFontMetrics metrics(font);
    QImage image(QSize(qMax(1, metrics.horizontalAdvance(Text)), qMax(1, metrics.height())),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Colors.Off);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(lit ? Colors.On : Colors.Off);
    painter.drawText(QPoint(0, metrics.ascent()), Text);
    return image;
}

void TStringSegment::DrawShape(QPainter &canvas, bool lit) const
{
    canvas.drawImage(QRect(Left, Top, Width, Height), RenderText(lit));
}

void TStringSegment::Draw(QPainter &canvas, bool lit) const
{
    if (!Text.isEmpty())
        TLCDSegment::Draw(canvas, lit);
}
