#pragma once
// The simulated instrument's settings: every setting of the viewer's query
// list and command table, with the viewer's defaults and the value ranges the
// viewer takes back from replies. Queries answer in the form the viewer
// expects (its prefix + the reply is a settings line); writes are taken only
// when every value lies in range.

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

struct TSimField {
    bool IsText = false;
    qint64 Min = 0; // for a text: shortest length
    qint64 Max = 0; // for a text: longest length
};

struct TSimSettingSpec {
    QString Mnemonic;
    int FirstItem = 0;        // numbered items (ranges, keys, lines, ...)
    int LastItem = -1;        // below FirstItem: the setting has no item number
    bool ItemInReply = false; // IAD and LIV answer with their item number first
    bool Guarded = false;     // refused while a passcode is set and not entered
    bool Writable = true;     // false: changed only by calibration commands
    QList<TSimField> Fields;  // the values after the item number
    QList<QStringList> Defaults; // per item, in wire form (texts without quotes)

    bool HasItems() const { return LastItem >= FirstItem; }
};

class TSimSettings {
public:
    TSimSettings();

    static const QList<TSimSettingSpec> &Specs();
    static const TSimSettingSpec *Find(const QString &mnemonic);
    static bool IsGuarded(const QString &mnemonic);

    // "IDN?" gives three texts: the ID (a setting), the serial number and the
    // version (both fixed for the unit).
    void SetIdentity(const QString &id, const QString &serialNumber, const QString &version);

    // The reply to mnemonic + "?" + argument, or nullopt to refuse it.
    std::optional<QString> Query(const QString &mnemonic, const QString &argument) const;
    // A write of mnemonic + argument; false (refused) unless every value is
    // present and in range. Does not check the passcode.
    bool Write(const QString &mnemonic, const QString &argument);

    qint64 Int(const QString &mnemonic, int item, int field) const;
    QString Text(const QString &mnemonic, int item, int field) const;
    // Sets one value without range checks (calibration results).
    void Set(const QString &mnemonic, int item, int field, qint64 value);

    // "TDD1": the settings are kept as the stored set.
    void Store();
    int StoreCount() const { return StoreCountValue; }
    bool MatchesStored() const { return Values == StoredValues; }

private:
    QHash<QString, QStringList> Values;
    QHash<QString, QStringList> StoredValues;
    int StoreCountValue = 0;
    QString SerialNumber;
    QString Version;

    static QString Key(const QString &mnemonic, int item);
    QString FormatValues(const TSimSettingSpec &spec, int item) const;
};
