#include "history/historyrecorder.h"

#include "calibration/calbackup.h"
#include "calibration/calsteps.h"
#include "link/session.h"
#include "settings/database.h"
#include "settings/transfer.h"

#include <QDir>
#include <QJsonArray>

namespace {

QJsonArray Lines(const QStringList &lines)
{
    QJsonArray array;
    for (const QString &line : lines)
        // The passcode never goes into the history, whatever brought it.
        if (!line.startsWith(QLatin1String("PCD"), Qt::CaseInsensitive))
            array.append(MaskPasscode(line));
    return array;
}

QJsonValue Signal(const std::optional<qint32> &signal) { return signal ? QJsonValue(*signal) : QJsonValue(); }

// How an operation ended, as the history keeps it: "done", or the text the
// operator was told (or the kind's name where nothing was said).
QString Ended(const TOutcome &outcome)
{
    if (outcome.Ok())
        return QStringLiteral("done");
    const QString text = outcome.Text();
    if (!text.isEmpty())
        return text;
    switch (outcome.Kind()) {
    case TOutcome::TKind::Cancelled:
        return QStringLiteral("cancelled");
    case TOutcome::TKind::PortLost:
        return QStringLiteral("port lost");
    default:
        return QStringLiteral("failed");
    }
}

QString Lines(qsizetype count, const char *what)
{
    return count == 1 ? QStringLiteral("1 %1").arg(QLatin1String(what)) : QStringLiteral("%1 %2s").arg(count).arg(QLatin1String(what));
}

} // namespace

QString HistoryOffMessage(const QString &why)
{
    return QStringLiteral("History is off: %1").arg(why);
}

THistoryRecorder::THistoryRecorder(std::unique_ptr<THistoryStore> store, const QString &why)
    : Backend(std::move(store)), Off(!Backend), OffText(why.isEmpty() ? QString() : HistoryOffMessage(why))
{
}

std::unique_ptr<THistoryRecorder> THistoryRecorder::ForLocation(const QString &location)
{
    QString error;
    std::unique_ptr<THistoryStore> store = MakeHistoryStore(location, &error);
    return std::make_unique<THistoryRecorder>(std::move(store), error);
}

void THistoryRecorder::TurnOff(const QString &why)
{
    if (Off)
        return;
    Off = true;
    OffText = HistoryOffMessage(why);
    Say();
}

void THistoryRecorder::Say()
{
    if (Said || OffText.isEmpty() || !HistoryOff)
        return;
    Said = true;
    HistoryOff(OffText);
}

bool THistoryRecorder::Open()
{
    if (Off) {
        // Off from the start for a reason: said on the first try.
        Say();
        return false;
    }
    if (Opened)
        return true;
    QString error;
    if (!Backend->Open(&error)) {
        TurnOff(QStringLiteral("%1 cannot be opened: %2").arg(Backend->Description(), error));
        return false;
    }
    Opened = true;
    return true;
}

THistoryStore *THistoryRecorder::Store() { return Open() ? Backend.get() : nullptr; }

void THistoryRecorder::Record(THistoryEntry entry)
{
    if (!Open())
        return;
    if (entry.Serial.isEmpty())
        entry.Serial = Current.Serial;
    if (entry.Address == 0)
        entry.Address = Current.Address;
    if (entry.Port.isEmpty())
        entry.Port = Current.Port;
    QString error;
    if (!Backend->Add(entry, &error))
        TurnOff(QStringLiteral("%1 cannot be written: %2").arg(Backend->Description(), error));
}

// ---------------------------------------------------------------- the operations' hooks

void THistoryRecorder::Attach(TSettingsTransfer &transfer)
{
    transfer.ReadRecorded = [this](const QStringList &replies) { RecordRead(replies); };
    transfer.WriteRecorded = [this](const TSettingsWriteRecord &write) { RecordWrite(write); };
}

void THistoryRecorder::Attach(TCalibrationSteps &steps)
{
    steps.StepRecorded = [this](const TCalStepRecord &step) { RecordCalibrationStep(step); };
    steps.Recording = [this] { return !Off; };
}

void THistoryRecorder::Attach(TCalBackup &backup)
{
    backup.DataRecorded = [this](const TCalDataRecord &data) { RecordCalibrationData(data); };
}

// ---------------------------------------------------------------- entries

void THistoryRecorder::RecordConnect(const THistoryIdentity &identity, const QString &identityLine)
{
    Current = identity;
    if (Current.Serial.isEmpty())
        return;   // nothing to key it by
    THistoryEntry entry = NewHistoryEntry(HistoryKind::Connect);
    Tdata7410 model;
    model.ApplyLines({identityLine});
    entry.Data = {{"identity", identityLine},
                  {"id", model.SerialID.trimmed()},
                  {"version", model.Version.trimmed()}};
    entry.Summary = QStringLiteral("Connected on %1 (address %2, %3 %4)")
                        .arg(identity.Port.isEmpty() ? QStringLiteral("?") : identity.Port)
                        .arg(identity.Address)
                        .arg(model.SerialID.trimmed(), model.Version.trimmed());
    Record(entry);
}

void THistoryRecorder::AskAndRecordConnect(TSession &session, const QString &port)
{
    if (Off || !session.IsOpen())
        return;
    THistoryIdentity identity;
    identity.Port = port;
    identity.Address = session.UnitAddress();
    if (!session.AskText(QStringLiteral("IDN?"), QStringLiteral("IDN")))
        return;
    const QString line = QStringLiteral("IDN") + session.ReplyPrefix();
    Tdata7410 model;
    model.ApplyLines({line});
    identity.Serial = model.SerialNumber.trimmed();
    if (session.AskNumber(QStringLiteral("ADR?"), QStringLiteral("ADR")))
        identity.Address = session.ReplyValue();
    RecordConnect(identity, line);
}

void THistoryRecorder::RecordRead(const QStringList &replies)
{
    Tdata7410 model;
    model.ApplyLines(replies);
    // The read says which instrument it came from.
    if (const QString serial = model.SerialNumber.trimmed(); !serial.isEmpty())
        Current.Serial = serial;
    QStringList lines;
    model.BuildWriteCommands(lines);
    THistoryEntry entry = NewHistoryEntry(HistoryKind::Read);
    entry.Data = {{"read", Lines(replies)}, {"lines", Lines(lines)}};
    entry.Summary = QStringLiteral("Settings read (%1)").arg(Lines(lines.size(), "setting"));
    Record(entry);
}

void THistoryRecorder::RecordWrite(const TSettingsWriteRecord &write)
{
    THistoryEntry entry = NewHistoryEntry(HistoryKind::Write);
    entry.Data = {{"sent", Lines(write.Sent)},
                  {"acknowledged", Lines(write.Acknowledged)},
                  {"refused", write.Refused.isEmpty() ? QJsonArray() : Lines({write.Refused})},
                  {"outcome", Ended(write.Outcome)}};
    if (!write.Held.isEmpty())
        entry.Data.insert(QStringLiteral("lines"), Lines(write.Held));
    entry.Summary = QStringLiteral("Settings written: %1 sent, %2 acknowledged%3")
                        .arg(Lines(write.Sent.size(), "line"))
                        .arg(write.Acknowledged.size())
                        .arg(write.Refused.isEmpty() ? QString() : QStringLiteral(", refused %1").arg(write.Refused));
    if (!write.Outcome.Ok())
        entry.Summary += QStringLiteral(" (%1)").arg(Ended(write.Outcome));
    Record(entry);
}

void THistoryRecorder::RecordCalibrationStep(const TCalStepRecord &step)
{
    THistoryEntry entry = NewHistoryEntry(HistoryKind::Calibration);
    entry.Data = {{"step", step.Step},
                  {"commands", Lines(step.Commands)},
                  {"signalBefore", Signal(step.SignalBefore)},
                  {"signalAfter", Signal(step.SignalAfter)},
                  {"outcome", Ended(step.Outcome)}};
    const auto shown = [](const std::optional<qint32> &signal) {
        return signal ? QString::number(*signal / 10000.0, 'f', 4) : QStringLiteral("?");
    };
    QString name = step.Step;
    if (!name.isEmpty())
        name[0] = name[0].toUpper();
    entry.Summary = QStringLiteral("%1 calibration (%2): signal %3 -> %4 mV/V, %5")
                        .arg(name, step.Commands.join(QLatin1Char(' ')), shown(step.SignalBefore),
                             shown(step.SignalAfter), Ended(step.Outcome));
    Record(entry);
}

void THistoryRecorder::RecordCalibrationData(const TCalDataRecord &data)
{
    THistoryEntry entry = NewHistoryEntry(data.Restore ? HistoryKind::Restore : HistoryKind::Backup);
    entry.Data = {{"data", data.Data},
                  {"checksum", data.Checksum},
                  {"file", QDir::toNativeSeparators(data.File)},
                  {"outcome", Ended(data.Outcome)}};
    if (data.Restore)
        entry.Data.insert(QStringLiteral("checksumMatched"), data.ChecksumMatched);
    entry.Summary = QStringLiteral("Calibration %1 %2 (checksum %3), %4")
                        .arg(data.Restore ? QStringLiteral("restored from") : QStringLiteral("backed up to"),
                             QDir::toNativeSeparators(data.File))
                        .arg(data.Checksum)
                        .arg(Ended(data.Outcome));
    Record(entry);
}

void THistoryRecorder::RecordSettingsFile(bool saved, const QString &path, const QStringList &lines)
{
    THistoryEntry entry = NewHistoryEntry(saved ? HistoryKind::FileSaved : HistoryKind::FileOpened);
    entry.Data = {{"file", QDir::toNativeSeparators(path)}, {"lines", Lines(lines)}};
    entry.Summary = QStringLiteral("Settings file %1 %2")
                        .arg(saved ? QStringLiteral("saved to") : QStringLiteral("opened from"), QDir::toNativeSeparators(path));
    Record(entry);
}
