#pragma once
// Fault switches of the simulated instrument, so the viewer can be tried
// against a line that misbehaves. Each can be set from a text such as
// "latency=200" (the program's --fault option) or directly by tests.

#include <QList>
#include <QSet>
#include <QString>

struct TSimFaults {
    int LatencyMs = 0;          // every reply waits this long
    bool Silent = false;        // nothing at all goes out (commands still act)
    QSet<QString> SilentTo;     // these mnemonics are not heard at all
    QSet<QString> RefuseTo;     // these mnemonics are answered "?" ("*": every one)
    int GarbageEvery = 0;       // every n-th line is preceded by a line of noise
    int CutEvery = 0;           // every n-th line loses its second half and its end
    int OverlongEvery = 0;      // every n-th line is preceded by an overlong line
    int DleStormEvery = 0;      // every n-th line is preceded by a burst of DLE framing
    int CalibrationError = 0;   // zero and span steps end with this code
    QString CalibrationData;    // answered to "MDD?1" instead of the real data (empty: the real)
    QString CalibrationNoise;   // a line of its own just before the next answer to "MDD?1" (once)
    QList<int> CalibrationProgress; // zero and span steps answer these in turn
    quint16 ErrorStatus = 0;    // the answer to "ESR?"
    int PortLossAfterCommands = 0; // the port goes away at this command (0: never)
    int PortLossAfterMs = 0;    // ... or this long after the start (0: never)

    // Sets one switch from "name" or "name=value"; false with a reason for
    // an unknown name or a bad value.
    bool Apply(const QString &spec, QString *error);
    static QString Help();
    bool Refuses(const QString &mnemonic) const
    {
        return RefuseTo.contains(mnemonic) || RefuseTo.contains(QStringLiteral("*"));
    }
};

inline constexpr int SimOverlongLength = 300;
