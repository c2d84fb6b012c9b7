#pragma once
// The simulated KD4620: takes the bytes the host sends, executes the
// commands (unit selection, passcode, settings, keys, weight, calibration,
// streaming) and sends its replies through a transmitter that honours the
// fault switches, the reply latency and the pacing. Transport-free: the
// program serves it on a pseudo-terminal, tests connect it in-process.

#include "sim/sim_calibration.h"
#include "sim/sim_command.h"
#include "sim/sim_command_splitter.h"
#include "sim/sim_config.h"
#include "sim/sim_fault_shaper.h"
#include "sim/sim_output.h"
#include "sim/sim_settings.h"
#include "sim/sim_weight.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class TSimInstrument : public QObject {
    Q_OBJECT
public:
    explicit TSimInstrument(const TSimConfig &config = {}, QObject *parent = nullptr);

    // Bytes from the host.
    void Receive(const QByteArray &bytes);

    TSimFaults &Faults() { return FaultSwitches; }
    TSimSettings &Settings() { return Store; }
    TSimWeight &Weight() { return Scale; }
    TSimLoad &Load() { return Scale.Load(); }
    TSimCalibration &Calibration() { return Cal; }

    // Time source in ms since the start; tests replace it to step time.
    void SetClock(std::function<qint64()> msNow);
    qint64 Now() const;

    void SetStreamRate(int hz);
    void SetBinaryStream(bool binary) { BinaryStream = binary; }
    void SetBaud(int baud) { Output.SetBaud(baud); }
    bool Streaming() const { return StreamTimer.isActive(); }
    bool Unlocked() const;
    int Address() const;

    // The port goes away (announced by PortLost from the event loop);
    // nothing more is sent or taken until RestorePort.
    void LosePort();
    void RestorePort();
    bool IsPortLost() const { return Lost; }

signals:
    void Transmit(const QByteArray &bytes);
    // A reply or streamed record of `bytes` was queued, to leave after
    // `delayMs` (a bus uses it to see two units talking at once).
    void Queued(qsizetype bytes, int delayMs, bool streamed);
    void PortLost();
    void CommandReceived(const QString &command);

private:
    enum class TSelection { Answer, Silent, Ignore };
    using TReply = std::optional<QString>; // nullopt: nothing to answer

    TSimSettings Store;
    TSimWeight Scale;
    TSimCalibration Cal;
    TSimFaults FaultSwitches;
    bool Lenient = false;
    TSimCommandSplitter Splitter;
    TSimFaultShaper Shaper;
    TSimOutput Output;
    QElapsedTimer Clock;
    std::function<qint64()> ClockOverride;
    QTimer StreamTimer;
    QTimer PortLossTimer;
    QString Passcode;
    bool PasscodeEntered = false;
    TSelection Selection = TSelection::Answer;
    int CommandCount = 0;
    int StreamRemaining = 0; // records left in a counted stream; 0: endless
    bool BinaryStream = false;
    int OutputFormat = 11;
    bool Lost = false;

    void Execute(const TSimSplitCommand &split);
    TReply Dispatch(const TSimCommand &command);
    TReply Select(const TSimCommand &command);
    TReply Measure(const TSimCommand &command);
    TReply Passcodes(const TSimCommand &command);
    TReply Key(const TSimCommand &command);
    TReply ZeroOrSpan(const TSimCommand &command, bool span);
    TReply Linearisation(const TSimCommand &command);
    TReply CalibrationData(const TSimCommand &command);
    TReply Setting(const TSimCommand &command);
    TReply Simple(const TSimCommand &command);

    void Reply(const QString &text);
    void Send(const QByteArray &unit, int delayMs, bool streamed = false);
    QString WeightLine();
    QByteArray WeightRecord();
    void StreamTick();
    void StartStream(int count);
};
