#include "settings/transfer.h"

#include "link/session.h"
#include "settings/database.h"
#include "settings/guardedsettings.h"
#include "settings/settingnames.h"
#include "settings/tools.h"
#include "ui/hourglass.h"
#include "ui/prompts.h"

namespace {

const QString NotConnected = QStringLiteral("Instrument not Connected");
const QString NotResponding = QStringLiteral("Instrument not Responding");
const QString LineBusy =
    QStringLiteral("The instrument is still answering another request. Please try again in a moment.");
const QString StreamRunning = QStringLiteral(
    "A streamed log is running. Stop it on the Log page before reading or writing settings.");
const QString AlreadyHeld = QStringLiteral("The instrument already holds these settings.");
constexpr int SettlingTicks = 5;   // lets a poll in flight finish first

QString WritingText(qsizetype lines)
{
    return lines == 1 ? QStringLiteral("Writing 1 setting") : QStringLiteral("Writing %1 settings").arg(lines);
}

QString WrittenText(qsizetype lines)
{
    return lines == 1 ? QStringLiteral("Settings written (1 line)") : QStringLiteral("Settings written (%1 lines)").arg(lines);
}

} // namespace

// Holds polling off and the transfer's Activity for as long as a read or
// write runs, also when it ends early, and puts both back afterwards.
class TSettingsTransfer::TActivityScope {
public:
    explicit TActivityScope(TSession &session)
        : Session(session), SavedActivity(session.Activity), SavedSuspended(session.PollingSuspended)
    {
        Session.PollingSuspended = true;
    }
    ~TActivityScope()
    {
        // A lost connection gives the window its disconnected look, which
        // may set its own Activity meanwhile: that one stays.
        if (Set && Session.Activity == SetTo)
            Session.Activity = SavedActivity;
        Session.PollingSuspended = SavedSuspended;
    }
    void Use(quint8 activity)
    {
        if (!Set || Session.Activity == SetTo) {
            Session.Activity = activity;
            SetTo = activity;
            Set = true;
        }
    }
    void Restore()
    {
        if (Set && Session.Activity == SetTo)
            Session.Activity = SavedActivity;
        Set = false;
    }
    TActivityScope(const TActivityScope &) = delete;
    TActivityScope &operator=(const TActivityScope &) = delete;

private:
    TSession &Session;
    quint8 SavedActivity;
    bool SavedSuspended;
    quint8 SetTo = actIdle;
    bool Set = false;
};

TSettingsTransfer::TSettingsTransfer(TSession &session, Tdata7410 &editModel, Tdata7410 &instrumentModel,
                                     QWidget *dialogParent, bool *settingsSent)
    : SettingsSent(settingsSent ? *settingsSent : OwnSettingsSent), Session(session), EditModel(editModel), InstrumentModel(instrumentModel),
      TrafficDialog(std::make_unique<TFrmTraffic>(dialogParent)),
      PasscodeDialog(std::make_unique<TFrmPasscode>(dialogParent))
{
    TTransferEngine &engine = TrafficDialog->Engine;
    engine.Send = [this](const QString &line) { Session.SendCommand(line, false); };
    engine.IsLinkOpen = [this] { return Session.IsOpen(); };
    engine.IsAnswer = &Tdata7410::IsCompleteLine;
    Session.SettingsReply = [this](const QString &reply) { TrafficDialog->TakeReply(reply); };
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

TTransferEngine::TOutcome TSettingsTransfer::RunTransfer(const QString &caption, const QString &action,
                                                         const QStringList &commands, const QStringList &expected)
{
    TFrmTraffic &dialog = *TrafficDialog;
    dialog.setWindowTitle(caption);
    dialog.LblAction->setText(action);
    dialog.LoadTransfer(commands, expected);
    // Written lines are accepted with "0" only; a query takes any answer.
    dialog.Engine.RequiredReply = commands == expected && !commands.isEmpty() ? QStringLiteral("0") : QString();
    dialog.StartTransfer();
    Prompts().Exec(dialog);
    // Whoever closed the dialog, the engine must not go on sending.
    dialog.Engine.Cancel();
    dialog.StopTransfer();
    const TTransferEngine::TOutcome outcome = dialog.Engine.Outcome;
    // A lost line has been reported by the transport that lost it; a second
    // message would only repeat it. What it cut short of a write goes to the
    // status bar, beside the pages' marks of what differs.
    if (outcome == TTransferEngine::TOutcome::Failed && Session.ReportWaitFailures)
        ReportFailedLine(dialog.Engine.RefusedLine);
    const QString partWay = commands == expected ? PartWrittenText(commands, dialog.Engine.TransferIndex) : QString();
    if (outcome == TTransferEngine::TOutcome::LinkLost && !partWay.isEmpty() && StatusNote)
        StatusNote(partWay);
    if (outcome == TTransferEngine::TOutcome::Failed || outcome == TTransferEngine::TOutcome::LinkLost)
        Session.NoteFailure();
    return outcome;
}

// Silence blames the line; a refusal names the setting the instrument would
// not take, so the operator knows which value to change.
void TSettingsTransfer::ReportFailedLine(const QString &line) const
{
    if (line.isEmpty()) {
        Prompts().Message(NotResponding, TPrompts::Kind::Plain);
        return;
    }
    Prompts().Message(QStringLiteral("The instrument refused %1 (%2).").arg(SettingLineName(line), line),
                      TPrompts::Kind::Warning);
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
bool TSettingsTransfer::LineFree() const
{
    const bool streaming = Session.LoggingState == 2;
    if (!Session.IsWaiting() && !streaming)
        return true;
    Prompts().Message(streaming ? StreamRunning : LineBusy, TPrompts::Kind::Warning);
    return false;
}

void TSettingsTransfer::Abandon()
{
    if (TrafficDialog->Engine.Running())
        TrafficDialog->reject();
    if (PasscodeDialog->isVisible())
        PasscodeDialog->reject();
}

// ---------------------------------------------------------------- read

bool TSettingsTransfer::ReadSettings()
{
    if (Busy)
        return false;
    if (!Session.IsOpen()) {
        Prompts().Message(NotConnected, TPrompts::Kind::Plain);
        return false;
    }
    if (!LineFree())
        return false;
    Busy = true;
    bool completed = false;
    {
        TActivityScope scope(Session);
        Session.WaitTicks(SettlingTicks);
        scope.Use(actReadSettings);
        Call(BlankMainDisplay);

        if (ReadAllInto(InstrumentModel, QStringLiteral("Read Settings from Instrument"))) {
            const QStringList lines = TrafficDialog->Engine.Replies();
            EditModel.ApplyLines(lines);
            if (StatusNote)
                StatusNote(QStringLiteral("Settings read (%1 lines)").arg(lines.size()));
            Call(SetupChartAxes);
            Call(ShowSettingsPages);
            SettingsSent = true;
            Session.DisplayUnits = EditModel.Units;
            Call(RefreshStatusBar);
            completed = true;
        }
        scope.Restore();
    }
    Call(FillSettingsPages);
    Busy = false;
    return completed;
}

// Every setting the instrument holds into the model; a completed read makes
// InstrumentModel trustworthy again.
bool TSettingsTransfer::ReadAllInto(Tdata7410 &model, const QString &caption)
{
    QStringList queries;
    QStringList expected;
    model.BuildQueryList(true, queries, expected);
    if (RunTransfer(caption, QStringLiteral("Reading settings from the instrument"), queries, expected)
        != TTransferEngine::TOutcome::Done)
        return false;
    model.ApplyLines(TrafficDialog->Engine.Replies());
    InstrumentModelStale = false;
    return true;
}

// Before a write with a stale InstrumentModel: what the instrument holds
// now, and from that what is left to send.
TSettingsTransfer::TPreRead TSettingsTransfer::ReadInstrumentState(QStringList &pending)
{
    TActivityScope scope(Session);
    scope.Use(actReadSettings);
    Call(BlankMainDisplay);
    if (!ReadAllInto(InstrumentModel, QStringLiteral("Read Settings from Instrument")))
        return TPreRead::Failed;
    pending = PendingLines();
    return pending.isEmpty() ? TPreRead::NothingLeft : TPreRead::Remaining;
}

QStringList TSettingsTransfer::PendingLines() const
{
    QStringList pending;
    EditModel.BuildWriteCommands(pending);
    QStringList held;
    InstrumentModel.BuildWriteCommands(held);
    RemoveCommon(pending, held);
    return pending;
}

TSettingsTransfer::TPreRead TSettingsTransfer::PreRead(QStringList &pending)
{
    if (!Session.IsOpen())
        return TPreRead::Failed;
    if (pending.isEmpty())
        return TPreRead::NothingLeft;
    TActivityScope scope(Session);
    scope.Use(actReadSettings);
    Call(BlankMainDisplay);

    QStringList queries;
    QStringList expected;
    EditModel.BuildQueryList(false, queries, expected);
    if (RunTransfer(QStringLiteral("Read Build Settings from Instrument"),
                    QStringLiteral("Reading the build settings from the instrument"), queries, expected)
        != TTransferEngine::TOutcome::Done)
        return TPreRead::Failed;
    const QStringList changed = pending;
    RemoveCommon(pending, TrafficDialog->Engine.Replies());
    // The lines dropped are held by the instrument: without them in
    // InstrumentModel the two models would still differ after the write.
    QStringList held = changed;
    RemoveCommon(held, pending);
    InstrumentModel.ApplyLines(held);
    return pending.isEmpty() ? TPreRead::NothingLeft : TPreRead::Remaining;
}

// ---------------------------------------------------------------- write

bool TSettingsTransfer::Acknowledged(const QString &command)
{
    return Session.SendAndWait(command, false, QString(), Session.Acknowledge());
}

bool TSettingsTransfer::StoreAfterWrite(const QStringList &written)
{
    InstrumentModel.ApplyLines(written);
    ShowHourglass(true, SetBusy);
    const bool stored = Acknowledged(QStringLiteral("TDD1"));
    LockGuardedSettings(Session);
    Session.DisplayUnits = EditModel.Units;
    // Not stored, the instrument would lose the settings at power-off.
    SettingsSent = stored;
    ShowHourglass(false, SetBusy);
    return stored;
}

bool TSettingsTransfer::WriteSettings()
{
    if (Busy)
        return false;
    Call(TakeSettingsPages);
    if (SettingsAvailable && !SettingsAvailable())
        return false;
    if (!Session.IsOpen()) {
        Prompts().Message(NotConnected, TPrompts::Kind::Plain);
        return false;
    }
    if (!LineFree())
        return false;
    Busy = true;
    bool success = false;
    bool storeAgain = true;
    {
        // After a failure the closing commands still go out (a passcode sent
        // must be locked again), but the write says only once that it failed.
        TSession::TOneFailureMessage oneMessage(Session);
        TActivityScope scope(Session);
        Session.WaitTicks(SettlingTicks);

        QStringList pending = PendingLines();

        // Once the passcode went out, the instrument is locked again however
        // the write ends (a refused passcode left it locked: harmless).
        bool unlocked = false;
        const bool stale = InstrumentModelStale && Session.IsOpen();
        switch (stale ? ReadInstrumentState(pending) : PreRead(pending)) {
        case TPreRead::Remaining:
            if (Tdata7410::HasBuildCommand(pending) && !OpenGuardedSettings(Session, *PasscodeDialog, unlocked)) {
                storeAgain = false; // no setting goes to the instrument
                break;
            }
            scope.Use(actWriteSettings);
            Call(BlankMainDisplay);
            if (RunTransfer(QStringLiteral("Write Settings to Instrument"), WritingText(pending.size()), pending,
                            pending)
                == TTransferEngine::TOutcome::Done) {
                success = StoreAfterWrite(pending);
                if (success && StatusNote)
                    StatusNote(WrittenText(pending.size()));
                unlocked = false; // locked by the store
            } else {
                // The pages hold lines the instrument has not stored.
                SettingsSent = false;
            }
            break;
        case TPreRead::NothingLeft:
            ShowHourglass(true, SetBusy);
            success = Acknowledged(QStringLiteral("TDD1"));
            SettingsSent = success;
            ShowHourglass(false, SetBusy);
            if (success) {
                Prompts().Message(AlreadyHeld, TPrompts::Kind::Information);
                if (StatusNote)
                    StatusNote(AlreadyHeld);
            }
            break;
        case TPreRead::Failed:
            // Unknown what the instrument holds: nothing was sent, nothing is
            // marked as sent.
            storeAgain = false;
            break;
        }
        if (unlocked)
            LockGuardedSettings(Session);
        if (storeAgain)
            Acknowledged(QStringLiteral("TDD1"));
        scope.Restore();
    }
    Call(RefreshStatusBar);
    Busy = false;
    return success;
}
