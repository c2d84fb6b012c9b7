#pragma once
// The segment font written down a second time, the way the instrument's
// manual lists it (bars -> the characters that light exactly those bars), so
// the font table in the code is checked against an independent copy, and
// the display's state can be read back as text in the tests.

#include "display/u7400led.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

inline const QList<QPair<QString, QString>> &ManualFont()
{
    static const QList<QPair<QString, QString>> table{
        {"", " !#$%&,.;<>@IXx|"},
        {"a", "T^~"},        {"b", "'"},          {"c", "i"},         {"d", "_"},
        {"e", "v"},          {"f", "`"},          {"g", "+-:"},       {"bc", "1l"},
        {"bf", "\""},        {"cd", "j"},         {"dg", "="},        {"eg", "r"},
        {"abc", "7"},        {"abg", "p"},        {"bcd", "J"},       {"bcg", "{"},
        {"bef", "V"},        {"beg", "/"},        {"bfg", "Y"},       {"cde", "uw"},
        {"cef", "k"},        {"ceg", "mn"},       {"cfg", "\\"},      {"def", "L"},
        {"deg", "ac"},       {"efg", "}"},        {"abcd", ")]"},     {"abeg", "?"},
        {"adef", "(C["},     {"aefg", "Ff"},      {"bcfg", "4"},      {"cdeg", "o"},
        {"cefg", "Kh"},      {"defg", "t"},       {"abcdg", "3"},     {"abcef", "MN"},
        {"abcfg", "q"},      {"abdeg", "2Zz"},    {"abefg", "PR"},    {"acdef", "G"},
        {"acdfg", "5Ss"},    {"adefg", "Ee"},     {"bcdef", "UW"},    {"bcdeg", "Dd"},
        {"bcdfg", "y"},      {"bcefg", "*H"},     {"cdefg", "Bb"},    {"abcdef", "0OQ"},
        {"abcdfg", "9g"},    {"abcefg", "A"},     {"acdefg", "6"},    {"abcdefg", "8"},
    };
    return table;
}

// The bars of one digit as letters a..g.
inline QString LitBars(const TT7400LED &display, int digit)
{
    QString bars;
    for (int bar = 1; bar <= 7; ++bar)
        if (display.SegmentLit(digit, bar))
            bars += QChar(u'a' + bar - 1);
    return bars;
}

// What the six digits read, a "." after each digit whose point is lit.
// Bars with several characters read as the first one of digits, "-", "E",
// or the manual's first; "%" marks bars no character lights.
inline QString Reading(const TT7400LED &display)
{
    static const QMap<QString, QChar> byBars = [] {
        QMap<QString, QChar> map;
        for (const QChar preferred : QStringLiteral("0123456789-E"))
            for (const auto &[bars, chars] : ManualFont())
                if (chars.contains(preferred))
                    map.insert(bars, preferred);
        for (const auto &[bars, chars] : ManualFont())
            if (!map.contains(bars))
                map.insert(bars, chars.front());
        return map;
    }();
    QString text;
    for (int digit = 1; digit <= DisplayDigits; ++digit) {
        text += byBars.value(LitBars(display, digit), QLatin1Char('%'));
        if (display.SegmentLit(digit, PointColumn))
            text += QLatin1Char('.');
    }
    return text;
}
