#pragma once
// Which of the seven bars of a digit light up for a character. Only the
// printable characters space to "~" have a shape; anything else shows as a
// space.

#include <QChar>
#include <cstdint>

// Bit 0 is bar a (top), then b, c, d, e, f, and bit 6 is bar g (middle).
enum : uint8_t {
    SegA = 1 << 0,
    SegB = 1 << 1,
    SegC = 1 << 2,
    SegD = 1 << 3,
    SegE = 1 << 4,
    SegF = 1 << 5,
    SegG = 1 << 6,
};

uint8_t SegmentFontBits(QChar character);
