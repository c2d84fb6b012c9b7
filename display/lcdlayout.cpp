#include "display/lcdlayout.h"

#include "display/seg7a.h"
#include "display/segmath.h"

namespace {

// Digit cells advance by 250 units of a glass 1700 wide; the first starts 15
// units in.
int32_t DigitCellLeft(int digit, const TGlass &glass)
{
    return ClampToInt32(int64_t(Frac(int64_t(digit - 1) * glass.Width, 250, 1700)) + glass.Left +
                        Frac(glass.Width, 15, 1700));
}

// Lamps 1..4 sit under digits 1..4; lamps 5..8 are packed closer together.
int32_t LampCellLeft(int lamp, const TGlass &glass, int32_t cellWidth)
{
    int64_t left = int64_t(Frac(int64_t(lamp - 1) * glass.Width, 250, 1700)) + glass.Left - cellWidth / 2;
    if (lamp > 4)
        left -= cellWidth / 3 + int64_t(Frac(7, cellWidth, 10)) * (lamp - 5);
    return ClampToInt32(left);
}

void BuildDigit(TSegmentGrid &grid, int digit, int32_t cellW, int32_t cellH, int32_t left, int32_t top,
                const TSegmentColors &c)
{
    auto &row = grid[digit - 1];
    row[0] = std::make_unique<TASegment>(cellW, cellH, left, top, c);
    row[1] = std::make_unique<TBSegment>(cellW, cellH, left, top, c);
    row[2] = std::make_unique<TCSegment>(cellW, cellH, left, top, c);
    row[3] = std::make_unique<TDSegment>(cellW, cellH, left, top, c);
    row[4] = std::make_unique<TESegment>(cellW, cellH, left, top, c);
    row[5] = std::make_unique<TFSegment>(cellW, cellH, left, top, c);
    row[6] = std::make_unique<TGSegment>(cellW, cellH, left, top, c);
    row[PointColumn - 1] = std::make_unique<TKSegment>(cellW, cellH, left, top, c);
}

void BuildLabels(TSegmentGrid &grid, const TGlass &glass, int32_t cellW, int32_t cellH, int32_t lamp8Left,
                 const TSegmentColors &c)
{
    const int32_t left = ClampToInt32(int64_t(lamp8Left) + Frac(3, cellW, 8));
    int64_t runningTop = int64_t(glass.Top) - Frac(cellH, 185, 100) + (int64_t(glass.Height) - cellH) / 2;
    for (int label = 1; label <= GridColumns; ++label) {
        runningTop += cellH / 4;
        const int32_t top = ClampToInt32(runningTop);
        auto &slot = grid[LabelRow - 1][label - 1];
        if (label <= 4)
            slot = std::make_unique<TLSegment>(Frac(7, cellW, 4), Frac(7, cellH, 4), left, top, c,
                                               UnitLabelText(label));
        else
            slot = std::make_unique<TLSegment>(cellW, cellH, left, top, c, QString());
    }
}

} // namespace

TGlass ComputeGlass(const TLCDFactors &factors, int32_t controlWidth, int32_t controlHeight)
{
    return TGlass{Frac(factors.XOffset, controlWidth, 1000), Frac(factors.YOffset, controlHeight, 1000),
                  Frac(factors.Width, controlWidth, 1000), Frac(factors.Height, controlHeight, 1000)};
}

TSegmentGrid BuildSegments(const TGlass &glass, const TSegmentColors &colors)
{
    TSegmentGrid grid;
    const int32_t cellW = Frac(glass.Width, 20, 170);
    const int32_t cellH = Frac(glass.Height, 425, 480);
    const int32_t digitTop = ClampToInt32(int64_t(glass.Top) + (int64_t(glass.Height) - cellH) / 2);
    for (int digit = 1; digit <= DisplayDigits; ++digit)
        BuildDigit(grid, digit, cellW, cellH, DigitCellLeft(digit, glass), digitTop, colors);

    const int32_t lampTop = ClampToInt32(int64_t(digitTop) + cellH / 5);
    for (int lamp = 1; lamp <= GridColumns; ++lamp) {
        // The dots reach about half a percent of the glass height below the
        // glass, as on the instrument's own drawing; they are not lifted.
        grid[LampRow - 1][lamp - 1] =
            std::make_unique<TKSegment>(cellW, cellH, LampCellLeft(lamp, glass, cellW), lampTop, colors);
    }

    BuildLabels(grid, glass, cellW, cellH, LampCellLeft(GridColumns, glass, cellW), colors);
    return grid;
}

QString UnitLabelText(int label)
{
    switch (label) {
    case 1: return QStringLiteral(" g ");
    case 2: return QStringLiteral("kg ");
    case 3: return QStringLiteral("lb ");
    case 4: return QStringLiteral(" t ");
    default: return QString();
    }
}
