#include "sim/sim_instrument.h"

#include "sim/sim_wire.h"

#include <algorithm>

TSimInstrument::TSimInstrument(const TSimConfig &config, QObject *parent)
    : QObject(parent), Scale(Store), Cal(Store, Scale), FaultSwitches(config.Faults), Lenient(config.Lenient),
      Splitter(config.Lenient), Shaper(config.Seed), Passcode(config.Passcode), BinaryStream(config.BinaryStream)
{
    Clock.start();
    Store.SetIdentity(config.Id, config.SerialNumber, config.Version);
    Store.Set("ADR", 0, 0, std::clamp(config.Address, 0, 31));
    Store.Store(); // what the unit holds at power-up is its stored set
    if (config.Walk)
        Scale.Load().SetWalk(config.Seed, 0.95 * double(Store.Int("IAD", 1, 0)));
    else if (!config.Script.Points.isEmpty())
        Scale.Load().SetScript(config.Script);
    else
        Scale.Load().SetFixed(config.Load);
    Scale.Errors() = config.Errors;
    Cal.BusyPolls = std::max(0, config.CalibrationBusyPolls);
    Output.SetBaud(config.Baud);
    SetStreamRate(config.StreamRateHz);

    connect(&Output, &TSimOutput::Transmit, this, [this](const QByteArray &bytes) {
        if (!Lost)
            emit Transmit(bytes);
    });
    StreamTimer.setTimerType(Qt::PreciseTimer);
    connect(&StreamTimer, &QTimer::timeout, this, &TSimInstrument::StreamTick);
    PortLossTimer.setSingleShot(true);
    connect(&PortLossTimer, &QTimer::timeout, this, &TSimInstrument::LosePort);
    if (FaultSwitches.PortLossAfterMs > 0)
        PortLossTimer.start(FaultSwitches.PortLossAfterMs);
}

void TSimInstrument::SetClock(std::function<qint64()> msNow)
{
    ClockOverride = std::move(msNow);
}

qint64 TSimInstrument::Now() const
{
    return ClockOverride ? ClockOverride() : Clock.elapsed();
}

void TSimInstrument::SetStreamRate(int hz)
{
    StreamTimer.setInterval(std::max(1, 1000 / std::clamp(hz, 1, 1000)));
}

bool TSimInstrument::Unlocked() const
{
    return Passcode.isEmpty() || PasscodeEntered;
}

int TSimInstrument::Address() const
{
    return int(Store.Int("ADR", 0, 0));
}

void TSimInstrument::Receive(const QByteArray &bytes)
{
    if (Lost)
        return;
    for (const TSimSplitCommand &command : Splitter.Feed(bytes)) {
        Execute(command);
        if (Lost)
            return;
    }
}

void TSimInstrument::Execute(const TSimSplitCommand &split)
{
    ++CommandCount;
    emit CommandReceived(split.Overlong ? QStringLiteral("(overlong command)") : split.Text);
    if (FaultSwitches.PortLossAfterCommands > 0 && CommandCount >= FaultSwitches.PortLossAfterCommands) {
        LosePort();
        return;
    }
    if (split.Overlong) {
        if (Selection == TSelection::Answer)
            Reply(QStringLiteral("?"));
        return;
    }
    const TSimCommand command = ParseSimCommand(split.Text, Lenient);
    if (command.Mnemonic == QLatin1String("S")) {
        const TReply refusal = Select(command);
        if (refusal && Selection == TSelection::Answer)
            Reply(*refusal);
        return;
    }
    if (Selection == TSelection::Ignore || FaultSwitches.SilentTo.contains(command.Mnemonic))
        return;
    Scale.Advance(Now());
    const TReply reply = FaultSwitches.Refuses(command.Mnemonic) ? TReply(QStringLiteral("?"))
                                                                 : Dispatch(command);
    if (reply && Selection == TSelection::Answer)
        Reply(*reply);
}

TSimInstrument::TReply TSimInstrument::Select(const TSimCommand &command)
{
    // The unit is two digits ("S07"); a lenient instrument also takes one.
    bool ok = false;
    const int unit = command.Argument.toInt(&ok);
    const qsizetype shortest = Lenient ? 1 : 2;
    if (!ok || command.Argument.size() < shortest || command.Argument.size() > 2 ||
        !command.Argument.front().isDigit())
        return QStringLiteral("?");
    if (unit == 98)
        Selection = TSelection::Silent; // every unit acts, none answers
    else if (unit == 99 || unit == Address())
        Selection = TSelection::Answer;
    else
        Selection = TSelection::Ignore;
    return std::nullopt;
}

void TSimInstrument::Reply(const QString &text)
{
    Send(SimWire::Line(text), FaultSwitches.LatencyMs);
}

void TSimInstrument::Send(const QByteArray &unit, int delayMs, bool streamed)
{
    if (Lost)
        return;
    const QByteArray shaped = Shaper.Shape(unit, FaultSwitches);
    if (shaped.isEmpty())
        return;
    emit Queued(shaped.size(), delayMs, streamed);
    Output.Queue(shaped, delayMs);
}

QString TSimInstrument::WeightLine()
{
    const TSimReading reading = Scale.Read();
    return QStringLiteral("%1,%2,%3")
        .arg(SimWire::FormatCounts(reading.Counts, reading.Decimals), 8)
        .arg(Address(), 2, 10, QLatin1Char('0'))
        .arg(reading.Status, 3, 10, QLatin1Char('0'));
}

QByteArray TSimInstrument::WeightRecord()
{
    const TSimReading reading = Scale.Read();
    const quint32 word = quint32(reading.Status) | (quint32(FaultSwitches.ErrorStatus) << 16);
    return SimWire::EncodeRecord(reading.StatusByte, word, qint32(reading.Counts));
}

void TSimInstrument::StartStream(int count)
{
    StreamRemaining = count;
    StreamTimer.start();
}

void TSimInstrument::StreamTick()
{
    // A line that cannot keep up drops records, as the unit's own buffer would.
    if (Output.PendingBytes() <= 4096) {
        Scale.Advance(Now());
        Send(BinaryStream ? WeightRecord() : SimWire::Line(WeightLine()), 0, true);
    }
    if (StreamRemaining > 0 && --StreamRemaining == 0)
        StreamTimer.stop();
}

void TSimInstrument::LosePort()
{
    if (Lost)
        return;
    Lost = true;
    StreamTimer.stop();
    PortLossTimer.stop();
    Output.Clear();
    QMetaObject::invokeMethod(this, &TSimInstrument::PortLost, Qt::QueuedConnection);
}

void TSimInstrument::RestorePort()
{
    Lost = false;
    Selection = TSelection::Answer;
    Splitter = TSimCommandSplitter(Lenient);
    CommandCount = 0;
}
