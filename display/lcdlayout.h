#pragma once
// Where the glass and every segment of the display lie for a given control
// size. Kept apart from the widget so the geometry can be checked, and
// reused (the front-panel picture places its lamp legends with it), without
// a window.

#include "display/seg7.h"

#include <QRect>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

// Six digits, a row of eight lamps and a column of eight labels, each in an
// 8 × 8 grid: rows 1..6 are digits (columns 1..7 bars a..g, column 8 the
// point right of the digit), row 7 the lamps, row 8 the labels.
constexpr int DisplayDigits = 6;
constexpr int GridRows = 8;
constexpr int GridColumns = 8;
constexpr int LampRow = 7;
constexpr int LabelRow = 8;
constexpr int PointColumn = 8;

// Glass position and size in thousandths of the control's width and height.
struct TLCDFactors {
    int32_t XOffset = 0;
    int32_t YOffset = 0;
    int32_t Width = 1000;
    int32_t Height = 1000;
};

struct TGlass {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;

    QRect Rect() const { return QRect(Left, Top, Width, Height); }
};

// Indexed [row - 1][column - 1].
using TSegmentGrid = std::array<std::array<std::unique_ptr<TLCDSegment>, GridColumns>, GridRows>;

TGlass ComputeGlass(const TLCDFactors &factors, int32_t controlWidth, int32_t controlHeight);
TSegmentGrid BuildSegments(const TGlass &glass, const TSegmentColors &colors);

// The texts of labels 1..4; labels 5..8 have none.
QString UnitLabelText(int label);
