// What a settings model may hold, whatever it was fed: only values its own
// write commands can carry, and no text that could end or smuggle a command.
#include "fuzz/settings_invariants.h"

#include "fuzz/check.h"
#include "settings/database.h"

namespace {

bool Within(qint32 value, qint32 minimum, qint32 maximum)
{
    return value >= minimum && value <= maximum;
}

} // namespace

void CheckSettingsRanges(const Tdata7410 &m)
{
    QV_FUZZ_CHECK(Within(m.Address, 0, 31));
    QV_FUZZ_CHECK(Within(m.WeighMode, 0, 3));
    QV_FUZZ_CHECK(Within(m.OperatingMode, 0, 1));
    QV_FUZZ_CHECK(Within(m.DecimalPoint, 0, 5));
    QV_FUZZ_CHECK(Within(m.FullScale1, 0, 999999) && Within(m.FullScale2, 0, 999999));
    QV_FUZZ_CHECK(Within(m.CalWeight, 0, 999999) && Within(m.AddTareLimit, 0, 999999));
    QV_FUZZ_CHECK(Within(m.Resolution1, 0, 6) && Within(m.Resolution2, 0, 6));
    QV_FUZZ_CHECK(Within(m.DirectZero, -32000, 32000) && Within(m.DirectSpan, -32000, 32000));
    QV_FUZZ_CHECK(Within(m.Units, 0, 4) && Within(m.Average, 0, 14) && Within(m.AntiJitter, 0, 2));
    QV_FUZZ_CHECK(Within(m.SynchFilter, 10, 60) && Within(m.Motion, 0, 12));
    QV_FUZZ_CHECK(Within(m.ZeroTracking, 0, 12) && Within(m.ZeroRange, 0, 3));
    QV_FUZZ_CHECK(Within(m.ZeroBand, 0, 999999) && Within(m.AutoZero, 0, 1));
    for (int i = 0; i < 5; ++i)
        QV_FUZZ_CHECK(Within(m.LinPercent[i], -150, 150) && Within(m.LinWeight[i], -99999, 999999));
    QV_FUZZ_CHECK(m.SerialID.size() <= 10 && m.SerialNumber.size() <= 10 && m.Version.size() <= 6);
    for (const QString &line : m.HeaderLines)
        QV_FUZZ_CHECK(line.size() <= 30 && Tdata7410::IsSafeSettingText(line));
    QV_FUZZ_CHECK(m.PrintFormat.size() <= 100 && m.AutoFormat.size() <= 20);
    for (const QString *text : {&m.SerialID, &m.SerialNumber, &m.Version, &m.PrintFormat, &m.AutoFormat})
        QV_FUZZ_CHECK(Tdata7410::IsSafeSettingText(*text));
    QV_FUZZ_CHECK(Within(m.Serial2Mode, 0, 3) && Within(m.PrintMode, 0, 7));
    QV_FUZZ_CHECK(Within(m.AutoType, 0, 5) && Within(m.AutoSource, 0, 3));
    QV_FUZZ_CHECK(Within(m.PrintColumns, 0, 20) && Within(m.PrintRows, 0, 10));
    for (int k = 0; k < 4; ++k)
        QV_FUZZ_CHECK(Within(m.FrontKeys[k], 0, 2) && Within(m.RemoteKeys[k], 0, 21));
    QV_FUZZ_CHECK(Within(m.InflightAdjust, 0, 100) && Within(m.PulseTime, 1, 200));
    const qint32 optionMaximum[5] = {1, 2, 1, 1, 1};
    for (int i = 0; i < 5; ++i)
        QV_FUZZ_CHECK(Within(m.SetpointOptions[i], 0, optionMaximum[i]));
    for (const TSetpoint &s : m.Setpoints) {
        QV_FUZZ_CHECK(Within(s.Type, 0, 50) && Within(s.Source, 0, 1) && Within(s.Direction, 0, 1));
        QV_FUZZ_CHECK(Within(s.Logic, 0, 1) && Within(s.Lock, 0, 1) && Within(s.Alarm, 0, 4));
        QV_FUZZ_CHECK(Within(s.Target, -99999, 999999) && Within(s.InFlight, 0, 999999));
        QV_FUZZ_CHECK(Within(s.Tolerance, 0, 999999));
    }
    for (const TMaterial &material : m.Materials) {
        QV_FUZZ_CHECK(material.Name.size() <= 10 && Tdata7410::IsSafeSettingText(material.Name));
        QV_FUZZ_CHECK(Within(material.Delay, 0, 200));
    }
}

