#pragma once
// How a simulated instrument starts: its identity, unit address, passcode,
// load, streaming, pacing and fault switches.

#include "sim/sim_faults.h"
#include "sim/sim_load.h"
#include "sim/sim_weight.h"

#include <QString>

struct TSimConfig {
    int Address = 0;         // unit address, 0..31
    QString Passcode;        // digits; empty: no passcode
    QString Id = QStringLiteral("KD4620");
    QString SerialNumber = QStringLiteral("46200001");
    QString Version = QStringLiteral("1.04");
    double Load = 0;         // fixed load, display counts
    TSimLoadScript Script;   // used when it has points
    bool Walk = false;       // random walk load (beats Script and Load)
    quint32 Seed = 4620;
    int StreamRateHz = 10;   // lines or records a second after "MSV?,0"
    bool BinaryStream = false;
    int Baud = 0;            // pacing; 0: bytes leave at once
    int CalibrationBusyPolls = 3;
    // Also takes lower-case mnemonics, CR or LF as command ends and a
    // one-digit unit selection, which the instrument itself refuses.
    bool Lenient = false;
    TSimFaults Faults;
    TSimWeighingErrors Errors; // faults of the weighing (a span error, ...)
};
