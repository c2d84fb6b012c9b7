#pragma once
// The concrete segments of the display. Each is built for a digit cell of
// width W and height H whose top left corner is (X, Y) and shapes itself
// inside that cell; the proportions are those of the instrument's own glass
// (a cell of 495 × 1113 units), with the vertical bars leaning so that the
// digits come out italic.

#include "display/seg7.h"

// Digit bars: a top, b upper right, c lower right, d bottom, e lower left,
// f upper left, g middle.
class TASegment : public TPolygonSegment {
public:
    TASegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors);
};
class TBSegment : public TPolygonSegment {
public:
    TBSegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors);
};
class TCSegment : public TPolygonSegment {
public:
    TCSegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors);
};
class TDSegment : public TPolygonSegment {
public:
    TDSegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors);
};
class TESegment : public TPolygonSegment {
public:
    TESegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors);
};
class TFSegment : public TPolygonSegment {
public:
    TFSegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors);
};
class TGSegment : public TPolygonSegment {
public:
    TGSegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors);
};

// The round dot: a decimal point (right of its digit, at the foot) or a lamp.
class TKSegment : public TRoundRectSegment {
public:
    TKSegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors);
};

// A unit label. A one-character text is padded to five characters, two
// spaces each side, so that a lone letter keeps a sensible width once it is
// stretched into the box.
class TLSegment : public TStringSegment {
public:
    TLSegment(int32_t w, int32_t h, int32_t x, int32_t y, const TSegmentColors &colors, const QString &text);

    static QString PaddedText(const QString &text);
};
