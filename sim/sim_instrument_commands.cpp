// What the simulated instrument does with each command, and what it answers.

#include "sim/sim_instrument.h"

#include <cmath>

namespace {

bool IsDigits(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

const QString Accepted = QStringLiteral("0");
constexpr qint64 SignalWeighMode = 4; // weighing mode 3 on the wire
const QString Refused = QStringLiteral("?");

} // namespace

TSimInstrument::TReply TSimInstrument::Dispatch(const TSimCommand &command)
{
    const QString &m = command.Mnemonic;
    if (m.size() == 2 && m.startsWith(QLatin1Char('K')))
        return Key(command);
    if (m == QLatin1String("MSV"))
        return Measure(command);
    if (m == QLatin1String("PCD"))
        return Passcodes(command);
    if (m == QLatin1String("LDW") || m == QLatin1String("LWT"))
        return ZeroOrSpan(command, m == QLatin1String("LWT"));
    if (m == QLatin1String("LIC"))
        return Linearisation(command);
    if (m == QLatin1String("MDD"))
        return CalibrationData(command);
    if (TSimSettings::Find(m))
        return Setting(command);
    return Simple(command);
}

TSimInstrument::TReply TSimInstrument::Measure(const TSimCommand &command)
{
    if (!command.Query)
        return Refused;
    if (command.Argument.isEmpty())
        return WeightLine();
    // "MSV?,n": n weights at the stream rate, 0 for an endless stream.
    const QString count = command.Argument.mid(1);
    if (!command.Argument.startsWith(QLatin1Char(',')) || !IsDigits(count) || count.size() > 6)
        return Refused;
    StartStream(count.toInt());
    return std::nullopt;
}

TSimInstrument::TReply TSimInstrument::Passcodes(const TSimCommand &command)
{
    if (command.Query)
        return command.Argument.isEmpty() ? TReply(Unlocked() ? Accepted : QStringLiteral("1")) : Refused;
    if (command.Argument.isEmpty()) {
        PasscodeEntered = false; // guarded settings are locked again
        return Accepted;
    }
    if (!IsDigits(command.Argument))
        return Refused;
    if (Passcode.isEmpty())
        return Accepted;
    if (command.Argument != Passcode)
        return Refused;
    PasscodeEntered = true;
    return Accepted;
}

TSimInstrument::TReply TSimInstrument::Key(const TSimCommand &command)
{
    // Two letters and the unit address ("00": whichever unit is selected).
    const QString &unit = command.Argument;
    if (command.Query || unit.size() != 2 || !IsDigits(unit))
        return Refused;
    if (unit.toInt() != 0 && unit.toInt() != Address())
        return std::nullopt;
    const QChar letter = command.Mnemonic[1];
    const bool longPress = letter.isUpper();
    TSimKey key;
    switch (letter.toLower().toLatin1()) {
    case 'z': key = TSimKey::Zero; break;
    case 't': key = TSimKey::Tare; break;
    case 'g': key = TSimKey::GrossNet; break;
    case 'q': key = TSimKey::Print; break;
    default: return Refused;
    }
    return Scale.Press(key, longPress) ? Accepted : Refused;
}

TSimInstrument::TReply TSimInstrument::ZeroOrSpan(const TSimCommand &command, bool span)
{
    Cal.ForcedError = FaultSwitches.CalibrationError;
    Cal.ScriptedProgress = FaultSwitches.CalibrationProgress;
    // Weighing mode 3 (signals in mV/V) runs no calibration step: the bare
    // query answers the stored signal, which the span dialog starts from.
    const bool signalMode = Store.Int("WMD", 0, 0) == SignalWeighMode;
    if (command.Query) {
        if (command.Argument.isEmpty() && !signalMode)
            return QString::number(Cal.Progress());
        const QString item = command.Argument.isEmpty() ? QStringLiteral("1") : command.Argument;
        return Store.Query(command.Mnemonic, item).value_or(Refused);
    }
    if (command.Argument.isEmpty()) {
        Cal.Start(span);
        return Accepted;
    }
    const auto values = SplitSimValues(command.Argument);
    if (!values || values->isEmpty() || values->first().IsText)
        return Refused;
    // "LDW1,n" sets the zero signal directly; in weighing mode 3 "LDWn" does.
    if (values->size() == 2 && values->first().Number == 1 && !values->last().IsText)
        return Cal.SetDirect(span, values->last().Number) ? Accepted : Refused;
    if (values->size() == 1 && signalMode)
        return Cal.SetDirect(span, values->first().Number) ? Accepted : Refused;
    return Refused;
}

TSimInstrument::TReply TSimInstrument::Linearisation(const TSimCommand &command)
{
    if (command.Query)
        return Store.Query(command.Mnemonic, command.Argument).value_or(Refused);
    const auto values = SplitSimValues(command.Argument);
    if (!values || values->isEmpty() || values->size() > 2)
        return Refused;
    for (const TSimValue &value : *values)
        if (value.IsText)
            return Refused;
    const int point = int(values->first().Number);
    if (values->size() == 1)
        return Cal.ClearLinearisation(point) ? Accepted : Refused;
    return Cal.SetLinearisation(point, values->last().Number) ? Accepted : Refused;
}

TSimInstrument::TReply TSimInstrument::CalibrationData(const TSimCommand &command)
{
    if (command.Query && !FaultSwitches.CalibrationNoise.isEmpty()) {
        Reply(FaultSwitches.CalibrationNoise);
        FaultSwitches.CalibrationNoise.clear();
    }
    if (command.Query && command.Argument == QLatin1String("1") && !FaultSwitches.CalibrationData.isEmpty())
        return FaultSwitches.CalibrationData;
    if (command.Query)
        return command.Argument == QLatin1String("1") ? TReply(Cal.Backup()) : Refused;
    QString data = command.Argument;
    if (data.size() >= 2 && data.startsWith(QLatin1Char('"')) && data.endsWith(QLatin1Char('"')))
        data = data.mid(1, data.size() - 2);
    return Cal.Restore(data) ? Accepted : Refused;
}

TSimInstrument::TReply TSimInstrument::Setting(const TSimCommand &command)
{
    if (command.Query)
        return Store.Query(command.Mnemonic, command.Argument).value_or(Refused);
    if (TSimSettings::IsGuarded(command.Mnemonic) && !Unlocked())
        return Refused;
    if (!Store.Write(command.Mnemonic, command.Argument))
        return Refused;
    Scale.Recompute();
    return Accepted;
}

TSimInstrument::TReply TSimInstrument::Simple(const TSimCommand &command)
{
    const QString &m = command.Mnemonic;
    const QString &argument = command.Argument;
    if (m == QLatin1String("STP") && !command.Query && argument.isEmpty()) {
        StreamTimer.stop();
        return Accepted;
    }
    if (m == QLatin1String("ESR") && command.Query && argument.isEmpty())
        return QStringLiteral("%1").arg(FaultSwitches.ErrorStatus, 4, 16, QLatin1Char('0')).toUpper();
    if (m == QLatin1String("VAL") && command.Query && argument.isEmpty())
        return QString::number(qint64(std::llround(Scale.Signal())));
    if (m == QLatin1String("TDD") && !command.Query && argument == QLatin1String("1")) {
        Store.Store();
        return Accepted;
    }
    if (m == QLatin1String("COF")) {
        if (command.Query)
            return argument.isEmpty() ? TReply(QString::number(OutputFormat)) : Refused;
        if (!IsDigits(argument) || argument.size() > 3 || argument.toInt() > 255)
            return Refused;
        OutputFormat = argument.toInt();
        return Accepted;
    }
    return Refused;
}
