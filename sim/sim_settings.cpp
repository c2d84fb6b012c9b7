#include "sim/sim_settings.h"

#include "sim/sim_command.h"

namespace {

const QStringList GuardedMnemonics = {"CWT", "ENU", "IAD", "ICR", "LBT", "MTD", "WMD", "ZST"};

QString Quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// Control characters (C0, DEL and the C1 block of Latin-1) are refused in a
// text: a reply holding one would not be taken back by the host, and what the
// unit holds must always read back intact.
bool HasControlCharacter(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
            return true;
    return false;
}

bool InRange(const TSimField &field, const TSimValue &value)
{
    if (field.IsText != value.IsText)
        return false;
    if (field.IsText)
        return value.Text.size() >= field.Min && value.Text.size() <= field.Max && !HasControlCharacter(value.Text);
    return value.Number >= field.Min && value.Number <= field.Max;
}

// An item number written as the argument of a query ("LBT?2").
std::optional<int> QueryItem(const TSimSettingSpec &spec, const QString &argument)
{
    bool ok = false;
    const int item = argument.toInt(&ok);
    if (!ok || argument.isEmpty() || !argument[0].isDigit() || item < spec.FirstItem || item > spec.LastItem)
        return std::nullopt;
    return item;
}

} // namespace

TSimSettings::TSimSettings()
{
    for (const TSimSettingSpec &spec : Specs()) {
        if (!spec.HasItems()) {
            Values.insert(Key(spec.Mnemonic, 0), spec.Defaults.value(0));
            continue;
        }
        for (int item = spec.FirstItem; item <= spec.LastItem; ++item)
            Values.insert(Key(spec.Mnemonic, item), spec.Defaults.value(item - spec.FirstItem));
    }
    SerialNumber = QStringLiteral("46200001");
    Version = QStringLiteral("1.04");
    StoredValues = Values;
}

const TSimSettingSpec *TSimSettings::Find(const QString &mnemonic)
{
    for (const TSimSettingSpec &spec : Specs())
        if (spec.Mnemonic == mnemonic)
            return &spec;
    return nullptr;
}

bool TSimSettings::IsGuarded(const QString &mnemonic)
{
    return GuardedMnemonics.contains(mnemonic);
}

QString TSimSettings::Key(const QString &mnemonic, int item)
{
    return mnemonic + QLatin1Char('#') + QString::number(item);
}

QString TSimSettings::FormatValues(const TSimSettingSpec &spec, int item) const
{
    const QStringList values = Values.value(Key(spec.Mnemonic, item));
    QStringList out;
    if (spec.ItemInReply)
        out << QString::number(item);
    for (int i = 0; i < spec.Fields.size(); ++i)
        out << (spec.Fields[i].IsText ? Quoted(values.value(i)) : values.value(i));
    return out.join(QLatin1Char(','));
}

std::optional<QString> TSimSettings::Query(const QString &mnemonic, const QString &argument) const
{
    if (mnemonic == QLatin1String("IDN"))
        return argument.isEmpty() ? std::optional(QStringList{Quoted(Text(mnemonic, 0, 0)), Quoted(SerialNumber),
                                                              Quoted(Version)}.join(QLatin1Char(',')))
                                  : std::nullopt;
    const TSimSettingSpec *spec = Find(mnemonic);
    if (!spec)
        return std::nullopt;
    if (!spec->HasItems())
        return argument.isEmpty() ? std::optional(FormatValues(*spec, 0)) : std::nullopt;
    const auto item = QueryItem(*spec, argument);
    if (!item)
        return std::nullopt;
    return FormatValues(*spec, *item);
}

bool TSimSettings::Write(const QString &mnemonic, const QString &argument)
{
    const TSimSettingSpec *spec = Find(mnemonic);
    if (!spec || !spec->Writable)
        return false;
    const auto values = SplitSimValues(argument);
    if (!values)
        return false;
    const int itemCount = spec->HasItems() ? 1 : 0;
    if (values->size() != itemCount + spec->Fields.size())
        return false;
    int item = 0;
    if (itemCount) {
        const TSimValue &first = values->first();
        if (first.IsText || first.Number < spec->FirstItem || first.Number > spec->LastItem)
            return false;
        item = int(first.Number);
    }
    QStringList stored;
    for (int i = 0; i < spec->Fields.size(); ++i) {
        const TSimValue &value = (*values)[itemCount + i];
        if (!InRange(spec->Fields[i], value))
            return false;
        stored << (value.IsText ? value.Text : QString::number(value.Number));
    }
    Values.insert(Key(mnemonic, item), stored);
    if (mnemonic == QLatin1String("IAD")) {
        // One decimal point, high-resolution switch and tare limit serve both
        // ranges; the last range written sets them.
        QStringList &other = Values[Key(mnemonic, item == 1 ? 2 : 1)];
        for (int field : {1, 3, 4})
            other[field] = stored[field];
    }
    return true;
}

qint64 TSimSettings::Int(const QString &mnemonic, int item, int field) const
{
    return Values.value(Key(mnemonic, item)).value(field).toLongLong();
}

QString TSimSettings::Text(const QString &mnemonic, int item, int field) const
{
    return Values.value(Key(mnemonic, item)).value(field);
}

void TSimSettings::Set(const QString &mnemonic, int item, int field, qint64 value)
{
    QStringList &values = Values[Key(mnemonic, item)];
    while (values.size() <= field)
        values << QStringLiteral("0");
    values[field] = QString::number(value);
}

void TSimSettings::SetIdentity(const QString &id, const QString &serialNumber, const QString &version)
{
    Values.insert(Key(QStringLiteral("IDN"), 0), {id});
    SerialNumber = serialNumber;
    Version = version;
}

void TSimSettings::Store()
{
    StoredValues = Values;
    ++StoreCountValue;
}
