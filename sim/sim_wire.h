#pragma once
// Byte-level forms of what the simulated instrument puts on the line: text
// lines ended by CR LF and DLE-framed binary weight records.

#include <QByteArray>
#include <QString>

namespace SimWire {

constexpr char Stx = 0x02;
constexpr char Etx = 0x03;
constexpr char Dle = 0x10;

// A reply line: the text in Latin-1 followed by CR LF.
QByteArray Line(const QString &text);

// Display counts as the instrument shows them: the integer with the decimal
// point put in ("12.50" for 1250 with two decimals), always with ".".
QString FormatCounts(qint64 counts, int decimals);

// DLE STX, the nine payload bytes (status byte, status word MSB first,
// weight MSB first) with every DLE doubled, DLE ETX.
QByteArray EncodeRecord(quint8 statusByte, quint32 statusWord, qint32 weight);

} // namespace SimWire
