// history: the instruments' history that the window and this program keep,
// read from a shell; its export into a file of JSON lines and the import of
// such a file (a laptop's history into the plant's database).

#include "cli/cliargs.h"
#include "cli/clifiles.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "history/settingsdiff.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <cstdio>

namespace {

const QString Usage = QStringLiteral("usage: quenvale7400-cli history [SERIAL] [--since DATE] | history diff SERIAL A B | "
                                     "history export|import FILE|-");

QString Shown(const QDateTime &time) { return THistoryEntry::StoredTime(time); }

// The store, opened; null (said, status in *status) when there is none.
THistoryStore *OpenStore(TCliJob &job, int *status)
{
    // Off on purpose has no message of its own to give.
    job.History->HistoryOff = nullptr;
    THistoryStore *store = job.History->Store();
    if (store)
        return store;
    const QString why = job.History->OffMessage();
    *status = job.Fail(ExitRefused, why.isEmpty() ? QStringLiteral("History is off (QV_HISTORY or History in the "
                                                                   "connection settings says so).")
                                                  : why);
    return nullptr;
}

void Print(const QString &text)
{
    std::fputs(qPrintable(text), stdout);
    std::fflush(stdout);
}

int Instruments(TCliJob &job, THistoryStore &store)
{
    std::vector<THistoryInstrument> instruments;
    QString error;
    if (!store.Instruments(instruments, &error))
        return job.Fail(ExitRefused, QStringLiteral("The history cannot be read: %1").arg(error));
    QJsonArray json;
    QString text;
    for (const THistoryInstrument &instrument : instruments) {
        json.append(QJsonObject{{"serial", instrument.Serial},
                                {"entries", instrument.Entries},
                                {"first", Shown(instrument.First)},
                                {"last", Shown(instrument.Last)}});
        text += QStringLiteral("%1  %2 entries  %3 .. %4\n")
                    .arg(instrument.Serial.isEmpty() ? QStringLiteral("-") : instrument.Serial, -12)
                    .arg(instrument.Entries, 6)
                    .arg(Shown(instrument.First), Shown(instrument.Last));
    }
    if (job.Args.Json)
        job.Result({{"instruments", json}}, QString());
    else
        Print(text);
    return ExitDone;
}

int Timeline(TCliJob &job, THistoryStore &store, const QString &serial)
{
    std::vector<THistoryEntry> entries;
    QString error;
    if (!store.Timeline(serial, job.Args.Since, entries, &error))
        return job.Fail(ExitRefused, QStringLiteral("The history cannot be read: %1").arg(error));
    QJsonArray json;
    QString text;
    for (const THistoryEntry &entry : entries) {
        QJsonObject object = entry.ToJson();
        object.remove(QStringLiteral("data"));
        object.insert(QStringLiteral("id"), entry.Id);
        object.insert(QStringLiteral("snapshot"), entry.Snapshot);
        json.append(object);
        text += QStringLiteral("%1  %2  %3%4  %5  (%6@%7%8)\n")
                    .arg(entry.Id, 6)
                    .arg(Shown(entry.Time))
                    .arg(entry.Kind, -11)
                    .arg(entry.Snapshot ? QStringLiteral("*") : QStringLiteral(" "))
                    .arg(entry.Summary, entry.User, entry.Host,
                         entry.Port.isEmpty() ? QString() : QStringLiteral(", ") + entry.Port);
    }
    if (job.Args.Json)
        job.Result({{"serial", serial}, {"entries", json}}, QString());
    else
        Print(text);
    return ExitDone;
}

// One of the instrument's snapshots, by its id as given.
bool Snapshot(TCliJob &job, THistoryStore &store, const QString &serial, const QString &given, THistoryEntry &entry,
              int *status)
{
    bool ok = false;
    const qint64 id = given.toLongLong(&ok);
    QString error;
    if (!ok || id <= 0) {
        *status = job.Fail(ExitUsage, QStringLiteral("%1 is no entry id (the first column of history %2)").arg(given, serial));
        return false;
    }
    if (!store.Entry(id, entry, &error)) {
        *status = job.Fail(ExitRefused, QStringLiteral("The history holds no entry %1.").arg(id));
        return false;
    }
    if (entry.Serial != serial) {
        *status = job.Fail(ExitRefused,
                           QStringLiteral("Entry %1 belongs to instrument %2, not %3.").arg(id).arg(entry.Serial, serial));
        return false;
    }
    if (!entry.IsSnapshot()) {
        *status = job.Fail(ExitRefused, QStringLiteral("Entry %1 (%2) holds no settings snapshot.").arg(id).arg(entry.Kind));
        return false;
    }
    return true;
}

int Diff(TCliJob &job, THistoryStore &store, const QString &serial, const QString &a, const QString &b)
{
    THistoryEntry first;
    THistoryEntry second;
    int status = ExitDone;
    if (!Snapshot(job, store, serial, a, first, &status) || !Snapshot(job, store, serial, b, second, &status))
        return status;
    QJsonArray json;
    QString text;
    for (const TSettingsDifference &difference : DiffSettings(first.SettingsLines(), second.SettingsLines())) {
        json.append(QJsonObject{{"setting", difference.Name}, {"key", difference.Key}, {"a", difference.A}, {"b", difference.B}});
        text += QStringLiteral("%1: %2 -> %3\n")
                    .arg(difference.Name, difference.A.isEmpty() ? QStringLiteral("(none)") : difference.A,
                         difference.B.isEmpty() ? QStringLiteral("(none)") : difference.B);
    }
    if (job.Args.Json)
        job.Result({{"serial", serial}, {"a", first.Id}, {"b", second.Id}, {"differences", json}}, QString());
    else
        Print(text);
    return ExitDone;
}

int Export(TCliJob &job, THistoryStore &store, const QString &operand)
{
    if (operand == QLatin1String("-") && job.Args.Json)
        return job.Fail(ExitUsage, QStringLiteral("--json and - cannot share standard output"));
    TCliOutput output;
    QString error;
    if (!output.Prepare(operand, QStringLiteral(".jsonl"), {}, &error))
        return job.Fail(ExitRefused, error);
    QSaveFile file(output.Path());
    if (!file.open(QIODevice::WriteOnly))
        return job.Fail(ExitRefused, QStringLiteral("cannot write %1: %2").arg(operand, file.errorString()));
    qint64 count = 0;
    const bool read = store.Each(
        [&file, &count](const THistoryEntry &entry) {
            ++count;
            return file.write(QJsonDocument(entry.ToJson()).toJson(QJsonDocument::Compact) + '\n') >= 0;
        },
        &error);
    if (!read) {
        file.cancelWriting();
        return job.Fail(ExitRefused, QStringLiteral("The history could not be exported to %1: %2")
                                         .arg(operand, file.error() != QFileDevice::NoError ? file.errorString() : error));
    }
    if (!file.commit())
        return job.Fail(ExitRefused, QStringLiteral("cannot write %1: %2").arg(operand, file.errorString()));
    if (!output.Deliver(&error))
        return job.Fail(ExitRefused, error);
    if (!output.ToStdout())
        TCliJob::Note(QStringLiteral("%1 entries exported to %2").arg(count).arg(operand));
    job.Result({{"file", operand}, {"entries", count}}, QString());
    return ExitDone;
}

int Import(TCliJob &job, THistoryStore &store, const QString &operand)
{
    TCliInput input;
    QString error;
    if (!input.Open(operand, QStringLiteral(".jsonl"), &error))
        return job.Fail(ExitRefused, error);
    QFile file(input.Path());
    if (!file.open(QIODevice::ReadOnly))
        return job.Fail(ExitRefused, QStringLiteral("cannot read %1: %2").arg(operand, file.errorString()));
    std::vector<THistoryEntry> entries;
    // The whole file is checked first: a file that is not all history
    // entries imports nothing.
    for (qint64 number = 1; !file.atEnd(); ++number) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty())
            continue;
        QJsonParseError parse{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &parse);
        THistoryEntry entry;
        QString why = parse.error != QJsonParseError::NoError ? parse.errorString()
                      : !document.isObject()                 ? QStringLiteral("no JSON object")
                                                             : QString();
        if (why.isEmpty())
            THistoryEntry::FromJson(document.object(), entry, &why);
        if (!why.isEmpty())
            return job.Fail(ExitRefused, QStringLiteral("%1 line %2 is no history entry (%3).  Nothing was imported.")
                                             .arg(operand)
                                             .arg(number)
                                             .arg(why));
        entries.push_back(std::move(entry));
    }
    qint64 added = 0;
    if (!store.AddAll(entries, &error, &added))
        return job.Fail(ExitRefused, QStringLiteral("The history could not take %1: %2.  Nothing was imported.")
                                         .arg(operand, error));
    TCliJob::Note(QStringLiteral("%1 entries imported, %2 already there").arg(added).arg(qint64(entries.size()) - added));
    job.Result({{"file", operand}, {"imported", added}, {"alreadyThere", qint64(entries.size()) - added}}, QString());
    return ExitDone;
}

} // namespace

int RunHistory(TCliJob &job)
{
    const QStringList &operands = job.Args.Operands;
    const QString what = operands.value(0);
    const bool diff = what == QLatin1String("diff");
    const bool exporting = what == QLatin1String("export");
    const bool importing = what == QLatin1String("import");
    if ((diff && operands.size() != 4) || ((exporting || importing) && operands.size() != 2)
        || (!diff && !exporting && !importing && operands.size() > 1))
        return job.Fail(ExitUsage, Usage);
    if ((diff || exporting || importing) && job.Args.Since.isValid())
        return job.Fail(ExitUsage, QStringLiteral("--since goes with history [SERIAL] only"));
    int status = ExitDone;
    THistoryStore *store = OpenStore(job, &status);
    if (!store)
        return status;
    if (diff)
        return Diff(job, *store, operands[1], operands[2], operands[3]);
    if (exporting)
        return Export(job, *store, operands[1]);
    if (importing)
        return Import(job, *store, operands[1]);
    return operands.isEmpty() ? Instruments(job, *store) : Timeline(job, *store, operands[0]);
}
