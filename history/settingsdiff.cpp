#include "history/settingsdiff.h"

#include "settings/settingnames.h"
#include "settings/settingsmerge.h"

#include <QHash>

std::vector<TSettingsDifference> DiffSettings(const QStringList &a, const QStringList &b)
{
    QHash<QString, QString> inB;
    QStringList orderB;
    for (const QString &line : b) {
        const QString key = SettingLineKey(line);
        if (!inB.contains(key))
            orderB << key;
        inB.insert(key, line);
    }
    std::vector<TSettingsDifference> differences;
    QHash<QString, bool> seen;
    for (const QString &line : a) {
        const QString key = SettingLineKey(line);
        if (seen.contains(key))
            continue;
        seen.insert(key, true);
        const QString other = inB.value(key);
        if (other != line)
            differences.push_back({key, SettingLineName(line), line, other});
    }
    for (const QString &key : orderB)
        if (!seen.contains(key))
            differences.push_back({key, SettingLineName(inB.value(key)), QString(), inB.value(key)});
    return differences;
}
