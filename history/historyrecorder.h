#pragma once
// Keeps the instruments' history by itself: the window and the command-line
// program each own one recorder, give it the instrument they are connected
// to, and let it fill the history hooks of the operations (settings
// transfer, calibration steps, calibration backup). The operations know
// nothing of it.
//
// History never stops the operator's work. A store that cannot be opened
// or written turns history off for the run, and HistoryOff says once why;
// every later record does nothing. Each entry is one short transaction.

#include "history/historyentry.h"
#include "history/historystore.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class TSession;
class TSettingsTransfer;
class TCalibrationSteps;
class TCalBackup;
struct TSettingsWriteRecord;
struct TCalStepRecord;
struct TCalDataRecord;

struct THistoryIdentity {
    QString Serial;
    int Address = 0;
    QString Port;
};

class THistoryRecorder {
public:
    // A null store is history off from the start; `why` then says why
    // (empty when the operator chose "off", which is said nowhere).
    explicit THistoryRecorder(std::unique_ptr<THistoryStore> store, const QString &why = QString());
    // From a location (HistoryLocation's); an unusable one is history off.
    static std::unique_ptr<THistoryRecorder> ForLocation(const QString &location);

    // Said once, when history is found to be off: why.
    std::function<void(const QString &message)> HistoryOff;

    // Opens the store now (otherwise the first entry does); false when off.
    bool Open();
    bool IsOn() const { return !Off; }
    // The store, opened; null when history is off.
    THistoryStore *Store();
    // The message HistoryOff gives (empty while on, or when turned off on purpose).
    const QString &OffMessage() const { return OffText; }

    // The instrument on the line; entries go under its serial number.
    void SetIdentity(const THistoryIdentity &identity) { Current = identity; }
    const THistoryIdentity &Identity() const { return Current; }
    void ForgetIdentity() { Current = THistoryIdentity(); }

    // Fills the operations' history hooks.
    void Attach(TSettingsTransfer &transfer);
    void Attach(TCalibrationSteps &steps);
    void Attach(TCalBackup &backup);

    // A connect, with the instrument's identity line ("IDN" and its texts).
    void RecordConnect(const THistoryIdentity &identity, const QString &identityLine);
    // The window's connect: asks the instrument who it is ("IDN?", "ADR?")
    // and records the connect, while history is on.
    void AskAndRecordConnect(TSession &session, const QString &port);
    // A settings file opened or saved, with the settings it holds.
    void RecordSettingsFile(bool saved, const QString &path, const QStringList &lines);

    void RecordRead(const QStringList &replies);
    void RecordWrite(const TSettingsWriteRecord &write);
    void RecordCalibrationStep(const TCalStepRecord &step);
    void RecordCalibrationData(const TCalDataRecord &data);

private:
    std::unique_ptr<THistoryStore> Backend;
    bool Opened = false;
    bool Off = false;
    bool Said = false;
    QString OffText;
    THistoryIdentity Current;

    void TurnOff(const QString &why);
    void Say();
    void Record(THistoryEntry entry);
};

// The message that says history is off and why.
QString HistoryOffMessage(const QString &why);
