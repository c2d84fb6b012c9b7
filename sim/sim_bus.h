#pragma once
// Several simulated instruments on one RS-485 line. Every unit hears every
// byte the host sends and keeps its own unit selection ("S%.2d;"), so each
// one executes and answers only what is addressed to it, as on a real bus.
// The line is shared: when the replies of two units would be on the wire at
// the same time (both selected by "S99;", or streaming together), they
// collide and the host receives noise in place of each, with the line ends
// where they were. A bus of one unit passes its bytes on unchanged.

#include "sim/sim_config.h"
#include "sim/sim_instrument.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <deque>
#include <memory>
#include <vector>

class TSimBus : public QObject {
    Q_OBJECT
public:
    // Replies closer together than this collide even on an unpaced line.
    static constexpr int CollisionGuardMs = 3;

    // One instrument per configuration, in that order.
    explicit TSimBus(const QList<TSimConfig> &units, QObject *parent = nullptr);
    ~TSimBus() override;

    // Bytes from the host, heard by every unit.
    void Receive(const QByteArray &bytes);

    int Count() const { return int(Units.size()); }
    TSimInstrument &Unit(int index) { return *Units[size_t(index)].Instrument; }
    // The unit with this address; nullptr when none has it.
    TSimInstrument *UnitAt(int address);
    QList<int> Addresses() const;

    // Paces every unit's output; also how long a reply holds the line.
    void SetBaud(int baud);
    // The port goes away for all units at once (a unit's own port-loss
    // fault takes the whole line with it), announced by PortLost from the
    // event loop; RestorePort gives it back.
    void LosePort();
    void RestorePort();
    bool IsPortLost() const { return Lost; }

    // Noise of the length of `clean`, keeping its CR and LF bytes, as the
    // host reads two units talking at once.
    static QByteArray Collided(const QByteArray &clean, quint32 &seed);

signals:
    void Transmit(const QByteArray &bytes);
    void PortLost();

private:
    // A reply on its way: when it holds the line, how many bytes it has
    // and whether another unit talked over it.
    struct TTalk {
        qint64 Start = 0;
        qint64 End = 0;
        qsizetype Bytes = 0;
        qsizetype Sent = 0;
        bool Garbled = false;
        bool Streamed = false;
    };
    struct TUnit {
        std::unique_ptr<TSimInstrument> Instrument;
        std::deque<TTalk> Talks;
        qint64 FreeAt = 0;                 // the end of its last talk
        qint64 LastStreamStart = -1000;    // the start of its last streamed talk sent
    };

    std::vector<TUnit> Units;
    QElapsedTimer Clock;
    int Baud = 0;
    bool Lost = false;
    quint32 Seed = 4620;

    void Queued(size_t unit, qsizetype bytes, int delayMs, bool streamed);
    void FromUnit(size_t unit, const QByteArray &bytes);
    static bool Overlap(const TTalk &a, qint64 start, qint64 end);
};
