// The table of settings the simulated instrument holds: item numbers, value
// ranges (those the viewer accepts back from a reply) and factory defaults
// (those of a fresh settings model in the viewer).

#include "sim/sim_settings.h"

namespace {

TSimField Num(qint64 min, qint64 max) { return {false, min, max}; }
TSimField Txt(qint64 maxLength) { return {true, 0, maxLength}; }

TSimSettingSpec Plain(const char *mnemonic, bool guarded, QList<TSimField> fields, QStringList defaults)
{
    TSimSettingSpec spec;
    spec.Mnemonic = QLatin1String(mnemonic);
    spec.Guarded = guarded;
    spec.Fields = std::move(fields);
    spec.Defaults = {std::move(defaults)};
    return spec;
}

TSimSettingSpec Items(const char *mnemonic, int first, int last, bool itemInReply, bool guarded,
                      QList<TSimField> fields, QList<QStringList> defaults)
{
    TSimSettingSpec spec = Plain(mnemonic, guarded, std::move(fields), {});
    spec.FirstItem = first;
    spec.LastItem = last;
    spec.ItemInReply = itemInReply;
    spec.Defaults = std::move(defaults);
    return spec;
}

QList<QStringList> Same(int count, const QStringList &values)
{
    return QList<QStringList>(count, values);
}

QList<TSimSettingSpec> MakeSpecs()
{
    const QList<TSimField> iad = {Num(0, 999999), Num(0, 5), Num(1, 7), Num(0, 1), Num(0, 999999)};
    const QList<TSimField> liv = {Num(0, 50), Num(1, 2), Num(1, 2), Num(-99999, 999999), Num(0, 999999),
                                  Num(0, 999999), Num(1, 2), Num(0, 1), Num(0, 4)};
    const QList<TSimField> lis = {Num(0, 100), Num(1, 200), Num(0, 200), Num(0, 200), Num(0, 1),
                                  Num(0, 2),   Num(0, 1),   Num(0, 1),   Num(0, 1)};
    QList<TSimSettingSpec> specs = {
        Plain("IDN", false, {Txt(10)}, {QString()}),
        Plain("ADR", false, {Num(0, 31)}, {"0"}),
        Items("IAD", 1, 2, true, true, iad, {{"4000", "0", "1", "0", "0"}, {"6000", "0", "2", "0", "0"}}),
        Plain("CWT", true, {Num(0, 999999)}, {"3000"}),
        Plain("WMD", true, {Num(1, 4), Num(0, 1)}, {"1", "0"}),
        Plain("ENU", true, {Num(0, 4)}, {"2"}),
        Plain("ICR", true, {Num(10, 60)}, {"50"}),
        Plain("ASF", false, {Num(0, 14), Num(0, 2)}, {"0", "0"}),
        Items("LBT", 0, 3, false, true, {Num(0, 2)}, Same(4, {"1"})),
        Plain("MTD", true, {Num(0, 12)}, {"1"}),
        Plain("PFT", false, {Txt(100)}, {QString()}),
        Plain("AFT", false, {Txt(20)}, {QString()}),
        Items("PST", 1, 6, false, false, {Txt(30)}, Same(6, {QString()})),
        Plain("PRS", false, {Num(0, 3), Num(1, 8), Num(1, 6), Num(0, 20), Num(0, 10), Num(1, 4)},
              {"0", "1", "1", "0", "0", "1"}),
        Plain("ZST", true, {Num(0, 1), Num(0, 12), Num(1, 4), Num(0, 999999)}, {"0", "0", "4", "0"}),
        Items("RBT", 1, 4, false, false, {Num(0, 21)}, Same(4, {"0"})),
        Items("LIV", 1, 4, true, false, liv, Same(4, {"0", "1", "1", "0", "0", "0", "1", "0", "0"})),
        Plain("LIS", false, lis, {"50", "10", "10", "10", "0", "1", "1", "1", "0"}),
        Items("LIL", 1, 2, false, false, {Txt(10)}, {{"MAT  1"}, {"MAT  2"}}),
        // Calibration values: read like settings, written by calibration commands.
        Items("LDW", 1, 1, false, false, {Num(-32000, 32000)}, {{"0"}}),
        Items("LWT", 1, 1, false, false, {Num(-32000, 32000)}, {{"20000"}}),
        Items("LIC", 1, 5, false, false, {Num(-150, 150), Num(-99999, 999999)}, Same(5, {"0", "0"})),
    };
    for (TSimSettingSpec &spec : specs)
        if (spec.Mnemonic == QLatin1String("LDW") || spec.Mnemonic == QLatin1String("LWT") ||
            spec.Mnemonic == QLatin1String("LIC"))
            spec.Writable = false;
    return specs;
}

} // namespace

const QList<TSimSettingSpec> &TSimSettings::Specs()
{
    static const QList<TSimSettingSpec> specs = MakeSpecs();
    return specs;
}
