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

// Rectangles exclude their right and bottom edge (left + width is the first
// pixel outside), as on the canvas the layout was designed for; a stroked
// QRect is one pixel larger than its size, hence the -1.
void TLCDSegment::Draw(QPainter &canvas, bool lit) const
{
    if (Width <= 0 || Height <= 0)
        return;
    SelectColors(canvas, lit);
    canvas.drawRect(QRectF(Left + 0.5, Top + 0.5, Width - 1, Height - 1));
}

QRect TLCDSegment::Bounds() const
{
    return QRect(Left, Top, Width, Height);
}

void TPolygonSegment::Draw(QPainter &canvas, bool lit) const
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

void TRoundRectSegment::Draw(QPainter &canvas, bool lit) const
{
    if (Width <= 0 || Height <= 0)
        return;
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

const QImage &TStringSegment::RenderedText(bool lit) const
{
    QImage &image = Rendered[lit ? 1 : 0];
    if (!image.isNull())
        return image;
    const QFont font = LabelFont(Height);
    const QFontMetrics metrics(font);
    const QSize size(qMax(1, metrics.horizontalAdvance(Text)), qMax(1, metrics.height()));
    image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    // The box keeps the unlit fill behind the text, so an unlit label
    // vanishes into the glass.
    image.fill(Colors.Off);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(lit ? Colors.On : Colors.Off);
    painter.drawText(QPoint(0, metrics.ascent()), Text);
    return image;
}

void TStringSegment::Draw(QPainter &canvas, bool lit) const
{
    if (Text.isEmpty() || Width <= 0 || Height <= 0)
        return;
    canvas.drawImage(QRect(Left, Top, Width, Height), RenderedText(lit));
}
