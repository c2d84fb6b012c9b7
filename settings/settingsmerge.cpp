#include "settings/settingsmerge.h"

#include <algorithm>

namespace {

constexpr int MnemonicLength = 3;

bool IsNumbered(const QString &mnemonic)
{
    static const QStringList numbered{QStringLiteral("IAD"), QStringLiteral("LBT"), QStringLiteral("PST"),
                                      QStringLiteral("RBT"), QStringLiteral("LIV"), QStringLiteral("LIL"),
                                      QStringLiteral("LIC")};
    return numbered.contains(mnemonic);
}

} // namespace

QStringList SettingLineFields(const QString &line)
{
    QStringList fields;
    if (line.size() <= MnemonicLength)
        return fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = MnemonicLength; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == u'"')
            quoted = !quoted;
        if (c == u',' && !quoted) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

QString SettingLineKey(const QString &line)
{
    const QString mnemonic = line.left(MnemonicLength);
    return IsNumbered(mnemonic) ? mnemonic + SettingLineFields(line).value(0) : mnemonic;
}

QString MergeSettingLine(const QString &edit, const QString &base, const QString &held)
{
    const QStringList e = SettingLineFields(edit);
    const QStringList b = SettingLineFields(base);
    const QStringList h = SettingLineFields(held);
    if (e.size() != b.size() || e.size() != h.size() || edit.left(MnemonicLength) != held.left(MnemonicLength))
        return edit == base ? held : edit;
    QStringList merged;
    for (qsizetype i = 0; i < e.size(); ++i)
        merged << (e[i] == b[i] ? h[i] : e[i]);
    return edit.left(MnemonicLength) + merged.join(u',');
}

QList<int> DifferingFields(const QString &first, const QString &second)
{
    const QStringList a = SettingLineFields(first);
    const QStringList b = SettingLineFields(second);
    QList<int> differing;
    for (int i = 0; i < int(std::max(a.size(), b.size())); ++i)
        if (a.size() != b.size() || a[i] != b[i])
            differing << i;
    return differing;
}
