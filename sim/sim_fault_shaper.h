#pragma once
// Applies the line faults (noise, cut lines, overlong lines, DLE storms) to
// each unit the instrument sends: one reply line or one binary record.

#include <QByteArray>
#include <QRandomGenerator>

struct TSimFaults;

class TSimFaultShaper {
public:
    explicit TSimFaultShaper(quint32 seed) : Random(seed) {}

    // The bytes to send for one unit under the given faults (empty when the
    // instrument is silent).
    QByteArray Shape(const QByteArray &unit, const TSimFaults &faults);

    QByteArray GarbageLine();
    static QByteArray OverlongLine();
    QByteArray DleStorm();

private:
    QRandomGenerator Random;
    quint64 Count = 0;

    static bool Due(quint64 count, int every) { return every > 0 && count % quint64(every) == 0; }
    char NoiseByte();
};
