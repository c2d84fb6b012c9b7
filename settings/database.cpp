#include "settings/database.h"

#include "link/comms.h"

#include <bit>
#include <climits>

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
// is present and in range, and keeps account of them: the name of every
// value the line carries, those it could not take, and whether the line has
// the form of an answer at all.
class TIntake {
public:
    TIntake(const Tcommsobj &parser, int fields) : parser(parser), fields(fields) {}

    // The item number that says which setting the line carries (range, key,
    // header line, input, point, setpoint, material): without it nothing of
    // the line can be placed.
    bool Item(int index, qint32 minimum, qint32 maximum, qint32 &value) const
    {
        const bool placed = Count(index, value, minimum, maximum);
        unplaced = unplaced || !placed;
        return Counted(placed);
    }

    // Names the values that follow ("Setpoint 2" for "Type" gives "Setpoint 2
    // Type"), and the line as a whole ("Setpoint 2: Type / Source ...").
    void Group(const QString &name) const { group = name; }

    bool Read(int index, const QString &name, qint32 minimum, qint32 maximum, qint32 &value) const
    {
        Named(index, name, false);
        return Taken(index, name, Count(index, value, minimum, maximum));
    }

    // The wire value must lie in minimum..maximum; the model stores it less offset.
    void Take(int index, const QString &name, qint32 minimum, qint32 maximum, qint32 &field, qint32 offset = 0) const
    {
        qint32 value = 0;
        if (Read(index, name, minimum, maximum, value))
            field = value - offset;
    }

    void TakeFlag(int index, const QString &name, bool &field) const
    {
        qint32 value = 0;
        if (Read(index, name, 0, 1, value))
            field = value == 1;
    }

    void TakeText(int index, const QString &name, int minimumLength, int maximumLength, QString &field) const
    {
        Named(index, name, true);
        QString text;
        if (Taken(index, name, parser.GetText(index, text, minimumLength, maximumLength)
                                   && Tdata7410::IsSafeSettingText(text)))
            field = text;
    }

    // A value the line carries that this model takes from another line.
    void Carried(int index, const QString &name) const { Named(index, name, false); }

    // Every field the line was read for was there, in range.
    bool AllTaken() const { return !missed; }
    // The line has the form the instrument answers in: its item numbers in
    // range, exactly its fields, each a number or a quoted text, whatever
    // the values.
    bool HasAnswerForm(const QString &line) const
    {
        if (unplaced || parser.FieldCount() != fields)
            return false;
        qint32 value = 0;
        for (int i = 0; i < fields; ++i)
            if (!(textFields & (1u << i)) && !Count(i, value, INT_MIN, INT_MAX))
                return false;
        return TextsQuoted(line);
    }
    // The instrument sends each text in its own pair of quotes (a text holds
    // none): unquoted text is noise that happened to fit.
    bool TextsQuoted(const QString &line) const { return line.count(u'"') == 2 * std::popcount(textFields); }
    const QStringList &NotTaken() const { return notTaken; }
    QString LineName() const
    {
        const QString values = names.join(QStringLiteral(" / "));
        return group.isEmpty() ? values : group + QStringLiteral(": ") + values;
    }

private:
    // Settings travel as whole counts, the decimal point a setting of its
    // own: "6000.5" is no count, and taking it as 60005 would be ten times
    // the value meant.
    bool Count(int index, qint32 &value, qint32 minimum, qint32 maximum) const
    {
        qint32 places = 0;
        qint32 read = 0;
        if (!parser.GetInt(index, read, minimum, maximum, places) || places != 0)
            return false;
        value = read;
        return true;
    }

    QString FullName(const QString &name) const { return group.isEmpty() ? name : group + u' ' + name; }

    void Named(int index, const QString &name, bool text) const
    {
        names << name;
        if (text)
            textFields |= 1u << index;
    }

    bool Counted(bool taken) const
    {
        missed = missed || !taken;
        return taken;
    }

    // A value that is there but not understood (out of range, too long, an
    // unknown choice) is noted; one that is not there at all is not.
    bool Taken(int index, const QString &name, bool taken) const
    {
        if (!taken && index < parser.FieldCount())
            notTaken << FullName(name);
        return Counted(taken);
    }

    const Tcommsobj &parser;
    const int fields;
    mutable bool missed = false;
    mutable bool unplaced = false;
    mutable quint32 textFields = 0;
    mutable QString group;
    mutable QStringList names;      // of the values the line carries, in order
    mutable QStringList notTaken;
};

QString Numbered(const char *name, qint32 number)
{
    return QStringLiteral("%1 %2").arg(QLatin1String(name)).arg(number);
}

void TakeIdentity(Tdata7410 &m, const TIntake &in)
{
    in.TakeText(0, QStringLiteral("Serial ID"), 0, SerialIDLength, m.SerialID);
    in.TakeText(1, QStringLiteral("Serial Number"), 1, 10, m.SerialNumber);
    in.TakeText(2, QStringLiteral("Version"), 1, 6, m.Version);
}

void TakeAddress(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Address"), 0, 31, m.Address);
}

void TakeRange(Tdata7410 &m, const TIntake &in)
{
    qint32 range = 0;
    if (!in.Item(0, 1, 2, range))
        return;
    if (range == 1) {
        in.Take(1, QStringLiteral("Full Scale 1"), 0, MaxCounts, m.FullScale1);
        in.Take(2, QStringLiteral("Decimal Point"), 0, 5, m.DecimalPoint);
        in.Take(3, QStringLiteral("Resolution 1"), 1, 7, m.Resolution1, 1);
        in.TakeFlag(4, QStringLiteral("High Resolution"), m.HighRes);
        in.Take(5, QStringLiteral("Additive Tare Limit"), 0, MaxCounts, m.AddTareLimit);
    } else {
        // Decimal point, high resolution and tare limit are common to both
        // ranges and taken from range 1 only.
        in.Take(1, QStringLiteral("Full Scale 2"), 0, MaxCounts, m.FullScale2);
        in.Carried(2, QStringLiteral("Decimal Point"));
        in.Take(3, QStringLiteral("Resolution 2"), 1, 7, m.Resolution2, 1);
        in.Carried(4, QStringLiteral("High Resolution"));
        in.Carried(5, QStringLiteral("Additive Tare Limit"));
    }
}

void TakeCalWeight(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Span Weight"), 0, MaxCounts, m.CalWeight);
}

void TakeWeighMode(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Weighing Mode"), 1, 4, m.WeighMode, 1);
    in.Take(1, QStringLiteral("Trade/Industrial Mode"), 0, 1, m.OperatingMode);
}

void TakeUnits(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Units"), 0, 4, m.Units);
}

void TakeSynchFilter(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Synch Filter"), 10, 60, m.SynchFilter);
}

void TakeFilter(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Filter"), 0, 14, m.Average);
    in.Take(1, QStringLiteral("Anti-Jitter"), 0, 2, m.AntiJitter);
}

void TakeFrontKey(Tdata7410 &m, const TIntake &in)
{
    static const char *const keys[] = {"Zero key", "Tare key", "Gross/Net key", "Print key"};
    qint32 key = 0;
    if (in.Item(0, 0, 3, key))
        in.Take(1, QLatin1String(keys[key]), 0, 2, m.FrontKeys[key]);
}

void TakeMotion(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Motion"), 0, 12, m.Motion);
}

void TakeZero(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Auto-Zero"), 0, 1, m.AutoZero);
    in.Take(1, QStringLiteral("Zero Tracking"), 0, 12, m.ZeroTracking);
    in.Take(2, QStringLiteral("Zero Range"), 1, 4, m.ZeroRange, 1);
    in.Take(3, QStringLiteral("Zero Band"), 0, MaxCounts, m.ZeroBand);
}

void TakeDirectZero(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Direct Zero"), -32000, 32000, m.DirectZero);
}

void TakeDirectSpan(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Direct Span"), -32000, 32000, m.DirectSpan);
}

void TakePrintFormat(Tdata7410 &m, const TIntake &in)
{
    in.TakeText(0, QStringLiteral("Custom Print Format"), 0, 100, m.PrintFormat);
}

void TakeAutoFormat(Tdata7410 &m, const TIntake &in)
{
    in.TakeText(0, QStringLiteral("Custom Auto Format"), 0, AutoFormatLength, m.AutoFormat);
}

void TakeHeaderLine(Tdata7410 &m, const TIntake &in)
{
    qint32 line = 0;
    if (in.Item(0, 1, 6, line))
        in.TakeText(1, Numbered("Header line", line), 0, 30, m.HeaderLines[line - 1]);
}

void TakePrinter(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("Serial 2 Operation"), 0, 3, m.Serial2Mode);
    in.Take(1, QStringLiteral("Printer Mode"), 1, 8, m.PrintMode, 1);
    in.Take(2, QStringLiteral("Auto Type"), 1, 6, m.AutoType, 1);
    in.Take(3, QStringLiteral("Columns"), 0, 20, m.PrintColumns);
    in.Take(4, QStringLiteral("Rows"), 0, 10, m.PrintRows);
    in.Take(5, QStringLiteral("Auto Source"), 1, 4, m.AutoSource, 1);
}

void TakeRemoteKey(Tdata7410 &m, const TIntake &in)
{
    qint32 input = 0;
    if (in.Item(0, 1, 4, input))
        in.Take(1, Numbered("Remote", input), 0, 21, m.RemoteKeys[input - 1]);
}

void TakeLinearisation(Tdata7410 &m, const TIntake &in)
{
    qint32 point = 0;
    qint32 percent = 0;
    qint32 weight = 0;
    if (!in.Item(0, 1, 5, point))
        return;
    in.Group(Numbered("Linearisation point", point));
    // A point is only meaningful as a pair: both or nothing.
    if (in.Read(1, QStringLiteral("Percent"), -150, 150, percent)
        && in.Read(2, QStringLiteral("Weight"), MinTarget, MaxCounts, weight)) {
        m.LinPercent[point - 1] = percent;
        m.LinWeight[point - 1] = weight;
    }
}

void TakeSetpoint(Tdata7410 &m, const TIntake &in)
{
    qint32 number = 0;
    if (!in.Item(0, 1, 4, number))
        return;
    in.Group(Numbered("Setpoint", number));
    TSetpoint &s = m.Setpoints[number - 1];
    in.Take(1, QStringLiteral("Type"), 0, 50, s.Type);
    in.Take(2, QStringLiteral("Source"), 1, 2, s.Source, 1);
    in.Take(3, QStringLiteral("Direction"), 1, 2, s.Direction, 1);
    in.Take(4, QStringLiteral("Target"), MinTarget, MaxCounts, s.Target);
    in.Take(5, QStringLiteral("In-flight"), 0, MaxCounts, s.InFlight);
    in.Take(6, QStringLiteral("Tolerance"), 0, MaxCounts, s.Tolerance);
    in.Take(7, QStringLiteral("Logic"), 1, 2, s.Logic, 1);
    in.Take(8, QStringLiteral("Lock"), 0, 1, s.Lock);
    // 4 is "Flash Display", which the editor offers and the instrument takes.
    in.Take(9, QStringLiteral("Alarm"), 0, 4, s.Alarm);
}

void TakeSetpointOptions(Tdata7410 &m, const TIntake &in)
{
    in.Take(0, QStringLiteral("In-flight Adjust"), 0, 100, m.InflightAdjust);
    in.Take(1, QStringLiteral("Pulse Time"), 1, 200, m.PulseTime);
    in.Take(2, QStringLiteral("Material 1 Delay"), 0, 200, m.Materials[0].Delay);
    in.Take(3, QStringLiteral("Material 2 Delay"), 0, 200, m.Materials[1].Delay);
    static constexpr qint32 optionMaximum[5] = {1, 2, 1, 1, 1};
    for (int i = 0; i < 5; ++i)
        in.Take(4 + i, Numbered("Setpoint option", i + 1), 0, optionMaximum[i], m.SetpointOptions[i]);
}

void TakeMaterialName(Tdata7410 &m, const TIntake &in)
{
    qint32 material = 0;
    if (in.Item(0, 1, 2, material))
        in.TakeText(1, Numbered("Material", material) + QStringLiteral(" Name"), 0, 10,
                    m.Materials[material - 1].Name);
}

struct TIntakeRow {
    const char16_t *mnemonic;
    void (*take)(Tdata7410 &, const TIntake &);
    int fields;   // in the line after the mnemonic, item numbers included
};

constexpr TIntakeRow IntakeTable[] = {
    {u"IDN", TakeIdentity, 3},      {u"ADR", TakeAddress, 1},       {u"IAD", TakeRange, 6},
    {u"CWT", TakeCalWeight, 1},     {u"WMD", TakeWeighMode, 2},     {u"ENU", TakeUnits, 1},
    {u"ICR", TakeSynchFilter, 1},   {u"ASF", TakeFilter, 2},        {u"LBT", TakeFrontKey, 2},
    {u"MTD", TakeMotion, 1},        {u"ZST", TakeZero, 4},          {u"LDW", TakeDirectZero, 1},
    {u"LWT", TakeDirectSpan, 1},    {u"PFT", TakePrintFormat, 1},   {u"AFT", TakeAutoFormat, 1},
    {u"PST", TakeHeaderLine, 2},    {u"PRS", TakePrinter, 6},       {u"RBT", TakeRemoteKey, 2},
    {u"LIC", TakeLinearisation, 3}, {u"LIV", TakeSetpoint, 10},     {u"LIS", TakeSetpointOptions, 9},
    {u"LIL", TakeMaterialName, 2},
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

void Tdata7410::ApplyLines(const QStringList &lines, QStringList *notTaken)
{
    Tcommsobj parser;
    for (const QString &line : lines) {
        if (line.size() < 3)
            continue;
        const TIntakeRow *row = FindIntake(QStringView(line).left(3));
        if (!row)
            continue;
        // An unbalanced quote still leaves the fields before it readable.
        parser.Parse(line, false, true);
        const TIntake intake(parser, row->fields);
        row->take(*this, intake);
        if (notTaken)
            *notTaken << intake.NotTaken();
    }
}

namespace {

// What the intake makes of one line, run on a model of its own.
struct TLineReport {
    bool Answer = false;
    QString Name;
};

TLineReport ReportLine(const QString &line)
{
    TLineReport report;
    const TIntakeRow *row = line.size() < 3 ? nullptr : FindIntake(QStringView(line).left(3));
    if (!row)
        return report;
    Tcommsobj parser;
    parser.Parse(line, false, true);
    const TIntake intake(parser, row->fields);
    Tdata7410 scratch;
    row->take(scratch, intake);
    report.Answer = intake.HasAnswerForm(line) || (intake.AllTaken() && intake.TextsQuoted(line));
    report.Name = intake.LineName();
    return report;
}

} // namespace

bool Tdata7410::IsAnswerLine(const QString &line)
{
    return ReportLine(line).Answer;
}

QString Tdata7410::LineFieldsName(const QString &line)
{
    return ReportLine(line).Name;
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
