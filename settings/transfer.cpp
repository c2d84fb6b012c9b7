#include "settings/transfer.h"

#include "link/session.h"
#include "settings/database.h"
#include "settings/guardedsettings.h"
#include "settings/settingnames.h"
#include "settings/settingsmerge.h"
#include "settings/tools.h"
#include "ui/prompts.h"

namespace {

const QString NotResponding = QStringLiteral("Instrument not Responding");
const QString StreamRunning = QStringLiteral(
    "A streamed log is running. Stop it on the Log page before reading or writing settings.");
const QString AlreadyHeld = QStringLiteral("The instrument already holds these settings.");
constexpr int SettlingTicks = 5;   // lets a poll in flight finish first

QString WritingText(qsizetype lines)
{
    return lines == 1 ? QStringLiteral("Writing 1 setting") : QStringLiteral("Writing %1 settings").arg(lines);
}

QString OtherInstrumentQuestion(const QString &madeFor, const QString &connected)
{
    return QStringLiteral("The changes on the settings pages were made for the instrument with serial number %1, "
                          "but the instrument connected now has serial number %2.  Write them into %2?")
        .arg(madeFor, connected);
}

QString KeptText(const QStringList &names)
{
    return QStringLiteral("Kept as the instrument holds %1 (changed there since the pages were filled): %2.")
        .arg(names.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"), names.join(QStringLiteral(", ")));
}

QString WrittenText(qsizetype lines)
{
    return lines == 1 ? QStringLiteral("Settings written (1 line)") : QStringLiteral("Settings written (%1 lines)").arg(lines);
}

} // namespace

TSettingsTransfer::TSettingsTransfer(TSession &session, Tdata7410 &editModel, Tdata7410 &instrumentModel,
                                     bool *settingsSent)
    : SettingsSent(settingsSent ? *settingsSent : OwnSettingsSent), Session(session), EditModel(editModel),
      InstrumentModel(instrumentModel)
{
    Engine.Send = [this](const QString &line) { Session.SendCommand(line, false); };
    Engine.IsLinkOpen = [this] { return Session.IsOpen(); };
    // A value outside the intake's table (an empty serial number, a choice
    // this program has no entry for) is kept as it was, not taken for
    // silence: the read goes on and says which it was.
    Engine.IsAnswer = &Tdata7410::IsAnswerLine;
    Engine.ProgressChanged = [this] {
        Progress.Maximum = Engine.ProgressMax;
        Progress.Position = Engine.ProgressPosition;
        Progress.Update();
    };
    Engine.Finished = [this](TTransferEngine::TResult) {
        Timer1.stop();
        Progress.Moving = false;
        Progress.Finished = true;
        Progress.Update();
    };
    Progress.Cancel = [this] { Engine.Cancel(); };
    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(TickMs);
    QObject::connect(&Timer1, &QTimer::timeout, [this] { Timer1Timer(); });
    Session.SettingsReply = [this](const QString &reply) { Engine.TakeReply(reply); };
}

TSettingsTransfer::~TSettingsTransfer()
{
    Session.SettingsReply = nullptr;
}

void TSettingsTransfer::Call(const std::function<void()> &hook) const
{
    if (hook)
        hook();
}

void TSettingsTransfer::ShowBusy(bool on) const
{
    if (SetBusy)
        SetBusy(on);
}

TTransferEngine::TResult TSettingsTransfer::RunTransfer(const QString &caption, const QString &action,
                                                        const QStringList &commands, const QStringList &expected)
{
    Progress.Caption = caption;
    Progress.Action = action;
    Progress.Finished = false;
    Engine.LoadTransfer(commands, expected);
    // Written lines are accepted with "0" only; a query takes any answer.
    Engine.RequiredReply = commands == expected && !commands.isEmpty() ? QStringLiteral("0") : QString();
    Engine.Activate();
    Progress.Moving = true;
    Timer1.start();
    Progress.Update();
    Prompts().WatchProgress(Progress);
    // Whoever ended the watch, the engine must not go on sending.
    Engine.Cancel();
    Timer1.stop();
    const TTransferEngine::TResult result = Engine.Outcome;
    const QString partWay = commands == expected ? PartWrittenText(commands, Engine.TransferIndex) : QString();
    switch (result) {
    case TTransferEngine::TResult::Failed:
        Failure = FailedLine(Engine.RefusedLine);
        break;
    case TTransferEngine::TResult::LinkLost:
        // A lost line has been reported by the transport that lost it. What
        // it cut short of a write goes to the status bar, beside the pages'
        // marks of what differs.
        Failure = TOutcome::Lost();
        if (!partWay.isEmpty())
            Note(partWay);
        break;
    case TTransferEngine::TResult::Done:
        break;
    default:
        Failure = TOutcome::Cancel();
        break;
    }
    return result;
}

// Silence blames the line; a refusal names the setting line as the
// instrument saw it, by every value it carries, so the operator knows which
// values to look at: a refused ZST line may be its zero band.
TOutcome TSettingsTransfer::FailedLine(const QString &line)
{
    if (line.isEmpty())
        return TOutcome::Silence(QString()).Saying(NotResponding, TOutcome::TSeverity::Plain);
    QString name = Tdata7410::LineFieldsName(line);
    if (name.isEmpty())
        name = SettingLineName(line);
    return TOutcome::Refuse(line).Saying(
        QStringLiteral("The instrument refused %1 (%2).").arg(name, MaskPasscode(line)), TOutcome::TSeverity::Warning);
}

// A write cut short by a lost port: the operator must know what the
// instrument now holds. The caller leaves InstrumentModel as it was, so the
// pages keep every line as unsent and the next write sends what still
// differs. Empty unless part was written.
QString TSettingsTransfer::PartWrittenText(const QStringList &lines, int reached)
{
    if (reached <= 0 || reached >= lines.size())
        return {};
    const auto names = [](const QStringList &part) {
        QStringList named;
        for (const QString &line : part)
            named << SettingLineName(line);
        return named.join(QStringLiteral(", "));
    };
    return QStringLiteral("Write stopped part-way. Reached the instrument: %1. Not written: %2 (kept as unsent).")
        .arg(names(lines.mid(0, reached)), names(lines.mid(reached)));
}

// A transfer needs the line to itself: an exchange still awaited (the
// start-up questions, a calibration step) could neither finish nor let the
// transfer wait for its own answers, and a streamed weight could be taken
// for a query's answer.
TOutcome TSettingsTransfer::LineFree() const
{
    if (Session.LoggingState() == lsStreamed)
        return TOutcome::LineBusy().Saying(StreamRunning, TOutcome::TSeverity::Warning);
    if (Session.IsWaiting())
        return TOutcome::LineBusy();
    return TOutcome::Accept();
}

void TSettingsTransfer::Abandon()
{
    Engine.Cancel();
}

// ---------------------------------------------------------------- read

TOutcome TSettingsTransfer::ReadSettings()
{
    // A second read from within the first (a nested event loop) says nothing.
    if (Busy)
        return TOutcome::Cancel();
    if (!Session.IsOpen())
        return TOutcome::Closed();
    if (TOutcome free = LineFree(); !free)
        return free;
    Busy = true;
    TOutcome result;
    {
        TSession::TActivityScope scope(Session);
        Session.WaitTicks(SettlingTicks);
        scope.Use(actReadSettings);
        Call(BlankMainDisplay);

        QStringList notTaken;
        if (ReadAllInto(InstrumentModel, QStringLiteral("Read Settings from Instrument"), &notTaken)) {
            const QStringList lines = Engine.Replies();
            EditModel.ApplyLines(lines);
            TakeEditBase();
            if (StatusNote)
                StatusNote(ReadNote(lines.size(), notTaken));
            Call(SetupChartAxes);
            Call(ShowSettingsPages);
            SettingsSent = true;
            Session.SetDisplayUnits(EditModel.Units);
            Call(RefreshStatusBar);
        } else {
            result = Failure;
        }
        scope.Restore();
    }
    Call(FillSettingsPages);
    Busy = false;
    return result;
}

// Every setting the instrument holds into the model; a completed read makes
// InstrumentModel trustworthy again. notTaken gets the values the model could
// not take (it keeps what it held for them).
bool TSettingsTransfer::ReadAllInto(Tdata7410 &model, const QString &caption, QStringList *notTaken)
{
    QStringList queries;
    QStringList expected;
    model.BuildQueryList(true, queries, expected);
    if (RunTransfer(caption, QStringLiteral("Reading settings from the instrument"), queries, expected)
        != TTransferEngine::TResult::Done)
        return false;
    model.ApplyLines(Engine.Replies(), notTaken);
    InstrumentModelStale = false;
    if (ReadRecorded)
        ReadRecorded(Engine.Replies());
    return true;
}

QString TSettingsTransfer::ReadNote(qsizetype lines, const QStringList &notTaken)
{
    QString note = QStringLiteral("Settings read (%1 lines)").arg(lines);
    if (!notTaken.isEmpty())
        note += QStringLiteral("; not understood, kept as before: %1").arg(notTaken.join(QStringLiteral(", ")));
    return note;
}

// Before a write with a stale InstrumentModel: what the instrument holds
// now, and from that what is left to send.
TSettingsTransfer::TPreRead TSettingsTransfer::ReadInstrumentState(QStringList &pending)
{
    TSession::TActivityScope scope(Session);
    scope.Use(actReadSettings);
    Call(BlankMainDisplay);
    if (!ReadAllInto(InstrumentModel, QStringLiteral("Read Settings from Instrument")))
        return TPreRead::Failed;
    return Reconcile(pending);
}

QStringList TSettingsTransfer::PendingLines(const Tdata7410 &edited) const
{
    QStringList pending;
    edited.BuildWriteCommands(pending);
    QStringList held;
    InstrumentModel.BuildWriteCommands(held);
    RemoveCommon(pending, held);
    return pending;
}

TSettingsTransfer::TPreRead TSettingsTransfer::PreRead(QStringList &pending)
{
    // The write found the line open: closed now, it was lost meanwhile, and
    // the session has said so.
    if (!Session.IsOpen()) {
        Failure = TOutcome::Lost();
        return TPreRead::Failed;
    }
    if (pending.isEmpty())
        return TPreRead::NothingLeft;
    TSession::TActivityScope scope(Session);
    scope.Use(actReadSettings);
    Call(BlankMainDisplay);

    QStringList queries;
    QStringList expected;
    EditModel.BuildQueryList(false, queries, expected);
    if (RunTransfer(QStringLiteral("Read Build Settings from Instrument"),
                    QStringLiteral("Reading the build settings from the instrument"), queries, expected)
        != TTransferEngine::TResult::Done)
        return TPreRead::Failed;
    // What the instrument holds now: its keys may have changed a build
    // setting since. What it already holds is then no longer pending.
    InstrumentModel.ApplyLines(Engine.Replies());
    return Reconcile(pending);
}

// ---------------------------------------------------------------- the operator's edits

void TSettingsTransfer::TakeEditBase()
{
    QStringList lines;
    InstrumentModel.BuildWriteCommands(lines);
    EditBase.clear();
    for (const QString &line : lines)
        EditBase.insert(SettingLineKey(line), line);
    EditBaseSerial = InstrumentModel.SerialNumber.trimmed();
}

void TSettingsTransfer::EditsLoadedFromFile()
{
    EditBase.clear();
    EditBaseSerial.clear();
}

// Every value the operator left as the pages were filled takes what
// InstrumentModel (just read) holds, so a write never undoes a change made
// on the instrument meanwhile; the base moves on with those values. The
// names of the settings that took the instrument's values.
QStringList TSettingsTransfer::KeepInstrumentChanges(Tdata7410 &edited, QHash<QString, QString> &base) const
{
    QStringList edits;
    QStringList held;
    edited.BuildWriteCommands(edits);
    InstrumentModel.BuildWriteCommands(held);
    QStringList taken;
    QStringList names;
    for (qsizetype i = 0; i < edits.size() && i < held.size(); ++i) {
        const auto from = base.find(SettingLineKey(edits[i]));
        if (from == base.end())
            continue;
        const QString merged = MergeSettingLine(edits[i], *from, held[i]);
        *from = MergeSettingLine(*from, edits[i], held[i]);
        if (merged == edits[i])
            continue;
        taken << merged;
        if (const QString name = SettingLineName(merged); !names.contains(name))
            names << name;
    }
    edited.ApplyLines(taken);
    return names;
}

// Edits made against one instrument go into another only when the operator
// says so; a file's settings are meant for any.
bool TSettingsTransfer::MayWriteIntoThisInstrument() const
{
    const QString connected = InstrumentModel.SerialNumber.trimmed();
    if (EditBaseSerial.isEmpty() || connected.isEmpty() || connected == EditBaseSerial)
        return true;
    return Prompts().Confirm(OtherInstrumentQuestion(EditBaseSerial, connected), {}, TPrompts::Kind::Warning);
}

// After InstrumentModel has been brought up to date: what is left to send
// of the operator's edits, with the instrument's own changes kept.
TSettingsTransfer::TPreRead TSettingsTransfer::Reconcile(QStringList &pending)
{
    Tdata7410 merged = EditModel;
    QHash<QString, QString> base = EditBase;
    const QStringList kept = KeepInstrumentChanges(merged, base);
    pending = PendingLines(merged);
    if (!pending.isEmpty() && !MayWriteIntoThisInstrument())
        return TPreRead::Declined;
    EditBase = base;
    if (!EditBaseSerial.isEmpty())
        EditBaseSerial = InstrumentModel.SerialNumber.trimmed();
    if (!kept.isEmpty()) {
        EditModel = merged;
        KeptNote = KeptText(kept);
        Call(FillSettingsPages);
    }
    return pending.isEmpty() ? TPreRead::NothingLeft : TPreRead::Remaining;
}

void TSettingsTransfer::RecordWrite(const QStringList &pending, const TOutcome &result, bool linesWent) const
{
    if (!WriteRecorded)
        return;
    TSettingsWriteRecord write;
    write.Acknowledged = result.Done;
    write.Sent = result.Done;
    // The line in hand when the write stopped went out at least once.
    if (linesWent && write.Sent.size() < pending.size() && Engine.TransferAttempts > 0)
        write.Sent << pending[write.Sent.size()];
    if (result.Is(TOutcome::TKind::Refused) && write.Acknowledged.size() < pending.size())
        write.Refused = result.Command();
    if (write.Acknowledged.size() == pending.size())
        InstrumentModel.BuildWriteCommands(write.Held);
    write.Outcome = result;
    WriteRecorded(write);
}

void TSettingsTransfer::Note(const QString &note)
{
    Noted = true;
    if (!StatusNote)
        return;
    StatusNote(KeptNote.isEmpty() ? note : note.isEmpty() ? KeptNote : note + QStringLiteral("  ") + KeptNote);
}

// ---------------------------------------------------------------- write

TOutcome TSettingsTransfer::StoreAfterWrite(const QStringList &written)
{
    InstrumentModel.ApplyLines(written);
    TakeEditBase();
    ShowBusy(true);
    const TOutcome stored = Session.Acknowledged(QStringLiteral("TDD1"));
    const TOutcome locked = LockGuardedSettings(Session);
    Session.SetDisplayUnits(EditModel.Units);
    // Not stored, the instrument would lose the settings at power-off.
    SettingsSent = stored.Ok();
    ShowBusy(false);
    // Stored but not locked again: the operator must know the instrument
    // may still be open.
    return !stored ? stored : locked;
}

TOutcome TSettingsTransfer::WriteSettings()
{
    // A second write from within the first (a nested event loop) says nothing.
    if (Busy)
        return TOutcome::Cancel();
    Call(TakeSettingsPages);
    if (SettingsAvailable && !SettingsAvailable())
        return TOutcome::Cancel();
    if (!Session.IsOpen())
        return TOutcome::Closed();
    if (TOutcome free = LineFree(); !free)
        return free;
    Busy = true;
    Failure = TOutcome::Accept();
    KeptNote.clear();
    Noted = false;
    TOutcome result;
    bool storeAgain = true;
    {
        // After a failure the closing commands still go out (a passcode sent
        // must be locked again); the write's outcome is its first failure.
        TSession::TActivityScope scope(Session);
        Session.WaitTicks(SettlingTicks);

        QStringList pending = PendingLines();

        // Once the passcode went out, the instrument is locked again however
        // the write ends (a refused passcode left it locked: harmless).
        bool unlocked = false;
        const bool stale = InstrumentModelStale && Session.IsOpen();
        switch (stale ? ReadInstrumentState(pending) : PreRead(pending)) {
        case TPreRead::Remaining:
            if (Tdata7410::HasBuildCommand(pending)) {
                if (TOutcome open = OpenGuardedSettings(Session, unlocked); !open) {
                    result = open;
                    storeAgain = false; // no setting goes to the instrument
                    // A write stopped at the passcode is part of the
                    // instrument's story too.
                    RecordWrite(pending, result, false);
                    break;
                }
            }
            scope.Use(actWriteSettings);
            Call(BlankMainDisplay);
            if (RunTransfer(QStringLiteral("Write Settings to Instrument"), WritingText(pending.size()), pending,
                            pending)
                == TTransferEngine::TResult::Done) {
                result = StoreAfterWrite(pending);
                result.Done = pending;
                if (result)
                    Note(WrittenText(pending.size()));
                unlocked = false; // locked by the store
            } else {
                // The pages hold lines the instrument has not stored.
                SettingsSent = false;
                result = Failure;
                result.Done = pending.mid(0, Engine.TransferIndex);
            }
            RecordWrite(pending, result);
            break;
        case TPreRead::NothingLeft:
            ShowBusy(true);
            result = Session.Acknowledged(QStringLiteral("TDD1"));
            SettingsSent = result.Ok();
            ShowBusy(false);
            if (result) {
                TakeEditBase();
                result = TOutcome::AcceptSaying(AlreadyHeld);
                Note(AlreadyHeld);
            }
            break;
        case TPreRead::Declined:
            // Nothing went to the instrument.
            result = TOutcome::Cancel();
            storeAgain = false;
            break;
        case TPreRead::Failed:
            // Unknown what the instrument holds: nothing was sent, nothing is
            // marked as sent.
            result = Failure;
            storeAgain = false;
            break;
        }
        if (unlocked)
            LockGuardedSettings(Session);
        // Once more, as the instrument expects after every write; its own
        // failure adds nothing to what the write's outcome says.
        if (storeAgain)
            Session.Acknowledged(QStringLiteral("TDD1"));
        scope.Restore();
    }
    // The pages now show what the instrument changed itself: say so also
    // when the write went no further.
    if (!Noted && !KeptNote.isEmpty())
        Note(QString());
    Call(RefreshStatusBar);
    Busy = false;
    return result;
}
