#pragma once
// Calibration of the simulated instrument: zero and span steps that reach
// their result over a few progress queries, direct zero and span signals,
// linearisation points and the calibration data as one opaque text.

#include <QList>
#include <QString>

class TSimSettings;
class TSimWeight;

class TSimCalibration {
public:
    // Progress answers of a running step, and the codes it can end with.
    static constexpr int Busy = 1;
    static constexpr int Computing = 50;
    static constexpr int ZeroTooHigh = 101;
    static constexpr int ZeroTooLow = 102;
    static constexpr int SpanTooLow = 103;
    static constexpr int SpanTooHigh = 104;
    static constexpr int InvalidZeroCal = 105;
    // Linearisation weights are kept (and answered to "LIC?n") at one
    // decimal more than the display: "LIC2,500" lists as 5000.
    static constexpr int LinearisationScale = 10;

    TSimCalibration(TSimSettings &settings, TSimWeight &weight);

    int BusyPolls = 3;    // progress queries answered "1" before a step computes
    int ForcedError = 0;  // fault: every step ends with this code (0: none)
    // Fault: a step answers its progress queries with these in turn, the last
    // one for ever after, instead of computing (nothing is calibrated).
    QList<int> ScriptedProgress;

    void Start(bool span);
    // The answer to "LDW?" / "LWT?": 1 while the scale moves or the step is
    // busy, 50 while it computes, then 0 or an error code above 100 (kept
    // until the next step starts).
    int Progress();

    bool SetDirect(bool span, qint64 signal);
    // weight in display counts, -9999..99999.
    bool SetLinearisation(int point, qint64 weight);
    bool ClearLinearisation(int point);

    QString Backup() const;
    bool Restore(const QString &text);

private:
    enum class TState { Idle, Busy, Computing };
    TSimSettings &Settings;
    TSimWeight &Weight;
    TState State = TState::Idle;
    bool Span = false;
    int Remaining = 0;
    int Result = 0;
    qsizetype ScriptPosition = 0;

    int Complete();
    int CompleteZero();
    int CompleteSpan();
};
