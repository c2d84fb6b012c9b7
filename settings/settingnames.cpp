#include "settings/settingnames.h"

#include <QStringList>

namespace {

struct TNamedMnemonic {
    const char *Mnemonic;
    const char *Name;        // for a numbered line, the number follows it
    bool Numbered = false;
};

constexpr TNamedMnemonic Names[] = {
    {"IDN", "Serial ID"},          {"ADR", "Address"},
    {"IAD", "Full Scale", true},   {"CWT", "Span Weight"},
    {"WMD", "Weighing Mode"},      {"ENU", "Units"},
    {"ICR", "Synch Filter"},       {"ASF", "Filter"},
    {"MTD", "Motion"},             {"PFT", "Custom Print Format"},
    {"AFT", "Custom Auto Format"}, {"PST", "Header line", true},
    {"PRS", "Serial 2 Operation"}, {"ZST", "Zero Tracking"},
    {"RBT", "Remote", true},       {"LIV", "Setpoint", true},
    {"LIS", "Setpoint options"},   {"LIL", "Material", true},
};

// The front keys by their number on the line (LBT0 is the Zero key).
const QStringList FrontKeyNames{QStringLiteral("Zero key"), QStringLiteral("Tare key"),
                                QStringLiteral("Gross/Net key"), QStringLiteral("Print key")};

} // namespace

QString SettingLineName(const QString &line)
{
    const QString mnemonic = line.left(3);
    const QString number = line.mid(3).section(QLatin1Char(','), 0, 0);
    if (mnemonic == QLatin1String("LBT")) {
        const int key = number.toInt();
        return key >= 0 && key < FrontKeyNames.size() ? FrontKeyNames[key] : mnemonic;
    }
    for (const TNamedMnemonic &entry : Names)
        if (mnemonic == QLatin1String(entry.Mnemonic))
            return entry.Numbered ? QStringLiteral("%1 %2").arg(QLatin1String(entry.Name), number)
                                  : QLatin1String(entry.Name);
    return mnemonic;
}
