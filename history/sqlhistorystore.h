#pragma once
// The history store through Qt SQL: SQLite (QSQLITE) or PostgreSQL (QPSQL),
// one schema for both, made and brought up to date by Open under a version
// table. Each store holds a connection of its own (several may be open at
// once, as in tests); all its work runs on the thread that made it.

#include "history/historystore.h"

#include <QSqlDatabase>

class QSqlQuery;

class THistorySqlStore : public THistoryStore {
public:
    // The schema this program makes and reads.
    static constexpr int SchemaVersion = 1;

    // SQLite, in a file (its folder is made when missing).
    static std::unique_ptr<THistorySqlStore> Sqlite(const QString &file);
    // PostgreSQL, from a postgresql:// location. Null with the reason when
    // the location cannot be read.
    static std::unique_ptr<THistorySqlStore> Postgres(const QString &location, QString *error);

    ~THistorySqlStore() override;
    THistorySqlStore(const THistorySqlStore &) = delete;
    THistorySqlStore &operator=(const THistorySqlStore &) = delete;

    bool Open(QString *error) override;
    QString Description() const override { return Described; }
    bool Add(const THistoryEntry &entry, QString *error, bool *added = nullptr) override;
    bool AddAll(const std::vector<THistoryEntry> &entries, QString *error, qint64 *added = nullptr) override;
    bool Instruments(std::vector<THistoryInstrument> &instruments, QString *error) override;
    bool Timeline(const QString &serial, const QDateTime &since, std::vector<THistoryEntry> &entries,
                  QString *error) override;
    bool Entry(qint64 id, THistoryEntry &entry, QString *error) override;
    bool Each(const std::function<bool(const THistoryEntry &)> &take, QString *error) override;

    // The schema version the store holds (0 before Open).
    int StoredSchemaVersion();

private:
    THistorySqlStore(const QString &driver, const QString &described);

    QString Connection;   // the Qt SQL connection's name, unique to this store
    QString Described;
    bool IsPostgres = false;
    bool Opened = false;

    QSqlDatabase Db() const;
    bool Begin(QString *error);
    bool Commit(QString *error);
    void Rollback();
    bool Upgrade(QString *error);
    bool Insert(QSqlQuery &insert, const THistoryEntry &entry, QString *error, bool *added);
    static THistoryEntry EntryFrom(const QSqlQuery &query, bool withData);
};
