#include "sim/sim_fault_shaper.h"

#include "sim/sim_faults.h"
#include "sim/sim_wire.h"

QByteArray TSimFaultShaper::Shape(const QByteArray &unit, const TSimFaults &faults)
{
    if (faults.Silent)
        return {};
    ++Count;
    QByteArray out;
    if (Due(Count, faults.DleStormEvery))
        out += DleStorm();
    if (Due(Count, faults.GarbageEvery))
        out += GarbageLine();
    if (Due(Count, faults.OverlongEvery))
        out += OverlongLine();
    if (Due(Count, faults.CutEvery))
        out += unit.left(std::max<qsizetype>(1, unit.size() / 2 - 1)); // never with its line end
    else
        out += unit;
    return out;
}

char TSimFaultShaper::NoiseByte()
{
    // Any byte but those that frame lines and records, so the noise stays
    // one line of its own.
    for (;;) {
        const char c = char(Random.bounded(1, 256));
        if (c != '\r' && c != '\n' && c != SimWire::Stx && c != SimWire::Etx && c != SimWire::Dle)
            return c;
    }
}

QByteArray TSimFaultShaper::GarbageLine()
{
    QByteArray line;
    const int length = Random.bounded(4, 21);
    for (int i = 0; i < length; ++i)
        line.append(NoiseByte());
    return line + "\r\n";
}

QByteArray TSimFaultShaper::OverlongLine()
{
    QByteArray line;
    while (line.size() < SimOverlongLength)
        line += "1234567890";
    return line.left(SimOverlongLength) + "\r\n";
}

QByteArray TSimFaultShaper::DleStorm()
{
    QByteArray storm;
    storm.append(8, SimWire::Dle); // a run of bare DLEs
    storm.append(SimWire::Dle).append(SimWire::Stx); // a record far too long
    for (int i = 0; i < 14; ++i)
        storm.append(char(0x30 + i));
    storm.append(SimWire::Dle).append(SimWire::Etx);
    storm.append(SimWire::Dle).append(SimWire::Stx).append("\x01\x02\x03", 3); // a record too short
    storm.append(SimWire::Dle).append(SimWire::Etx);
    storm.append(SimWire::Dle).append('x'); // DLE before a byte that means nothing
    storm.append("\r\n");
    return storm;
}
