#include "settings/settingsreport.h"

#include "settings/enumtexts.h"
#include "settings/tools.h"

// Every line is one format filled in a single pass (QString::arg with all its
// values at once), so a header line or format text typed with "%1" in it is
// printed as typed instead of swallowing the next value.

namespace {

QString Named(const QStringList &texts, int index)
{
    return index >= 0 && index < texts.size() ? texts.at(index) : QString::number(index);
}

QString Number(qint32 value) { return QString::number(value); }

// Tenths of a second with one decimal.
QString Tenths(qint32 value) { return FormatCounts(value, 1); }

class TReportBuilder {
public:
    TReportBuilder(QStringList &lines, const Tdata7410 &model) : Lines(lines), M(model) {}

    void Heading(const QString &directZero, const QString &directSpan);
    void Option();
    void Special();
    void Serial();
    void Setpoints();

private:
    QStringList &Lines;
    const Tdata7410 &M;

    QString Counts(qint32 value) const { return FormatCounts(value, M.DecimalPoint); }
    QString Step(qint32 resolution) const
    {
        return resolution >= 0 && resolution < qint32(ResolutionSteps.size())
                   ? Counts(ResolutionSteps[size_t(resolution)])
                   : QString();
    }
    void Add(const QString &line) { Lines.append(line); }
    void Setpoint(int n);
    void MaterialSetpoint(const TSetpoint &s, const QString &head);
};

void TReportBuilder::Heading(const QString &directZero, const QString &directSpan)
{
    Add(QStringLiteral("KD4620 SN:%1 Version %2 ID: %3").arg(M.SerialNumber, M.Version, M.SerialID));
    Add(QStringLiteral("Address = %1").arg(M.Address));
    Add(QString());
    Add(QStringLiteral(" --- BUILD ---"));
    Add(QStringLiteral("  Weighing Mode: %1").arg(Named(WeighModeTexts(), M.WeighMode)));
    Add(QStringLiteral("  Units: %1").arg(Named(UnitsTexts(), M.Units)));
    Add(QStringLiteral("  Max1 = %1, e1 = %2").arg(Counts(M.FullScale1), Step(M.Resolution1)));
    if (M.WeighMode == 1 || M.WeighMode == 2)
        Add(QStringLiteral("  Max2 = %1, e2 = %2").arg(Counts(M.FullScale2), Step(M.Resolution2)));
    Add(QStringLiteral("  High Resolution: %1").arg(M.HighRes ? QStringLiteral("on") : QStringLiteral("off")));
    Add(QStringLiteral("  Additive Tare Maximum: %1").arg(Counts(M.AddTareLimit)));
    Add(QStringLiteral("  Direct Cal mV/V Zero: %1").arg(directZero));
    Add(QStringLiteral("  Direct Cal mV/V Fullscale: %1").arg(directSpan));
    Add(QStringLiteral("  Synch Frequency: %1 Hz").arg(M.SynchFilter));
}

void TReportBuilder::Option()
{
    Add(QString());
    Add(QStringLiteral(" --- OPTION ---"));
    Add(QStringLiteral("  Operating Mode: %1").arg(Named(OperatingModeTexts(), M.OperatingMode)));
    Add(QStringLiteral("  Average: %1 readings, Jitter: %2")
            .arg(Named(AverageTexts(), M.Average), Named(AntiJitterTexts(), M.AntiJitter)));
    Add(QStringLiteral("  Motion: %1").arg(Named(MotionTexts(), M.Motion)));
    Add(QStringLiteral("  Zero Tracking: %1, Zero Range: %2, Auto Zero: %3, Zero Band: %4")
            .arg(Named(MotionTexts(), M.ZeroTracking), Named(ZeroRangeTexts(), M.ZeroRange),
                 Named(AutoZeroTexts(), M.AutoZero), Counts(M.ZeroBand)));
}

void TReportBuilder::Special()
{
    Add(QString());
    Add(QStringLiteral(" --- SPECIAL ---"));
    Add(QStringLiteral("  Zero key: %1, Tare key: %2, Gross/Net key: %3, Print key: %4")
            .arg(Named(FrontKeyTexts(0), M.FrontKeys[0]), Named(FrontKeyTexts(1), M.FrontKeys[1]),
                 Named(FrontKeyTexts(2), M.FrontKeys[2]), Named(FrontKeyTexts(3), M.FrontKeys[3])));
    const QStringList &remote = RemoteKeyTexts();
    Add(QStringLiteral("  Rem 1: %1, Rem 2: %2, Rem 3: %3 Rem 4: %4")
            .arg(Named(remote, M.RemoteKeys[0]), Named(remote, M.RemoteKeys[1]), Named(remote, M.RemoteKeys[2]),
                 Named(remote, M.RemoteKeys[3])));
}

void TReportBuilder::Serial()
{
    Add(QString());
    Add(QStringLiteral(" --- SERIAL ---"));
    Add(QStringLiteral("  Serial 2: %1").arg(Named(Serial2ModeTexts(), M.Serial2Mode)));
    Add(QStringLiteral("  Printing"));
    Add(QStringLiteral("       Mode: %1").arg(Named(PrintModeTexts(), M.PrintMode)));
    Add(QStringLiteral("      Space: Rows: %1, Columns: %2").arg(Number(M.PrintRows), Number(M.PrintColumns)));
    Add(QStringLiteral("     Header: %1").arg(M.HeaderLines[0]));
    for (size_t i = 1; i < M.HeaderLines.size(); ++i)
        Add(QStringLiteral("             %1").arg(M.HeaderLines[i]));
    Add(QStringLiteral("     Format: %1").arg(M.PrintFormat));
    Add(QStringLiteral("  Auto Output"));
    Add(QStringLiteral("       Type: %1,  Source: %2")
            .arg(Named(AutoTypeTexts(), M.AutoType), Named(AutoSourceTexts(), M.AutoSource)));
    Add(QStringLiteral("     Format: %1").arg(M.AutoFormat));
}

void TReportBuilder::Setpoints()
{
    Add(QString());
    Add(QStringLiteral(" --- SETPOINT ---"));
    Add(QStringLiteral("  Inflight Ajustment: %1 %").arg(M.InflightAdjust));
    for (int n = 1; n <= int(M.Setpoints.size()); ++n)
        Setpoint(n);
}

void TReportBuilder::Setpoint(int n)
{
    const TSetpoint &s = M.Setpoints[size_t(n - 1)];
    if (s.Type == 0)
        return;
    const QString head = QStringLiteral("   Setpoint %1:  %2").arg(Number(n), Named(SetpointTypeTexts(), s.Type));
    const QString alarm = Named(SetpointAlarmTexts(), s.Alarm);
    if (s.Type == 1) {
        Add(head);
        Add(QStringLiteral("          Source: %1, Direction: %2, Logic: %3, Lock: %4, Alarm: %5")
                .arg(Named(SetpointSourceTexts(), s.Source), Named(SetpointDirectionTexts(), s.Direction),
                     Named(SetpointLogicTexts(), s.Logic), Named(SetpointLockTexts(), s.Lock), alarm));
        Add(QStringLiteral("       In-flight: %1, Hysteresis: %2").arg(Counts(s.InFlight), Counts(s.Tolerance)));
    } else if (s.Type >= 4 && s.Type <= 8) {
        Add(QStringLiteral("%1,   Alarm: %2").arg(head, alarm));
        if (s.Type == 5)
            Add(QStringLiteral("      Pulse time: %1 secs").arg(Tenths(M.PulseTime)));
    } else {
        MaterialSetpoint(s, head);
    }
}

// Types 2 and 3 work on materials 1 and 2. Other types of this form (9 and
// up) have no material: its name and delay stay empty.
void TReportBuilder::MaterialSetpoint(const TSetpoint &s, const QString &head)
{
    const int m = s.Type - 2;
    const bool known = m >= 0 && m < int(M.Materials.size());
    const QString name = known ? M.Materials[size_t(m)].Name : QString();
    const QString delay = known ? Tenths(M.Materials[size_t(m)].Delay) : QString();
    Add(head);
    Add(QStringLiteral("        Material: %1").arg(name));
    Add(QStringLiteral("          Source: %1, Direction: %2  Lock: %3, Alarm: %4")
            .arg(Named(SetpointSourceTexts(), s.Source), Named(SetpointDirectionTexts(), s.Direction),
                 Named(SetpointLockTexts(), s.Lock), Named(SetpointAlarmTexts(), s.Alarm)));
    Add(QStringLiteral("       In-flight: %1, Tolerance: %2").arg(Counts(s.InFlight), Counts(s.Tolerance)));
    Add(QStringLiteral("           Delay: %1 secs").arg(delay));
}

} // namespace

void BuildSettingsReport(QStringList &list, const Tdata7410 &model, const QString &directZeroText,
                         const QString &directSpanText)
{
    list.clear();
    TReportBuilder report(list, model);
    report.Heading(directZeroText, directSpanText);
    report.Option();
    report.Special();
    report.Serial();
    report.Setpoints();
}
