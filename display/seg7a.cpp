#include "display/seg7a.h"

#include "display/segmath.h"

namespace {

// The digit cell is 495 units wide and 1113 high.
constexpr int32_t CellUnitsX = 495;
constexpr int32_t CellUnitsY = 1113;

// One bar: its box (p × q cell units), its six vertices as fractions of the
// box (x over DenX, y over DenY; the denominators are the drawing's own and
// differ slightly from the box for some bars) and its offset in the cell.
struct TBarShape {
    int32_t P, Q;
    int32_t DenX, DenY;
    std::array<std::array<int32_t, 2>, 6> Vertex;
    int32_t OffsetX, OffsetY;
};

constexpr TBarShape ShapeA{358, 108, 360, 108,
                           {{{0, 28}, {55, 0}, {302, 0}, {360, 30}, {270, 108}, {69, 108}}}, 110, 0};
constexpr TBarShape ShapeB{134, 440, 134, 440,
                           {{{28, 75}, {111, 0}, {134, 47}, {101, 409}, {68, 440}, {0, 388}}}, 362, 41};
constexpr TBarShape ShapeC{134, 442, 134, 440,
                           {{{28, 54}, {105, 0}, {134, 31}, {101, 393}, {73, 440}, {0, 360}}}, 324, 492};
constexpr TBarShape ShapeD{360, 108, 360, 108,
                           {{{0, 78}, {81, 0}, {287, 0}, {360, 82}, {307, 108}, {54, 108}}}, 30, 864};
constexpr TBarShape ShapeE{134, 443, 134, 440,
                           {{{30, 28}, {64, 0}, {134, 55}, {106, 360}, {23, 440}, {0, 385}}}, 0, 490};
constexpr TBarShape ShapeF{134, 444, 134, 440,
                           {{{30, 52}, {67, 0}, {134, 84}, {106, 391}, {30, 440}, {0, 417}}}, 35, 34};
constexpr TBarShape ShapeG{340, 104, 340, 104,
                           {{{0, 52}, {76, 0}, {273, 0}, {340, 52}, {265, 104}, {69, 104}}}, 75, 435};

void Shape(TPolygonSegment &segment, const TBarShape &shape, int32_t cellW, int32_t cellH, int32_t x,
           int32_t y)
{
    const int32_t boxW = Frac(cellW, shape.P, CellUnitsX);
    const int32_t boxH = Frac(cellH, shape.Q, CellUnitsY);
    const int32_t shiftX = Frac(cellW, shape.OffsetX, CellUnitsX);
    const int32_t shiftY = Frac(cellH, shape.OffsetY, CellUnitsY);
    segment.Width = boxW;
    segment.Height = boxH;
    for (size_t i = 0; i < segment.Vertices.size(); ++i) {
        const int32_t vx = Frac(boxW, shape.Vertex[i][0], shape.DenX);
        const int32_t vy = Frac(boxH, shape.Vertex[i][1], shape.DenY);
        segment.Vertices[i] = QPoint(ClampToInt32(int64_t(x) + vx + shiftX),
                                     ClampToInt32(int64_t(y) + vy + shiftY));
    }
}

} // namespace

#define QV_BAR_SEGMENT(Class, shape)                                                                 \
    Class::Class(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors)           \
        : TPolygonSegment(w, h, x, y, colors)                                                        \
    {                                                                                                \
        Shape(*this, shape, w, h, x, y);                                                             \
    }

QV_BAR_SEGMENT(TASegment, ShapeA)
QV_BAR_SEGMENT(TBSegment, ShapeB)
QV_BAR_SEGMENT(TCSegment, ShapeC)
QV_BAR_SEGMENT(TDSegment, ShapeD)
QV_BAR_SEGMENT(TESegment, ShapeE)
QV_BAR_SEGMENT(TFSegment, ShapeF)
QV_BAR_SEGMENT(TGSegment, ShapeG)

#undef QV_BAR_SEGMENT

TKSegment::TKSegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors)
    : TRoundRectSegment(Frac(w, 87, CellUnitsX), Frac(h, 107, CellUnitsY),
                        ClampToInt32(int64_t(x) + Frac(w, 467, CellUnitsX)),
                        ClampToInt32(int64_t(y) + Frac(h, 862, CellUnitsY)), colors)
{
}

namespace {

int32_t LabelHeight(int32_t h)
{
    return Frac(Frac(h, 94, CellUnitsY), 13, 8);
}

} // namespace

TLSegment::TLSegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors,
                     const QString &text)
    : TStringSegment(Frac(w, 185, CellUnitsX), LabelHeight(h), ClampToInt32(int64_t(x) + Frac(w, 427, CellUnitsX)),
                     ClampToInt32(int64_t(y) + Frac(h, 1019, CellUnitsY) - Frac(LabelHeight(h), 5, 26)),
                     colors, PaddedText(text))
{
}

QString TLSegment::PaddedText(const QString &text)
{
    if (text.size() == 1)
        return QStringLiteral("  ") + text + QStringLiteral("  ");
    return text;
}
