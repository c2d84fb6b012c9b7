#include "ui/imagelist.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {
// Every picture is drawn on a 32 x 32 grid and scaled by Qt as needed.
constexpr int Size = 32;

const QColor Ink(40, 40, 40);
const QColor Paper(250, 250, 245);
const QColor Folder(230, 184, 70);
const QColor Blue(50, 100, 190);
const QColor Green(40, 150, 70);
const QColor Red(200, 50, 40);
const QColor Segment(60, 220, 60);

QIcon Draw(const std::function<void(QPainter &)> &paint)
{
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Ink, 1.5));
    paint(p);
    p.end();
    return QIcon(pixmap);
}

void Arrow(QPainter &p, QPointF from, QPointF to, const QColor &colour)
{
    p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, std::hypot((to - from).x(), (to - from).y()));
    const QPointF n(-d.y(), d.x());
    QPolygonF head;
    head << to + d * 3 << to - d * 5 + n * 5 << to - d * 5 - n * 5;
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(head);
}

// A small instrument: the box the settings travel to and from.
void Instrument(QPainter &p)
{
    p.setPen(QPen(Ink, 1.5));
    p.setBrush(QColor(210, 210, 215));
    p.drawRoundedRect(QRectF(3, 18, 26, 12), 2, 2);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(6, 21, 14, 6));
    p.setPen(QPen(Segment, 1.5));
    p.drawLine(QPointF(8, 24), QPointF(18, 24));
}

void Plug(QPainter &p, bool joined)
{
    const double gap = joined ? 0 : 5;
    p.setBrush(QColor(120, 120, 125));
    p.drawRoundedRect(QRectF(4, 12, 10 - gap / 2, 8), 2, 2);           // left body
    p.drawRoundedRect(QRectF(18 + gap / 2, 10, 10 - gap / 2, 12), 2, 2); // right socket
    p.setPen(QPen(Ink, 2));
    p.drawLine(QPointF(14 - gap / 2, 14), QPointF(19 + gap / 2 - gap, 14));
    p.drawLine(QPointF(14 - gap / 2, 18), QPointF(19 + gap / 2 - gap, 18));
    p.setPen(QPen(joined ? Green : Red, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1, 16), QPointF(4, 16));
    p.drawLine(QPointF(28, 16), QPointF(31, 16));
}

void Page(QPainter &p, const QRectF &r)
{
    p.setBrush(Paper);
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (double y = r.top() + 4; y < r.bottom() - 2; y += 4)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    p.setPen(QPen(Ink, 1.5));
}

QIcon OpenPicture()
{
    return Draw([](QPainter &p) {
        p.setBrush(Folder.darker(115));
        p.drawRect(QRectF(3, 8, 24, 19));
        p.drawRect(QRectF(3, 5, 10, 4));
        QPolygonF flap;
        flap << QPointF(7, 13) << QPointF(30, 13) << QPointF(26, 27) << QPointF(3, 27);
        p.setBrush(Folder);
        p.drawPolygon(flap);
    });
}

QIcon SavePicture()
{
    return Draw([](QPainter &p) {
        p.setBrush(Blue);
        p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
        p.setBrush(Paper);
        p.drawRect(QRectF(8, 4, 16, 9));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(9, 18, 14, 10));
    });
}

QIcon PrintPicture()
{
    return Draw([](QPainter &p) {
        Page(p, QRectF(9, 3, 14, 10));
        p.setBrush(QColor(170, 170, 175));
        p.drawRoundedRect(QRectF(3, 12, 26, 11), 2, 2);
        Page(p, QRectF(8, 19, 16, 10));
    });
}

QIcon ExitPicture()
{
    return Draw([](QPainter &p) {
        p.setBrush(QColor(160, 110, 60));
        p.drawRect(QRectF(5, 3, 14, 26));
        p.setBrush(Ink);
        p.drawEllipse(QPointF(16, 16), 1.2, 1.2);
        Arrow(p, QPointF(17, 16), QPointF(27, 16), Red);
    });
}

QIcon ChartPicture()
{
    return Draw([](QPainter &p) {
        p.setBrush(Paper);
        p.drawRect(QRectF(3, 3, 26, 26));
        p.setPen(QPen(Blue, 2));
        QPolygonF trace;
        trace << QPointF(5, 24) << QPointF(11, 24) << QPointF(11, 12) << QPointF(19, 12)
              << QPointF(19, 18) << QPointF(27, 18);
        p.drawPolyline(trace);
        p.setPen(QPen(Red, 1.5));
        p.drawLine(QPointF(5, 8), QPointF(27, 8));
    });
}

QIcon BookPicture()
{
    return Draw([](QPainter &p) {
        p.setBrush(Blue);
        p.drawRoundedRect(QRectF(5, 3, 22, 26), 2, 2);
        p.setBrush(Paper);
        p.drawRect(QRectF(9, 7, 14, 6));
        p.setPen(QPen(Paper, 2));
        p.drawLine(QPointF(8, 26), QPointF(26, 26));
    });
}

QIcon IndexPicture()
{
    return Draw([](QPainter &p) {
        Page(p, QRectF(4, 3, 18, 24));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Ink, 2.5));
        p.drawEllipse(QPointF(19, 17), 6, 6);
        p.setPen(QPen(Ink, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(23, 21), QPointF(29, 28));
    });
}

QIcon TransferPicture(bool towardsInstrument)
{
    return Draw([towardsInstrument](QPainter &p) {
        Instrument(p);
        if (towardsInstrument)
            Arrow(p, QPointF(16, 2), QPointF(16, 12), Red);
        else
            Arrow(p, QPointF(16, 14), QPointF(16, 4), Green);
    });
}

QIcon AboutPicture()
{
    return Draw([](QPainter &p) {
        p.setBrush(Blue);
        p.drawEllipse(QRectF(3, 3, 26, 26));
        p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
        p.drawPoint(QPointF(16, 9));
        p.drawLine(QPointF(16, 14), QPointF(16, 23));
    });
}

void PaintApplication(QPainter &p)
{
    p.setBrush(QColor(70, 75, 85));
    p.drawRoundedRect(QRectF(1, 6, 30, 20), 3, 3);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(4, 9, 24, 10));
    // "7" on the little display glass.
    p.setPen(QPen(Segment, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    const QPointF seven[] = {{8, 11}, {13, 11}, {11, 17}};
    p.drawPolyline(seven, 3);
    p.drawLine(QPointF(17, 14), QPointF(24, 14));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 200, 200));
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(5 + 6 * i, 21, 4, 3));
}

QIcon ApplicationPicture() { return Draw(PaintApplication); }
} // namespace

QImage ApplicationImage(int size)
{
    // Drawn afresh at the size asked for: a scaled-up 32-pixel picture
    // would be blurred in a desktop's large icon views.
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / double(Size), size / double(Size));
    p.setPen(QPen(Ink, 1.5));
    PaintApplication(p);
    return image;
}

QList<QIcon> BuildImageList()
{
    QList<QIcon> list(imgCount);
    list[imgOpen] = OpenPicture();
    list[imgSave] = SavePicture();
    list[imgPrint] = PrintPicture();
    list[imgExit] = ExitPicture();
    list[imgChart] = ChartPicture();
    list[imgContents] = BookPicture();
    list[imgRead] = TransferPicture(false);
    list[imgIndex] = IndexPicture();
    list[imgWrite] = TransferPicture(true);
    list[imgAbout] = AboutPicture();
    list[imgConnect] = Draw([](QPainter &p) { Plug(p, true); });
    list[imgDisconnect] = Draw([](QPainter &p) { Plug(p, false); });
    list[imgApplication] = ApplicationPicture();
    return list;
}
