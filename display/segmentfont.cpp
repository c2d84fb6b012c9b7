#include "display/segmentfont.h"

#include <array>

namespace {

constexpr char16_t FirstPrintable = u' ';
constexpr char16_t LastPrintable = u'~';

// One entry per character code 32..126; the bits as in the header.
constexpr std::array<uint8_t, LastPrintable - FirstPrintable + 1> Font{
    0x00, // space
    0x00, // !
    0x22, // "  b f
    0x00, // #
    0x00, // $
    0x00, // %
    0x00, // &
    0x02, // '  b
    0x39, // (  a d e f
    0x0F, // )  a b c d
    0x76, // *  b c e f g
    0x40, // +  g
    0x00, // ,
    0x40, // -  g
    0x00, // .
    0x52, // /  b e g
    0x3F, // 0
    0x06, // 1
    0x5B, // 2
    0x4F, // 3
    0x66, // 4
    0x6D, // 5
    0x7D, // 6
    0x07, // 7
    0x7F, // 8
    0x6F, // 9
    0x40, // :  g
    0x00, // ;
    0x00, // <
    0x48, // =  d g
    0x00, // >
    0x53, // ?  a b e g
    0x00, // @
    0x77, // A
    0x7C, // B  (as b)
    0x39, // C
    0x5E, // D  (as d)
    0x79, // E
    0x71, // F
    0x3D, // G
    0x76, // H
    0x00, // I
    0x0E, // J
    0x74, // K  (as h)
    0x38, // L
    0x37, // M  a b c e f
    0x37, // N
    0x3F, // O
    0x73, // P
    0x3F, // Q
    0x73, // R
    0x6D, // S
    0x01, // T  a
    0x3E, // U
    0x32, // V  b e f
    0x3E, // W
    0x00, // X
    0x62, // Y  b f g
    0x5B, // Z
    0x39, // [
    0x64, // backslash  c f g
    0x0F, // ]
    0x01, // ^  a
    0x08, // _  d
    0x20, // `  f
    0x58, // a  d e g
    0x7C, // b
    0x58, // c
    0x5E, // d
    0x79, // e
    0x71, // f
    0x6F, // g
    0x74, // h
    0x04, // i  c
    0x0C, // j  c d
    0x34, // k  c e f
    0x06, // l
    0x54, // m  c e g
    0x54, // n
    0x5C, // o
    0x43, // p  a b g
    0x67, // q  a b c f g
    0x50, // r  e g
    0x6D, // s
    0x78, // t  d e f g
    0x1C, // u  c d e
    0x10, // v  e
    0x1C, // w
    0x00, // x
    0x6E, // y  b c d f g
    0x5B, // z
    0x46, // {  b c g
    0x00, // |
    0x70, // }  e f g
    0x01, // ~  a
};

} // namespace

uint8_t SegmentFontBits(QChar character)
{
    const char16_t code = character.unicode();
    if (code < FirstPrintable || code > LastPrintable)
        return 0;
    return Font[code - FirstPrintable];
}
