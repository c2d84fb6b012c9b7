#pragma once
// Drives a simulated instrument in-process: commands in, reply lines out,
// with a clock the test steps by hand.

#include "sim/sim_instrument.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTest>

class TSimHarness {
public:
    explicit TSimHarness(const TSimConfig &config = {}) : Instrument(config)
    {
        Instrument.SetClock([this] { return NowMs; });
        QObject::connect(&Instrument, &TSimInstrument::Transmit, [this](const QByteArray &bytes) { Received += bytes; });
    }

    TSimInstrument Instrument;
    QByteArray Received;
    qint64 NowMs = 0;

    void Advance(qint64 ms) { NowMs += ms; }

    // Sends the bytes and returns the first reply line (without CR LF), or
    // "<none>" when none came within the time.
    QString Ask(const QByteArray &command, int timeoutMs = 1000)
    {
        Received.clear();
        Instrument.Receive(command);
        (void)QTest::qWaitFor([this] { return Received.contains("\r\n"); }, timeoutMs);
        const qsizetype end = Received.indexOf("\r\n");
        return end < 0 ? QStringLiteral("<none>") : QString::fromLatin1(Received.left(end));
    }

    // Everything that arrives within the time.
    QByteArray Collect(const QByteArray &command, int ms)
    {
        Received.clear();
        Instrument.Receive(command);
        QTest::qWait(ms);
        return Received;
    }
};
