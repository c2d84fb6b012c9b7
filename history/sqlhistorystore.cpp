#include "history/sqlhistorystore.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>

namespace {

// The folder the window keeps its data in (its application name); the
// command-line program records into the same file.
const QString DataFolderName = QStringLiteral("Quenvale 7400 Viewer");

// Two processes that make the schema at once take turns on it.
constexpr qint64 SchemaLockKey = 74007400;

const QString EntryColumns =
    QStringLiteral("id, uuid, recorded_at, kind, serial, address, port, pc_user, pc_host, summary, snapshot");

bool Failed(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString SqlText(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("unknown database error") : text;
}

bool Exec(QSqlQuery &query, const QString &sql, QString *error)
{
    if (query.exec(sql))
        return true;
    return Failed(error, SqlText(query.lastError()));
}

bool Exec(QSqlQuery &query, QString *error)
{
    if (query.exec())
        return true;
    return Failed(error, SqlText(query.lastError()));
}

// The statements that bring the schema from version n - 1 to n. The id
// column is the only one that each database spells its own way.
QStringList Migration(int version, bool postgres)
{
    switch (version) {
    case 1:
        return {QStringLiteral("CREATE TABLE history_entry ("
                               "id %1, "
                               "uuid VARCHAR(36) NOT NULL UNIQUE, "
                               "recorded_at VARCHAR(24) NOT NULL, "
                               "kind VARCHAR(16) NOT NULL, "
                               "serial VARCHAR(64) NOT NULL, "
                               "address INTEGER NOT NULL, "
                               "port TEXT NOT NULL, "
                               "pc_user TEXT NOT NULL, "
                               "pc_host TEXT NOT NULL, "
                               "summary TEXT NOT NULL, "
                               "snapshot INTEGER NOT NULL, "
                               "data TEXT NOT NULL)")
                    .arg(postgres ? QStringLiteral("BIGSERIAL PRIMARY KEY")
                                  : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT")),
                QStringLiteral("CREATE INDEX history_entry_serial_time ON history_entry (serial, recorded_at)")};
    default:
        return {};
    }
}

QString NewConnectionName()
{
    static QAtomicInt counter;
    return QStringLiteral("qv_history_%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

// ---------------------------------------------------------------- making one

THistorySqlStore::THistorySqlStore(const QString &driver, const QString &described)
    : Connection(NewConnectionName()), Described(described), IsPostgres(driver == QLatin1String("QPSQL"))
{
    // An unknown driver gives an invalid connection, which Open reports.
    QSqlDatabase::addDatabase(driver, Connection);
}

THistorySqlStore::~THistorySqlStore()
{
    {
        QSqlDatabase db = Db();
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(Connection);
}

QSqlDatabase THistorySqlStore::Db() const { return QSqlDatabase::database(Connection, false); }

std::unique_ptr<THistorySqlStore> THistorySqlStore::Sqlite(const QString &file)
{
    std::unique_ptr<THistorySqlStore> store(
        new THistorySqlStore(QStringLiteral("QSQLITE"), QStringLiteral("SQLite %1").arg(QDir::toNativeSeparators(file))));
    QSqlDatabase db = store->Db();
    db.setDatabaseName(file);
    // Another program writing at the same moment is waited for, not failed.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    return store;
}

std::unique_ptr<THistorySqlStore> THistorySqlStore::Postgres(const QString &location, QString *error)
{
    const QUrl url(location, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("postgresql") && scheme != QLatin1String("postgres"))) {
        Failed(error, QStringLiteral("%1 is no postgresql:// location").arg(location));
        return nullptr;
    }
    QString host = url.host();
    QString database = url.path().mid(1);
    QString user = url.userName();
    QString password = url.password();
    int port = url.port(-1);
    QStringList options;
    bool timeoutGiven = false;
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host"))
            host = value;
        else if (key == QLatin1String("port"))
            port = value.toInt();
        else if (key == QLatin1String("user"))
            user = value;
        else if (key == QLatin1String("password"))
            password = value;
        else if (key == QLatin1String("dbname"))
            database = value;
        else {
            timeoutGiven |= key == QLatin1String("connect_timeout");
            options << key + QLatin1Char('=') + value;
        }
    }
    if (database.isEmpty()) {
        Failed(error, QStringLiteral("%1 names no database").arg(url.toDisplayString(QUrl::RemovePassword)));
        return nullptr;
    }
    // A server that does not answer must not hold the window for long.
    if (!timeoutGiven)
        options << QStringLiteral("connect_timeout=3");
    std::unique_ptr<THistorySqlStore> store(new THistorySqlStore(
        QStringLiteral("QPSQL"), QStringLiteral("PostgreSQL %1").arg(url.toDisplayString(QUrl::RemovePassword))));
    QSqlDatabase db = store->Db();
    db.setDatabaseName(database);
    db.setHostName(host);
    db.setUserName(user);
    db.setPassword(password);
    if (port > 0)
        db.setPort(port);
    db.setConnectOptions(options.join(QLatin1Char(';')));
    return store;
}

QString DefaultHistoryFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/') + DataFolderName
           + QStringLiteral("/history.sqlite");
}

QString HistoryLocation(const QString &fromSettings)
{
    if (qEnvironmentVariableIsSet("QV_HISTORY"))
        return qEnvironmentVariable("QV_HISTORY").trimmed();
    return fromSettings.trimmed();
}

std::unique_ptr<THistoryStore> MakeHistoryStore(const QString &location, QString *error)
{
    const QString lower = location.toLower();
    if (lower == QLatin1String("off") || lower == QLatin1String("none"))
        return nullptr;
    if (lower.startsWith(QLatin1String("postgresql:")) || lower.startsWith(QLatin1String("postgres:")))
        return THistorySqlStore::Postgres(location, error);
    if (location.isEmpty())
        return THistorySqlStore::Sqlite(DefaultHistoryFile());
    if (lower.startsWith(QLatin1String("sqlite:"))) {
        // sqlite:///abs/file, sqlite:relative/file
        QString path = QUrl::fromPercentEncoding(location.mid(7).toUtf8());
        if (path.startsWith(QLatin1String("//")))
            path = path.mid(2);
        if (path.isEmpty()) {
            Failed(error, QStringLiteral("%1 names no file").arg(location));
            return nullptr;
        }
        return THistorySqlStore::Sqlite(path);
    }
    if (location.contains(QLatin1String("://"))) {
        Failed(error, QStringLiteral("%1 is no history location this program knows "
                                     "(postgresql://..., sqlite:///file, a file, or off)")
                          .arg(QUrl(location).toDisplayString(QUrl::RemovePassword)));
        return nullptr;
    }
    return THistorySqlStore::Sqlite(location);
}

// ---------------------------------------------------------------- schema

bool THistorySqlStore::Open(QString *error)
{
    QSqlDatabase db = Db();
    if (!QSqlDatabase::isDriverAvailable(db.driverName()))
        return Failed(error, QStringLiteral("Qt's %1 driver is not installed (Debian: %2)")
                                 .arg(db.driverName(), IsPostgres ? QStringLiteral("libqt6sql6-psql")
                                                                : QStringLiteral("libqt6sql6-sqlite")));
    if (!IsPostgres) {
        const QString folder = QFileInfo(db.databaseName()).absolutePath();
        if (!QDir().mkpath(folder))
            return Failed(error, QStringLiteral("cannot make the folder %1").arg(QDir::toNativeSeparators(folder)));
    }
    if (!db.isOpen() && !db.open())
        return Failed(error, SqlText(db.lastError()));
    if (!IsPostgres) {
        // Readers do not wait for a writer, and a commit does not wait for
        // the disk twice.
        QSqlQuery pragma(db);
        if (!Exec(pragma, QStringLiteral("PRAGMA journal_mode=WAL"), error)
            || !Exec(pragma, QStringLiteral("PRAGMA synchronous=NORMAL"), error))
            return false;
    }
    if (IsPostgres) {
        // The server's notes ("already exists, skipping") are no news to the operator.
        QSqlQuery quiet(db);
        if (!Exec(quiet, QStringLiteral("SET client_min_messages TO WARNING"), error))
            return false;
    }
    if (!Upgrade(error))
        return false;
    Opened = true;
    return true;
}

bool THistorySqlStore::Begin(QString *error)
{
    QSqlQuery query(Db());
    // SQLite: the write lock at once, so two writers wait for each other
    // instead of one failing when it would write.
    return Exec(query, IsPostgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"), error);
}

bool THistorySqlStore::Commit(QString *error)
{
    QSqlQuery query(Db());
    if (Exec(query, QStringLiteral("COMMIT"), error))
        return true;
    Rollback();
    return false;
}

void THistorySqlStore::Rollback()
{
    QSqlQuery query(Db());
    query.exec(QStringLiteral("ROLLBACK"));
}

bool THistorySqlStore::Upgrade(QString *error)
{
    if (!Begin(error))
        return false;
    QSqlQuery query(Db());
    const auto fail = [this] {
        Rollback();
        return false;
    };
    if (IsPostgres && !Exec(query, QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(SchemaLockKey), error))
        return fail();
    if (!Exec(query, QStringLiteral("CREATE TABLE IF NOT EXISTS history_schema (version INTEGER NOT NULL)"), error)
        || !Exec(query, QStringLiteral("SELECT MAX(version) FROM history_schema"), error))
        return fail();
    const int stored = query.next() ? query.value(0).toInt() : 0;
    query.finish();
    if (stored > SchemaVersion) {
        Failed(error, QStringLiteral("the history was made by a newer version of the program (schema %1; "
                                     "this one knows %2)")
                          .arg(stored)
                          .arg(SchemaVersion));
        return fail();
    }
    for (int version = stored + 1; version <= SchemaVersion; ++version)
        for (const QString &statement : Migration(version, IsPostgres))
            if (!Exec(query, statement, error))
                return fail();
    if (stored < SchemaVersion) {
        const QString set = stored == 0 ? QStringLiteral("INSERT INTO history_schema (version) VALUES (%1)")
                                        : QStringLiteral("UPDATE history_schema SET version = %1");
        if (!Exec(query, set.arg(SchemaVersion), error))
            return fail();
    }
    return Commit(error);
}

int THistorySqlStore::StoredSchemaVersion()
{
    QSqlQuery query(Db());
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM history_schema")) || !query.next())
        return 0;
    return query.value(0).toInt();
}

// ---------------------------------------------------------------- writing

bool THistorySqlStore::Insert(QSqlQuery &insert, const THistoryEntry &entry, QString *error, bool *added)
{
    // A text not known is empty, never NULL.
    const auto text = [](const QString &value) { return value.isNull() ? QStringLiteral("") : value; };
    insert.bindValue(0, entry.Uuid);
    insert.bindValue(1, THistoryEntry::StoredTime(entry.Time));
    insert.bindValue(2, entry.Kind);
    insert.bindValue(3, text(entry.Serial));
    insert.bindValue(4, entry.Address);
    insert.bindValue(5, text(entry.Port));
    insert.bindValue(6, text(entry.User));
    insert.bindValue(7, text(entry.Host));
    insert.bindValue(8, text(entry.Summary));
    insert.bindValue(9, entry.IsSnapshot() ? 1 : 0);
    insert.bindValue(10, QString::fromUtf8(QJsonDocument(entry.Data).toJson(QJsonDocument::Compact)));
    if (!Exec(insert, error))
        return false;
    if (added)
        *added = insert.numRowsAffected() > 0;
    return true;
}

namespace {
// An entry already stored (by its UUID) is kept once.
const QString InsertSql = QStringLiteral(
    "INSERT INTO history_entry (uuid, recorded_at, kind, serial, address, port, pc_user, pc_host, summary, snapshot, "
    "data) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (uuid) DO NOTHING");
} // namespace

// One entry is a transaction of one.
bool THistorySqlStore::Add(const THistoryEntry &entry, QString *error, bool *added)
{
    qint64 count = 0;
    const bool ok = AddAll({entry}, error, &count);
    if (added)
        *added = count > 0;
    return ok;
}

bool THistorySqlStore::AddAll(const std::vector<THistoryEntry> &entries, QString *error, qint64 *added)
{
    if (!Opened)
        return Failed(error, QStringLiteral("the history is not open"));
    if (added)
        *added = 0;
    if (!Begin(error))
        return false;
    QSqlQuery insert(Db());
    if (!insert.prepare(InsertSql)) {
        Failed(error, SqlText(insert.lastError()));
        Rollback();
        return false;
    }
    for (const THistoryEntry &entry : entries) {
        bool isNew = false;
        if (!Insert(insert, entry, error, &isNew)) {
            Rollback();
            if (added)
                *added = 0;
            return false;
        }
        if (added && isNew)
            ++*added;
    }
    insert.finish();
    return Commit(error);
}

// ---------------------------------------------------------------- reading

THistoryEntry THistorySqlStore::EntryFrom(const QSqlQuery &query, bool withData)
{
    THistoryEntry entry;
    entry.Id = query.value(0).toLongLong();
    entry.Uuid = query.value(1).toString();
    entry.Time = THistoryEntry::TimeFromStored(query.value(2).toString());
    entry.Kind = query.value(3).toString();
    entry.Serial = query.value(4).toString();
    entry.Address = query.value(5).toInt();
    entry.Port = query.value(6).toString();
    entry.User = query.value(7).toString();
    entry.Host = query.value(8).toString();
    entry.Summary = query.value(9).toString();
    entry.Snapshot = query.value(10).toInt() != 0;
    if (withData)
        entry.Data = QJsonDocument::fromJson(query.value(11).toString().toUtf8()).object();
    return entry;
}

bool THistorySqlStore::Instruments(std::vector<THistoryInstrument> &instruments, QString *error)
{
    instruments.clear();
    QSqlQuery query(Db());
    query.setForwardOnly(true);
    if (!Exec(query,
              QStringLiteral("SELECT serial, COUNT(*), MIN(recorded_at), MAX(recorded_at) FROM history_entry "
                             "GROUP BY serial ORDER BY serial"),
              error))
        return false;
    while (query.next())
        instruments.push_back({query.value(0).toString(), query.value(1).toLongLong(),
                               THistoryEntry::TimeFromStored(query.value(2).toString()),
                               THistoryEntry::TimeFromStored(query.value(3).toString())});
    return true;
}

bool THistorySqlStore::Timeline(const QString &serial, const QDateTime &since, std::vector<THistoryEntry> &entries,
                                QString *error)
{
    entries.clear();
    QSqlQuery query(Db());
    query.setForwardOnly(true);
    const QString sql = QStringLiteral("SELECT %1 FROM history_entry WHERE serial = ?%2 "
                                       "ORDER BY recorded_at DESC, id DESC")
                            .arg(EntryColumns, since.isValid() ? QStringLiteral(" AND recorded_at >= ?") : QString());
    if (!query.prepare(sql))
        return Failed(error, SqlText(query.lastError()));
    query.addBindValue(serial);
    if (since.isValid())
        query.addBindValue(THistoryEntry::StoredTime(since));
    if (!Exec(query, error))
        return false;
    while (query.next())
        entries.push_back(EntryFrom(query, false));
    return true;
}

bool THistorySqlStore::Entry(qint64 id, THistoryEntry &entry, QString *error)
{
    QSqlQuery query(Db());
    if (!query.prepare(QStringLiteral("SELECT %1, data FROM history_entry WHERE id = ?").arg(EntryColumns)))
        return Failed(error, SqlText(query.lastError()));
    query.addBindValue(id);
    if (!Exec(query, error))
        return false;
    if (!query.next())
        return Failed(error, QStringLiteral("there is no entry %1").arg(id));
    entry = EntryFrom(query, true);
    return true;
}

bool THistorySqlStore::Each(const std::function<bool(const THistoryEntry &)> &take, QString *error)
{
    QSqlQuery query(Db());
    query.setForwardOnly(true);
    if (!Exec(query, QStringLiteral("SELECT %1, data FROM history_entry ORDER BY recorded_at, id").arg(EntryColumns),
              error))
        return false;
    while (query.next())
        if (!take(EntryFrom(query, true)))
            return Failed(error, QStringLiteral("stopped"));
    return true;
}
