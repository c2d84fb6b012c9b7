#include "sim/sim_wire.h"

namespace SimWire {

QByteArray Line(const QString &text)
{
    return text.toLatin1() + "\r\n";
}

QString FormatCounts(qint64 counts, int decimals)
{
    const bool negative = counts < 0;
    QString digits = QString::number(negative ? -counts : counts);
    if (decimals > 0) {
        if (digits.size() <= decimals)
            digits = QString(decimals + 1 - digits.size(), QLatin1Char('0')) + digits;
        digits.insert(digits.size() - decimals, QLatin1Char('.'));
    }
    return negative ? QLatin1Char('-') + digits : digits;
}

static void AppendStuffed(QByteArray &out, quint8 byte)
{
    out.append(char(byte));
    if (char(byte) == Dle)
        out.append(Dle); // a payload DLE is sent twice so it cannot end the record
}

QByteArray EncodeRecord(quint8 statusByte, quint32 statusWord, qint32 weight)
{
    QByteArray out;
    out.append(Dle).append(Stx);
    AppendStuffed(out, statusByte);
    for (int shift = 24; shift >= 0; shift -= 8)
        AppendStuffed(out, quint8(statusWord >> shift));
    const quint32 bits = quint32(weight);
    for (int shift = 24; shift >= 0; shift -= 8)
        AppendStuffed(out, quint8(bits >> shift));
    out.append(Dle).append(Etx);
    return out;
}

} // namespace SimWire
