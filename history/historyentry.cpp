#include "history/historyentry.h"

#include <QDir>
#include <QJsonArray>
#include <QSysInfo>
#include <QUuid>


QStringList THistoryEntry::SettingsLines() const
{
    QStringList lines;
    for (const QJsonValue &line : Data.value(QLatin1String("lines")).toArray())
        lines << line.toString();
    return lines;
}

QString THistoryEntry::StoredTime(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

QDateTime THistoryEntry::TimeFromStored(const QString &text)
{
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    return time.isValid() ? time.toUTC() : time;
}

QJsonObject THistoryEntry::ToJson() const
{
    return {{"uuid", Uuid},       {"time", StoredTime(Time)}, {"kind", Kind}, {"serial", Serial},
            {"address", Address}, {"port", Port},             {"user", User}, {"host", Host},
            {"summary", Summary}, {"data", Data}};
}

bool THistoryEntry::FromJson(const QJsonObject &json, THistoryEntry &entry, QString *error)
{
    entry = THistoryEntry();
    entry.Uuid = json.value(QLatin1String("uuid")).toString();
    entry.Time = TimeFromStored(json.value(QLatin1String("time")).toString());
    entry.Kind = json.value(QLatin1String("kind")).toString();
    const auto missing = [error](const char *what) {
        if (error)
            *error = QStringLiteral("no %1").arg(QLatin1String(what));
        return false;
    };
    if (QUuid(entry.Uuid).isNull())
        return missing("uuid");
    if (!entry.Time.isValid())
        return missing("valid time");
    if (entry.Kind.isEmpty())
        return missing("kind");
    entry.Serial = json.value(QLatin1String("serial")).toString();
    entry.Address = json.value(QLatin1String("address")).toInt();
    entry.Port = json.value(QLatin1String("port")).toString();
    entry.User = json.value(QLatin1String("user")).toString();
    entry.Host = json.value(QLatin1String("host")).toString();
    entry.Summary = json.value(QLatin1String("summary")).toString();
    entry.Data = json.value(QLatin1String("data")).toObject();
    return true;
}

QString HistoryUserName()
{
    for (const char *name : {"USER", "LOGNAME", "USERNAME"})
        if (const QString user = qEnvironmentVariable(name); !user.isEmpty())
            return user;
    // A service without a login's environment: the home folder's name.
    return QDir::home().dirName();
}

QString HistoryHostName() { return QSysInfo::machineHostName(); }

THistoryEntry NewHistoryEntry(const QString &kind)
{
    THistoryEntry entry;
    entry.Uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    entry.Time = QDateTime::currentDateTimeUtc();
    entry.Kind = kind;
    entry.User = HistoryUserName();
    entry.Host = HistoryHostName();
    return entry;
}
