#include "sim/sim_bus.h"

#include <algorithm>
#include <cmath>

TSimBus::TSimBus(const QList<TSimConfig> &units, QObject *parent) : QObject(parent)
{
    Clock.start();
    Units.resize(size_t(units.size()));
    for (size_t i = 0; i < Units.size(); ++i) {
        TUnit &unit = Units[i];
        unit.Instrument = std::make_unique<TSimInstrument>(units[qsizetype(i)]);
        TSimInstrument *instrument = unit.Instrument.get();
        connect(instrument, &TSimInstrument::Queued, this,
                [this, i](qsizetype bytes, int delayMs, bool streamed) { Queued(i, bytes, delayMs, streamed); });
        connect(instrument, &TSimInstrument::Transmit, this, [this, i](const QByteArray &bytes) { FromUnit(i, bytes); });
        // A port that one unit loses is the line's: every unit loses it.
        connect(instrument, &TSimInstrument::PortLost, this, &TSimBus::LosePort);
    }
    if (!units.isEmpty())
        Baud = units.first().Baud;
}

TSimBus::~TSimBus() = default;

void TSimBus::Receive(const QByteArray &bytes)
{
    if (Lost)
        return;
    for (TUnit &unit : Units) {
        unit.Instrument->Receive(bytes);
        if (Lost)
            return;
    }
}

TSimInstrument *TSimBus::UnitAt(int address)
{
    for (TUnit &unit : Units)
        if (unit.Instrument->Address() == address)
            return unit.Instrument.get();
    return nullptr;
}

QList<int> TSimBus::Addresses() const
{
    QList<int> addresses;
    for (const TUnit &unit : Units)
        addresses << unit.Instrument->Address();
    return addresses;
}

void TSimBus::SetBaud(int baud)
{
    Baud = baud;
    for (TUnit &unit : Units)
        unit.Instrument->SetBaud(baud);
}

void TSimBus::LosePort()
{
    if (Lost)
        return;
    Lost = true;
    for (TUnit &unit : Units) {
        unit.Instrument->LosePort();
        unit.Talks.clear();
    }
    QMetaObject::invokeMethod(this, &TSimBus::PortLost, Qt::QueuedConnection);
}

void TSimBus::RestorePort()
{
    Lost = false;
    for (TUnit &unit : Units) {
        unit.Instrument->RestorePort();
        unit.Talks.clear();
    }
}

bool TSimBus::Overlap(const TTalk &a, qint64 start, qint64 end)
{
    return a.Start <= end + CollisionGuardMs && start <= a.End + CollisionGuardMs;
}

// Decided when a reply is queued, before any of its bytes leave: the units
// that answer one command queue their replies in the same call, so both
// are garbled, never the first clean and the second noise. A reply queued
// after another unit's has left whole came after it on the wire (the host
// had to hear the one before asking the next), except for records that
// units stream on their own clocks, which collide when they start together.
void TSimBus::Queued(size_t index, qsizetype bytes, int delayMs, bool streamed)
{
    TUnit &unit = Units[index];
    const qint64 now = Clock.elapsed();
    TTalk talk;
    talk.Start = std::max(now + std::max(0, delayMs), unit.FreeAt);
    const double ms = Baud > 0 ? double(bytes) * 10000.0 / Baud : 0;
    talk.End = talk.Start + qint64(std::ceil(ms));
    talk.Bytes = bytes;
    talk.Streamed = streamed;
    unit.FreeAt = talk.End;
    for (size_t other = 0; other < Units.size(); ++other) {
        if (other == index)
            continue;
        for (TTalk &pending : Units[other].Talks) {
            if (Overlap(pending, talk.Start, talk.End))
                pending.Garbled = talk.Garbled = true;
        }
        if (streamed && std::abs(Units[other].LastStreamStart - talk.Start) <= CollisionGuardMs)
            talk.Garbled = true;
    }
    unit.Talks.push_back(talk);
}

void TSimBus::FromUnit(size_t index, const QByteArray &bytes)
{
    if (Lost)
        return;
    TUnit &unit = Units[index];
    QByteArray out;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (unit.Talks.empty()) {
            out += bytes.mid(at); // nothing announced it: passed on as it is
            break;
        }
        TTalk &talk = unit.Talks.front();
        const qsizetype take = std::min(talk.Bytes - talk.Sent, bytes.size() - at);
        const QByteArray piece = bytes.mid(at, take);
        out += talk.Garbled ? Collided(piece, Seed) : piece;
        talk.Sent += take;
        at += take;
        if (talk.Sent >= talk.Bytes) {
            if (talk.Streamed)
                unit.LastStreamStart = talk.Start;
            unit.Talks.pop_front();
        }
    }
    if (!out.isEmpty())
        emit Transmit(out);
}

QByteArray TSimBus::Collided(const QByteArray &clean, quint32 &seed)
{
    QByteArray noise(clean.size(), '\0');
    for (qsizetype i = 0; i < clean.size(); ++i) {
        const char c = clean.at(i);
        if (c == '\r' || c == '\n') {
            noise[i] = c;
            continue;
        }
        seed = seed * 1103515245u + 12345u;
        noise[i] = char(0x80 | ((seed >> 16) & 0x7f));
    }
    return noise;
}
