#pragma once
// One entry of an instrument's history: what was done to which instrument,
// when (UTC), from which PC and port, with what the operation carried (the
// settings lines read or written, a calibration step's signals, the
// calibration data). Every entry gets a UUID when it is recorded, so that
// the same entry imported twice into another store is kept once.

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace HistoryKind {
// The kinds an entry may be, as stored.
inline const QString Connect = QStringLiteral("connect");
inline const QString Read = QStringLiteral("read");
inline const QString Write = QStringLiteral("write");
inline const QString Calibration = QStringLiteral("calibration");
inline const QString Backup = QStringLiteral("backup");
inline const QString Restore = QStringLiteral("restore");
inline const QString FileOpened = QStringLiteral("file-open");
inline const QString FileSaved = QStringLiteral("file-save");
} // namespace HistoryKind

struct THistoryEntry {
    qint64 Id = 0;          // the store's own number; 0 until stored
    QString Uuid;           // made when recorded, kept across export and import
    QDateTime Time;         // UTC
    QString Kind;           // one of HistoryKind
    QString Serial;         // the instrument's serial number: the key
    int Address = 0;        // unit address, 0 when not known
    QString Port;
    QString User;           // the PC's user and host
    QString Host;
    QString Summary;        // one line for a timeline
    QJsonObject Data;       // the kind's own content (not loaded for a timeline)
    // It holds a settings snapshot: every settings line, after a read, a
    // completed write or with a settings file. Known also without Data.
    bool Snapshot = false;

    // The settings lines of a snapshot; empty for other entries.
    QStringList SettingsLines() const;
    bool IsSnapshot() const { return Snapshot || Data.contains(QLatin1String("lines")); }

    // The line of an export file, and back. FromJson fails (false, with the
    // reason) on an object without a UUID, a time or a kind.
    QJsonObject ToJson() const;
    static bool FromJson(const QJsonObject &json, THistoryEntry &entry, QString *error);

    // The time as stored: ISO 8601 in UTC with milliseconds, which sorts as text.
    static QString StoredTime(const QDateTime &time);
    static QDateTime TimeFromStored(const QString &text);
};

// A new entry of `kind` stamped now, with a fresh UUID and this PC's user
// and host; the caller fills the instrument and the content.
THistoryEntry NewHistoryEntry(const QString &kind);

// This PC's user and host name.
QString HistoryUserName();
QString HistoryHostName();
