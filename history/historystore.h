#pragma once
// Where the instruments' history is kept: one small interface, and the
// store behind it chosen by a location text.
//
//   (empty)                         SQLite, one file in the user's data folder
//   sqlite:///path/file.sqlite      SQLite, that file (a plain path too)
//   postgresql://host/db            PostgreSQL (also postgres://); user,
//   postgresql:///db?host=/socket/dir   password, port and libpq options as usual
//   off                             no history
//
// The location comes from QV_HISTORY or, without it, from "History" in the
// connection settings. Every operation is short and answers at once; a
// failure returns false with the reason, and the recorder then turns
// history off for the run.

#include "history/historyentry.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

struct THistoryInstrument {
    QString Serial;
    qint64 Entries = 0;
    QDateTime First;
    QDateTime Last;
};

class THistoryStore {
public:
    virtual ~THistoryStore() = default;

    // Makes the schema or brings it up to date; false with the reason.
    virtual bool Open(QString *error) = 0;
    // What the store is, for messages ("SQLite /home/.../history.sqlite").
    virtual QString Description() const = 0;

    // One entry, in a transaction of its own. An entry whose UUID is already
    // stored is kept once: *added (when given) tells whether it was new.
    virtual bool Add(const THistoryEntry &entry, QString *error, bool *added = nullptr) = 0;
    // Several entries in one transaction (an import): all or none. *added
    // counts those that were new.
    virtual bool AddAll(const std::vector<THistoryEntry> &entries, QString *error, qint64 *added = nullptr) = 0;

    // The instruments known, by serial number.
    virtual bool Instruments(std::vector<THistoryInstrument> &instruments, QString *error) = 0;
    // An instrument's entries from `since` on (invalid: all), newest first,
    // without their content (Data stays empty).
    virtual bool Timeline(const QString &serial, const QDateTime &since, std::vector<THistoryEntry> &entries,
                          QString *error) = 0;
    // One entry with its content; false when there is none of that id.
    virtual bool Entry(qint64 id, THistoryEntry &entry, QString *error) = 0;
    // Every entry with its content, oldest first, handed one at a time.
    virtual bool Each(const std::function<bool(const THistoryEntry &)> &take, QString *error) = 0;
};

// The location in force: QV_HISTORY, else the connection settings' value.
QString HistoryLocation(const QString &fromSettings);
// The SQLite file used when no location is given.
QString DefaultHistoryFile();
// The store for a location; null for "off". *error says why a location
// cannot be used at all (an unknown scheme).
std::unique_ptr<THistoryStore> MakeHistoryStore(const QString &location, QString *error);
