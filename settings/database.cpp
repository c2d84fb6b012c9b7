#include "settings/database.h"

#include "link/comms.h"

namespace {

constexpr qint32 MaxCounts = 999999;
constexpr qint32 MinTarget = -99999;

bool IsUnsafeChar(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'"' || u == u';' || u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

// The text as it may stand between the quotes of a write command.
QString Quoted(const QString &text)
{
    QString safe = text;
    safe.removeIf(IsUnsafeChar);
    return u'"' + safe + u'"';
}

QString Numbers(std::initializer_list<qint32> values)
{
    QString text;
    for (const qint32 value : values) {
        if (!text.isEmpty())
            text += u',';
        text += QString::number(value);
    }
    return text;
}

// Reads the fields of one settings line into model fields, each only when it
// is present and in range.
class TIntake {
public:
    explicit TIntake(const Tcommsobj &parser) : parser(parser) {}

    bool Read(int index, qint32 minimum, qint32 maximum, qint32 &value) const
    {
        qint32 places = 0;
        return Counted(parser.GetInt(index, value, minimum, maximum, places));
    }

    // The wire value must lie in minimum..maximum; the model stores it less offset.
    void Take(int index, qint32 minimum, qint32 maximum, qint32 &field, qint32 offset = 0) const
    {
        qint32 value = 0;
        if (Read(index, minimum, maximum, value))
            field = value - offset;
    }

    void TakeFlag(int index, bool &field) const
    {
        qint32 value = 0;
        if (Read(index, 0, 1, value))
            field = value == 1;
    }

    void TakeText(int index, int minimumLength, int maximumLength, QString &field) const
    {
        QString text;
        ++texts;
        if (Counted(parser.GetText(index, text, minimumLength, maximumLength)
                    && Tdata7410::IsSafeSettingText(text)))
            field = text;
    }

    // Every field the line was read for was there, in range; texts counts
    // the text fields among them.
    bool AllTaken() const { return !missed; }
    int Texts() const { return texts; }

private:
    bool Counted(bool taken) const
    {
        missed = missed || !taken;
        return taken;
    }

    const Tcommsobj &parser;
    mutable bool missed = false;
    mutable int texts = 0;
};

void TakeIdentity(Tdata7410 &m, const TIntake &in)
{
    in.TakeText(0, 0, SerialIDLength, m.SerialID);
    in.TakeText(1, 1, 10, m.SerialNumber);
    in.TakeText(2, 1, 6, m.Version);
}

void TakeAddress(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 0, 31, m.Address);
}

void TakeRange(Tdata7410 &m, const TIntake &in)
{
    qint32 range = 0;
    if (!in.Read(0, 1, 2, range))
        return;
    if (range == 1) {
        in.Take(1, 0, MaxCounts, m.FullScale1);
        in.Take(2, 0, 5, m.DecimalPoint);
        in.Take(3, 1, 7, m.Resolution1, 1);
        in.TakeFlag(4, m.HighRes);
        in.Take(5, 0, MaxCounts, m.AddTareLimit);
    } else {
        // Decimal point, high resolution and tare limit are common to both
        // ranges and taken from range 1 only.
        in.Take(1, 0, MaxCounts, m.FullScale2);
        in.Take(3, 1, 7, m.Resolution2, 1);
    }
}

void TakeCalWeight(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 0, MaxCounts, m.CalWeight);
}

void TakeWeighMode(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 1, 4, m.WeighMode, 1);
    in.Take(1, 0, 1, m.OperatingMode);
}

void TakeUnits(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 0, 4, m.Units);
}

void TakeSynchFilter(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 10, 60, m.SynchFilter);
}

void TakeFilter(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 0, 14, m.Average);
    in.Take(1, 0, 2, m.AntiJitter);
}

void TakeFrontKey(Tdata7410 &m, const TIntake &in)
{
    qint32 key = 0;
    if (in.Read(0, 0, 3, key))
        in.Take(1, 0, 2, m.FrontKeys[key]);
}

void TakeMotion(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 0, 12, m.Motion);
}

void TakeZero(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 0, 1, m.AutoZero);
    in.Take(1, 0, 12, m.ZeroTracking);
    in.Take(2, 1, 4, m.ZeroRange, 1);
    in.Take(3, 0, MaxCounts, m.ZeroBand);
}

void TakeDirectZero(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, -32000, 32000, m.DirectZero);
}

void TakeDirectSpan(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, -32000, 32000, m.DirectSpan);
}

void TakePrintFormat(Tdata7410 &m, const TIntake &in)
{
    in.TakeText(0, 0, 100, m.PrintFormat);
}

void TakeAutoFormat(Tdata7410 &m, const TIntake &in)
{
    in.TakeText(0, 0, AutoFormatLength, m.AutoFormat);
}

void TakeHeaderLine(Tdata7410 &m, const TIntake &in)
{
    qint32 line = 0;
    if (in.Read(0, 1, 6, line))
        in.TakeText(1, 0, 30, m.HeaderLines[line - 1]);
}

void TakePrinter(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 0, 3, m.Serial2Mode);
    in.Take(1, 1, 8, m.PrintMode, 1);
    in.Take(2, 1, 6, m.AutoType, 1);
    in.Take(3, 0, 20, m.PrintColumns);
    in.Take(4, 0, 10, m.PrintRows);
    in.Take(5, 1, 4, m.AutoSource, 1);
}

void TakeRemoteKey(Tdata7410 &m, const TIntake &in)
{
    qint32 input = 0;
    if (in.Read(0, 1, 4, input))
        in.Take(1, 0, 21, m.RemoteKeys[input - 1]);
}

void TakeLinearisation(Tdata7410 &m, const TIntake &in)
{
    qint32 point = 0;
    qint32 percent = 0;
    qint32 weight = 0;
    // A point is only meaningful as a pair: both or nothing.
    if (in.Read(0, 1, 5, point) && in.Read(1, -150, 150, percent)
        && in.Read(2, MinTarget, MaxCounts, weight)) {
        m.LinPercent[point - 1] = percent;
        m.LinWeight[point - 1] = weight;
    }
}

void TakeSetpoint(Tdata7410 &m, const TIntake &in)
{
    qint32 number = 0;
    if (!in.Read(0, 1, 4, number))
        return;
    TSetpoint &s = m.Setpoints[number - 1];
    in.Take(1, 0, 50, s.Type);
    in.Take(2, 1, 2, s.Source, 1);
    in.Take(3, 1, 2, s.Direction, 1);
    in.Take(4, MinTarget, MaxCounts, s.Target);
    in.Take(5, 0, MaxCounts, s.InFlight);
    in.Take(6, 0, MaxCounts, s.Tolerance);
    in.Take(7, 1, 2, s.Logic, 1);
    in.Take(8, 0, 1, s.Lock);
    // 4 is "Flash Display", which the editor offers and the instrument takes.
    in.Take(9, 0, 4, s.Alarm);
}

void TakeSetpointOptions(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, 0, 100, m.InflightAdjust);
    in.Take(1, 1, 200, m.PulseTime);
    in.Take(2, 0, 200, m.Materials[0].Delay);
    in.Take(3, 0, 200, m.Materials[1].Delay);
    static constexpr qint32 optionMaximum[5] = {1, 2, 1, 1, 1};
    for (int i = 0; i < 5; ++i)
        in.Take(4 + i, 0, optionMaximum[i], m.SetpointOptions[i]);
}

void TakeMaterialName(Tdata7410 &m, const TIntake &in)
{
    qint32 material = 0;
    if (in.Read(0, 1, 2, material))
        in.TakeText(1, 0, 10, m.Materials[material - 1].Name);
}

struct TIntakeRow {
    const char16_t *mnemonic;
    void (*take)(Tdata7410 &, const TIntake &);
};

constexpr TIntakeRow IntakeTable[] = {
    {u"IDN", TakeIdentity},      {u"ADR", TakeAddress},       {u"IAD", TakeRange},
    {u"CWT", TakeCalWeight},     {u"WMD", TakeWeighMode},     {u"ENU", TakeUnits},
    {u"ICR", TakeSynchFilter},   {u"ASF", TakeFilter},        {u"LBT", TakeFrontKey},
    {u"MTD", TakeMotion},        {u"ZST", TakeZero},          {u"LDW", TakeDirectZero},
    {u"LWT", TakeDirectSpan},    {u"PFT", TakePrintFormat},   {u"AFT", TakeAutoFormat},
    {u"PST", TakeHeaderLine},    {u"PRS", TakePrinter},       {u"RBT", TakeRemoteKey},
    {u"LIC", TakeLinearisation}, {u"LIV", TakeSetpoint},      {u"LIS", TakeSetpointOptions},
    {u"LIL", TakeMaterialName},
};

const TIntakeRow *FindIntake(QStringView mnemonic)
{
    for (const TIntakeRow &row : IntakeTable) {
        if (mnemonic == QStringView(row.mnemonic))
            return &row;
    }
    return nullptr;
}

} // namespace

Tdata7410::Tdata7410()
{
    for (int m = 0; m < int(Materials.size()); ++m)
        Materials[m].Name = QStringLiteral("MAT %1").arg(m + 1, 2);
}

bool Tdata7410::IsSafeSettingText(const QString &text)
{
    return std::none_of(text.begin(), text.end(), IsUnsafeChar);
}

void Tdata7410::BuildWriteCommands(QStringList &list) const
{
    list.clear();
    list.reserve(36);
    list << QStringLiteral("IDN") + Quoted(SerialID);
    list << QStringLiteral("ADR") + QString::number(Address);
    list << QStringLiteral("IAD1,") + Numbers({FullScale1, DecimalPoint, Resolution1 + 1, HighRes ? 1 : 0, AddTareLimit});
    list << QStringLiteral("IAD2,") + Numbers({FullScale2, DecimalPoint, Resolution2 + 1, HighRes ? 1 : 0, AddTareLimit});
    list << QStringLiteral("CWT") + QString::number(CalWeight);
    list << QStringLiteral("WMD") + Numbers({WeighMode + 1, OperatingMode});
    list << QStringLiteral("ENU") + QString::number(Units);
    list << QStringLiteral("ICR") + QString::number(SynchFilter);
    list << QStringLiteral("ASF") + Numbers({Average, AntiJitter});
    for (int key = 0; key < 4; ++key)
        list << QStringLiteral("LBT") + Numbers({key, FrontKeys[key]});
    list << QStringLiteral("MTD") + QString::number(Motion);
    list << QStringLiteral("PFT") + Quoted(PrintFormat);
    // The custom auto format goes once before and once after PRS.
    list << QStringLiteral("AFT") + Quoted(AutoFormat);
    for (int line = 1; line <= 6; ++line)
        list << QStringLiteral("PST") + QString::number(line) + u',' + Quoted(HeaderLines[line - 1]);
    list << QStringLiteral("PRS") + Numbers({Serial2Mode, PrintMode + 1, AutoType + 1, PrintColumns, PrintRows, AutoSource + 1});
    list << QStringLiteral("AFT") + Quoted(AutoFormat);
    list << QStringLiteral("ZST") + Numbers({AutoZero, ZeroTracking, ZeroRange + 1, ZeroBand});
    for (int input = 1; input <= 4; ++input)
        list << QStringLiteral("RBT") + Numbers({input, RemoteKeys[input - 1]});
    for (int n = 1; n <= 4; ++n) {
        const TSetpoint &s = Setpoints[n - 1];
        list << QStringLiteral("LIV") + Numbers({n, s.Type, s.Source + 1, s.Direction + 1, s.Target, s.InFlight,
                                  s.Tolerance, s.Logic + 1, s.Lock, s.Alarm});
    }
    list << QStringLiteral("LIS") + Numbers({InflightAdjust, PulseTime, Materials[0].Delay, Materials[1].Delay,
                              SetpointOptions[0], SetpointOptions[1], SetpointOptions[2],
                              SetpointOptions[3], SetpointOptions[4]});
    for (int m = 1; m <= 2; ++m)
        list << QStringLiteral("LIL") + QString::number(m) + u',' + Quoted(Materials[m - 1].Name);
}

void Tdata7410::BuildQueryList(bool full, QStringList &queries, QStringList &expected) const
{
    queries.clear();
    expected.clear();
    auto add = [&](const QString &query, const QString &prefix) {
        queries << query;
        expected << prefix;
    };
    add(QStringLiteral("IDN?"), QStringLiteral("IDN"));
    add(QStringLiteral("ADR?"), QStringLiteral("ADR"));
    add(QStringLiteral("IAD?1"), QStringLiteral("IAD"));
    add(QStringLiteral("IAD?2"), QStringLiteral("IAD"));
    add(QStringLiteral("WMD?"), QStringLiteral("WMD"));
    add(QStringLiteral("ENU?"), QStringLiteral("ENU"));
    add(QStringLiteral("ICR?"), QStringLiteral("ICR"));
    for (int key = 0; key < 4; ++key)
        add(QStringLiteral("LBT?%1").arg(key), QStringLiteral("LBT%1,").arg(key));
    add(QStringLiteral("MTD?"), QStringLiteral("MTD"));
    add(QStringLiteral("ZST?"), QStringLiteral("ZST"));
    add(QStringLiteral("CWT?"), QStringLiteral("CWT"));
    add(QStringLiteral("LDW?1"), QStringLiteral("LDW"));
    add(QStringLiteral("LWT?1"), QStringLiteral("LWT"));
    if (!full)
        return;
    add(QStringLiteral("ASF?"), QStringLiteral("ASF"));
    add(QStringLiteral("PFT?"), QStringLiteral("PFT"));
    for (int line = 1; line <= 6; ++line)
        add(QStringLiteral("PST?%1").arg(line), QStringLiteral("PST%1,").arg(line));
    add(QStringLiteral("PRS?"), QStringLiteral("PRS"));
    add(QStringLiteral("AFT?"), QStringLiteral("AFT"));
    for (int input = 1; input <= 4; ++input)
        add(QStringLiteral("RBT?%1").arg(input), QStringLiteral("RBT%1,").arg(input));
    for (int point = 1; point <= 5; ++point)
        add(QStringLiteral("LIC?%1").arg(point), QStringLiteral("LIC%1,").arg(point));
    for (int n = 1; n <= 4; ++n)
        add(QStringLiteral("LIV?%1").arg(n), QStringLiteral("LIV"));
    add(QStringLiteral("LIS?"), QStringLiteral("LIS"));
    for (int m = 1; m <= 2; ++m)
        add(QStringLiteral("LIL?%1").arg(m), QStringLiteral("LIL%1,").arg(m));
}

void Tdata7410::ApplyLines(const QStringList &lines)
{
    Tcommsobj parser;
    const TIntake intake(parser);
    for (const QString &line : lines) {
        if (line.size() < 3)
            continue;
        const TIntakeRow *row = FindIntake(QStringView(line).left(3));
        if (!row)
            continue;
        // An unbalanced quote still leaves the fields before it readable.
        parser.Parse(line, false, true);
        row->take(*this, intake);
    }
}

bool Tdata7410::IsCompleteLine(const QString &line)
{
    const TIntakeRow *row = line.size() < 3 ? nullptr : FindIntake(QStringView(line).left(3));
    if (!row)
        return false;
    Tcommsobj parser;
    parser.Parse(line, false, true);
    const TIntake intake(parser);
    Tdata7410 scratch;
    row->take(scratch, intake);
    // The instrument sends each text in its own pair of quotes (a text holds
    // none): unquoted text is noise that happened to fit.
    return intake.AllTaken() && line.count(u'"') == 2 * intake.Texts();
}

bool Tdata7410::HasBuildCommand(const QStringList &list)
{
    static const char16_t *const guarded[] = {u"CWT", u"ENU", u"IAD", u"ICR",
                                              u"LBT", u"MTD", u"WMD", u"ZST"};
    for (const QString &line : list) {
        for (const char16_t *mnemonic : guarded) {
            if (line.startsWith(QStringView(mnemonic)))
                return true;
        }
    }
    return false;
}
