#include "history/historyentry.h"

#include <QDir>
#include <QJsonArray>
#include <QSysInfo>
#include <QUuid>

#include <pwd.h>
#include <unistd.h>


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
    // A hand-edited or foreign line must not slip in as something it is not.
    const auto wrong = [error](const QString &what) {
        if (error)
            *error = what;
        return false;
    };
    static const QStringList kinds{HistoryKind::Connect, HistoryKind::Read,       HistoryKind::Write,
                                   HistoryKind::Calibration, HistoryKind::Backup, HistoryKind::Restore,
                                   HistoryKind::FileOpened,  HistoryKind::FileSaved};
    if (!kinds.contains(entry.Kind))
        return wrong(QStringLiteral("unknown kind \"%1\"").arg(entry.Kind));
    if (entry.Time > QDateTime::currentDateTimeUtc().addDays(1))
        return wrong(QStringLiteral("a time in the future"));
    for (const char *text : {"serial", "port", "user", "host", "summary"})
        if (json.contains(QLatin1String(text)) && !json.value(QLatin1String(text)).isString())
            return wrong(QStringLiteral("%1 is no text").arg(QLatin1String(text)));
    const QJsonValue address = json.value(QLatin1String("address"));
    if (!address.isUndefined() && !(address.isDouble() && address.toDouble() == address.toInt() && address.toInt() >= 0
                                    && address.toInt() <= 99))
        return wrong(QStringLiteral("address is no unit address"));
    if (json.contains(QLatin1String("data")) && !json.value(QLatin1String("data")).isObject())
        return wrong(QStringLiteral("data is no object"));
    entry.Serial = json.value(QLatin1String("serial")).toString();
    entry.Address = address.toInt();
    entry.Port = json.value(QLatin1String("port")).toString();
    entry.User = json.value(QLatin1String("user")).toString();
    entry.Host = json.value(QLatin1String("host")).toString();
    entry.Summary = json.value(QLatin1String("summary")).toString();
    entry.Data = json.value(QLatin1String("data")).toObject();
    return true;
}

QString HistoryUserName()
{
    // The account the program runs under, whatever the environment says.
    if (const passwd *account = ::getpwuid(::getuid()); account && account->pw_name && *account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
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
