#include "display/frontpanel/frontpanelpicture.h"

#include "display/lcdlayout.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>

namespace {

constexpr int DesignWidth = 600;
constexpr int DesignHeight = 400;

const QColor CaseEdge(18, 20, 24);
const QColor PlateTop(70, 77, 88);
const QColor PlateBottom(38, 42, 49);
const QColor Accent(31, 111, 178);
const QColor LegendText(214, 219, 226);
const QColor KeyFaceTop(236, 238, 241);
const QColor KeyFaceBottom(190, 196, 204);
const QColor KeyText(30, 34, 40);

class TPanelPainter {
public:
    TPanelPainter(QImage &image, const TFrontPanelGlass &glass) : Image(image), Glass(glass), P(&image)
    {
        P.setRenderHint(QPainter::Antialiasing);
        P.setRenderHint(QPainter::TextAntialiasing);
    }

    void Draw()
    {
        DrawCase();
        DrawHeader();
        DrawBezel();
        DrawLampLegends();
        DrawKeypad();
        DrawPowerLamp();
        DrawFooter();
    }

private:
    QImage &Image;
    TFrontPanelGlass Glass;
    QPainter P;

    qreal W() const { return Image.width(); }
    qreal H() const { return Image.height(); }
    // Design units (600 × 400) to pixels.
    QRectF Design(qreal left, qreal top, qreal right, qreal bottom) const
    {
        return QRectF(QPointF(left * W() / DesignWidth, top * H() / DesignHeight),
                      QPointF(right * W() / DesignWidth, bottom * H() / DesignHeight));
    }
    QRectF GlassRect() const
    {
        return QRectF(Glass.XOffset * W() / 1000, Glass.YOffset * H() / 1000, Glass.Width * W() / 1000,
                      Glass.Height * H() / 1000);
    }
    QFont Face(qreal pixels, bool bold, bool italic = false) const
    {
        QFont font;
        font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
        font.setPixelSize(qMax(1, qRound(pixels)));
        font.setBold(bold);
        font.setItalic(italic);
        return font;
    }
    void Text(const QRectF &box, const QString &text, qreal pixels, bool bold, const QColor &color,
              int flags = Qt::AlignCenter, bool italic = false)
    {
        P.setFont(Face(pixels, bold, italic));
        P.setPen(color);
        P.drawText(box, flags, text);
    }

    void DrawCase()
    {
        P.fillRect(Image.rect(), CaseEdge);
        const qreal margin = H() * 0.012;
        const QRectF plate = QRectF(Image.rect()).adjusted(margin, margin, -margin, -margin);
        QLinearGradient shade(plate.topLeft(), plate.bottomLeft());
        shade.setColorAt(0, PlateTop);
        shade.setColorAt(1, PlateBottom);
        P.setPen(QPen(QColor(95, 103, 115), 2));
        P.setBrush(shade);
        P.drawRoundedRect(plate, H() * 0.04, H() * 0.04);
        for (const QPointF corner : {plate.topLeft(), plate.topRight(), plate.bottomLeft(), plate.bottomRight()})
            DrawScrew(QPointF(corner.x() + (corner.x() < W() / 2 ? 1 : -1) * H() * 0.035,
                              corner.y() + (corner.y() < H() / 2 ? 1 : -1) * H() * 0.035));
    }

    void DrawScrew(QPointF centre)
    {
        const qreal r = H() * 0.011;
        QRadialGradient metal(centre - QPointF(r / 3, r / 3), r * 1.4);
        metal.setColorAt(0, QColor(200, 204, 210));
        metal.setColorAt(1, QColor(96, 100, 108));
        P.setPen(QPen(QColor(20, 22, 26), 1));
        P.setBrush(metal);
        P.drawEllipse(centre, r, r);
        P.setPen(QPen(QColor(50, 54, 60), qMax(1.0, r / 4)));
        P.drawLine(centre + QPointF(-r * 0.6, r * 0.2), centre + QPointF(r * 0.6, -r * 0.2));
    }

    void DrawHeader()
    {
        const QRectF glass = GlassRect();
        const QRectF band(glass.left(), H() * 0.035, glass.width(), glass.top() - H() * 0.055);
        Text(band, QStringLiteral("Quenvale"), band.height() * 0.78, true, Qt::white,
             Qt::AlignLeft | Qt::AlignVCenter, true);
        const QRectF modelBox(band.left(), band.top(), band.width(), band.height() * 0.62);
        Text(modelBox, QStringLiteral("KD4620"), band.height() * 0.5, true, LegendText,
             Qt::AlignRight | Qt::AlignBottom);
        const QRectF subtitle(band.left(), modelBox.bottom(), band.width(), band.height() * 0.38);
        Text(subtitle, QStringLiteral("DIGITAL WEIGHING INDICATOR"), band.height() * 0.2, false,
             QColor(160, 168, 178), Qt::AlignRight | Qt::AlignVCenter);
        P.fillRect(QRectF(H() * 0.05, glass.top() - H() * 0.018, W() - H() * 0.1, qMax(2.0, H() * 0.004)),
                   Accent);
    }

    void DrawBezel()
    {
        const QRectF glass = GlassRect();
        const qreal frame = H() * 0.022;
        const QRectF outer = glass.adjusted(-frame, -frame, frame, frame);
        QLinearGradient rim(outer.topLeft(), outer.bottomLeft());
        rim.setColorAt(0, QColor(8, 9, 11));
        rim.setColorAt(1, QColor(44, 48, 54));
        P.setPen(QPen(QColor(110, 118, 130), 1.5));
        P.setBrush(rim);
        P.drawRoundedRect(outer, frame * 0.8, frame * 0.8);
        P.fillRect(glass.adjusted(-2, -2, 2, 2), QColor(0, 30, 0));
    }

    // Legends under the lamps, placed from the display's own lamp layout so
    // they stay under their lamps whatever size the picture is drawn at.
    void DrawLampLegends()
    {
        const TGlass glass = ComputeGlass(TLCDFactors{Glass.XOffset, Glass.YOffset, Glass.Width, Glass.Height},
                                          Image.width(), Image.height());
        const TSegmentGrid grid = BuildSegments(glass, TSegmentColors{});
        static const std::array<QString, GridColumns> legends{
            QStringLiteral("\u2192 0 \u2190"), QStringLiteral("NET"), QStringLiteral("GROSS"),
            QStringLiteral("MOTION"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
            QStringLiteral("4")};
        const qreal top = glass.Top + glass.Height + H() * 0.03;
        const qreal height = H() * 0.035;
        for (int lamp = 0; lamp < GridColumns; ++lamp) {
            const QRect dot = grid[LampRow - 1][lamp]->Bounds();
            const QRectF box(dot.center().x() - W() * 0.04, top, W() * 0.08, height);
            Text(box, legends[lamp], height * 0.8, true, LegendText);
        }
        const QRect first = grid[LampRow - 1][4]->Bounds();
        const QRect last = grid[LampRow - 1][7]->Bounds();
        const QRectF outputs(first.center().x() - W() * 0.02, top + height, last.center().x() - first.center().x() + W() * 0.04,
                             height * 0.8);
        Text(outputs, QStringLiteral("SETPOINTS"), height * 0.55, false, QColor(160, 168, 178));
    }

    void DrawKeypad()
    {
        const QRectF well = Design(88, 248, 496, 362);
        P.setPen(QPen(QColor(20, 22, 26), 1.5));
        P.setBrush(QColor(28, 31, 36));
        P.drawRoundedRect(well, H() * 0.02, H() * 0.02);
        static const std::array<QString, 4> names{QStringLiteral("Zero"), QStringLiteral("Tare"),
                                                  QStringLiteral("Gross/Net"), QStringLiteral("Print")};
        static const std::array<QString, 4> symbols{QStringLiteral("\u2192 0 \u2190"), QStringLiteral("\u2192 T \u2190"),
                                                    QStringLiteral("B/G \u21C4 N"), QString()};
        for (int k = 1; k <= 4; ++k)
            DrawKey(Design(100 + 98 * (k - 1), 260, 92 + 98 * k, 350), names[k - 1], symbols[k - 1]);
    }

    void DrawKey(const QRectF &key, const QString &name, const QString &symbol)
    {
        const qreal radius = key.height() * 0.12;
        P.setPen(Qt::NoPen);
        P.setBrush(QColor(0, 0, 0, 110));
        P.drawRoundedRect(key.translated(key.height() * 0.02, key.height() * 0.04), radius, radius);
        QLinearGradient face(key.topLeft(), key.bottomLeft());
        face.setColorAt(0, KeyFaceTop);
        face.setColorAt(1, KeyFaceBottom);
        P.setPen(QPen(QColor(120, 126, 136), 1.2));
        P.setBrush(face);
        P.drawRoundedRect(key, radius, radius);
        const QRectF inner = key.adjusted(key.width() * 0.08, key.height() * 0.1, -key.width() * 0.08,
                                          -key.height() * 0.1);
        P.setPen(QPen(QColor(255, 255, 255, 140), 1));
        P.setBrush(Qt::NoBrush);
        P.drawRoundedRect(inner, radius * 0.7, radius * 0.7);
        const QRectF symbolBox(inner.left(), inner.top(), inner.width(), inner.height() * 0.55);
        const QRectF nameBox(inner.left(), symbolBox.bottom(), inner.width(), inner.height() * 0.4);
        if (symbol.isEmpty())
            DrawPrinterIcon(symbolBox);
        else
            Text(symbolBox, symbol, inner.height() * 0.34, true, Accent);
        Text(nameBox, name, inner.height() * 0.22, true, KeyText);
    }

    // Fonts seldom carry a printer sign, so the Print key's is drawn.
    void DrawPrinterIcon(const QRectF &box)
    {
        const qreal u = box.height() / 10;
        const QPointF c = box.center();
        P.setPen(QPen(Accent, qMax(1.0, u * 0.6), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        P.setBrush(Qt::NoBrush);
        P.drawRect(QRectF(c.x() - 2.2 * u, c.y() - 3.6 * u, 4.4 * u, 2.4 * u));   // paper in
        P.setBrush(Accent);
        P.drawRoundedRect(QRectF(c.x() - 4 * u, c.y() - 1.2 * u, 8 * u, 3.6 * u), u * 0.6, u * 0.6);
        P.setBrush(KeyFaceTop);
        P.drawRect(QRectF(c.x() - 2.2 * u, c.y() + 0.8 * u, 4.4 * u, 3 * u));      // paper out
        P.drawLine(QPointF(c.x() - 1.3 * u, c.y() + 2 * u), QPointF(c.x() + 1.3 * u, c.y() + 2 * u));
    }

    // Region 5 of the display lies here and has no key behind it: the
    // power lamp of the case.
    void DrawPowerLamp()
    {
        const QRectF area = Design(520, 320, 560, 370);
        const qreal r = qMin(area.width(), area.height()) * 0.16;
        const QPointF centre(area.center().x(), area.top() + area.height() * 0.35);
        QRadialGradient glow(centre, r * 2.2);
        glow.setColorAt(0, QColor(120, 255, 120, 170));
        glow.setColorAt(1, QColor(120, 255, 120, 0));
        P.setPen(Qt::NoPen);
        P.setBrush(glow);
        P.drawEllipse(centre, r * 2.2, r * 2.2);
        P.setPen(QPen(QColor(10, 40, 10), 1));
        P.setBrush(QColor(90, 240, 90));
        P.drawEllipse(centre, r, r);
        Text(QRectF(area.left() - area.width() * 0.2, centre.y() + r * 1.6, area.width() * 1.4, area.height() * 0.3),
             QStringLiteral("POWER"), area.height() * 0.16, true, LegendText);
    }

    void DrawFooter()
    {
        const QRectF strip = Design(100, 366, 500, 388);
        Text(strip, QStringLiteral("7400 SERIES  \u2022  RS-232 / RS-485"), strip.height() * 0.5, false,
             QColor(140, 148, 158), Qt::AlignLeft | Qt::AlignVCenter);
    }
};

} // namespace

QImage DrawFrontPanel(QSize size, const TFrontPanelGlass &glass)
{
    QImage image(size, QImage::Format_RGB32);
    TPanelPainter(image, glass).Draw();
    return image;
}
