#pragma once
// The weighing channel of the simulated instrument: the load cell signal made
// from the load, the calibration from signal to counts (zero and span signal,
// five linearisation points), the zero offset and tare of the front keys,
// gross/net, the two ranges of the dual modes, overload, motion detection and
// the four setpoint outputs. It converts every 10 ms of simulated time and
// reads its configuration from the settings store at each conversion.

#include "sim/sim_load.h"

#include <QList>
#include <array>

class TSimSettings;

struct TSimReading {
    qint64 Counts = 0;   // the displayed number without its point
    int Decimals = 0;    // the decimal point setting, one more with high resolution
    int Status = 0;      // status bits of a weight line
    quint8 StatusByte = 0; // status byte of a binary record
};

// Status bits of a weight line.
namespace SimStatus {
constexpr int Overload = 1 << 0;
constexpr int Stable = 1 << 1;
constexpr int Net = 1 << 2;
constexpr int Range2 = 1 << 3;
constexpr int Output1 = 1 << 4; // outputs 2..4 follow
constexpr int CentreOfZero = 1 << 8;
} // namespace SimStatus

// Status byte of a binary record.
namespace SimRecordStatus {
constexpr quint8 Output1 = 0x01; // outputs 2..4: 0x02, 0x04, 0x08
constexpr quint8 Net = 0x10;
constexpr quint8 Overload = 0x20;
constexpr quint8 CentreOfZero = 0x40;
constexpr quint8 Motion = 0x80;
} // namespace SimRecordStatus

enum class TSimKey { Zero, Tare, GrossNet, Print };

// Faults of the weighing itself, so that a verification with test weights
// can be seen to fail: each in verification scale intervals (one division of
// range 1) and made on the load before the calibration, so a new span
// calibration takes out a span error but no other.
struct TSimWeighingErrors {
    // At Full Scale 1, and in proportion to the load below it.
    double SpanE = 0;
    // Most at half Full Scale 1, none at zero and at Full Scale 1.
    double NonlinearityE = 0;
    // For a third of Full Scale 1 on a corner, in proportion to the load:
    // the front corners 1 and 2 read high, the back corners 3 and 4 low.
    double EccentricityE = 0;
    // Where the load lies: 0 the centre, 1..4 the corners.
    int Position = 0;
    // The platform never comes to rest (a draught, a vibrating floor): the
    // weight swings by a few divisions and the stable bit stays clear.
    bool Shaking = false;
};

class TSimWeight {
public:
    // Signal per count of load at the factory calibration, in 0.0001 mV/V:
    // 4000 counts (the default full scale) give the default span of 2 mV/V.
    static constexpr double CellGain = 5.0;
    static constexpr int ConversionMs = 10;

    explicit TSimWeight(const TSimSettings &settings);

    TSimLoad &Load() { return LoadSource; }
    TSimWeighingErrors &Errors() { return WeighingErrors; }

    // Brings the scale up to the given time (ms since start, never going back).
    void Advance(qint64 ms);

    double Signal() const { return SignalNow; }
    // The calibrated reading before linearisation and the zero key's offset.
    double Uncorrected() const;
    double Gross() const { return GrossNow; }
    bool Moving() const;
    bool Overloaded() const;
    TSimReading Read() const;

    // A front key; false when the key is locked or the scale refuses it now
    // (moving, overloaded, out of the zero range, nothing to tare).
    bool Press(TSimKey key, bool longPress);
    bool NetMode() const { return Net; }
    qint64 Tare() const { return TareCounts; } // reading units, as the weight line
    int PrintCount() const { return Prints; }
    qint64 PrintTotal() const { return PrintSum; } // reading units
    void ClearZeroAndTare();
    // Takes up a new calibration or setting at once, without the jump of
    // the reading counting as motion.
    void Recompute();

    // Linearisation points 1..5: the uncorrected reading at which the point
    // was set and the weight it stands for.
    void SetLinearisation(int point, double raw, qint64 weight);
    void ClearLinearisation(int point);
    bool LinearisationUsed(int point) const;
    double LinearisationRaw(int point) const;

private:
    struct TSample {
        qint64 Ms;
        double Gross;
    };
    struct TLinPoint {
        bool Used = false;
        double Raw = 0;
        qint64 Weight = 0;
    };

    const TSimSettings &Settings;
    TSimLoad LoadSource;
    TSimWeighingErrors WeighingErrors;
    qint64 LastMs = -ConversionMs; // the first conversion is at time 0
    double SignalNow = 0;
    double GrossNow = 0;
    QList<TSample> History;
    double ZeroOffset = 0;
    qint64 TareCounts = 0;
    bool Net = false;
    bool Range2Latched = false;
    std::array<bool, 4> SetpointActive{};
    std::array<TLinPoint, 5> Lin{};
    int Prints = 0;
    qint64 PrintSum = 0;

    void Convert(qint64 ms);
    // What the weighing faults add to a load, in counts of load.
    double LoadError(double load, qint64 ms) const;
    double Correction(double raw) const;
    int WeighMode() const;
    int Range() const;
    // Reading units: counts, or tenths of counts with high resolution.
    qint64 Fineness() const;
    qint64 Step(int range) const;       // one division, in reading units
    double Division(int range) const;   // one division, in counts
    qint64 TopFullScale() const;
    qint64 ShownGross() const; // in reading units
    qint64 Shown() const;
    bool CentreOfZero() const;
    void UpdateSetpoints();
    bool SetpointOutput(int index) const;
    bool KeyAllowed(int key, bool needsStable) const;
};
