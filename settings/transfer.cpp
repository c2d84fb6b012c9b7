#include "settings/transfer.h"

#include "app/prompts.h"
#include "link/session.h"
#include "settings/database.h"
#include "settings/tools.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>

namespace {

const QString NotConnected = QStringLiteral("Instrument not Connected");
const QString NotResponding = QStringLiteral("Instrument not Responding");
constexpr int SettlingTicks = 5;   // lets a poll in flight finish first

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

void TSettingsTransfer::Hourglass(bool on)
{
    if (SetBusy) {
        SetBusy(on);
        return;
    }
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (on)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}

TTransferEngine::TOutcome TSettingsTransfer::RunTransfer(const QString &caption, const QStringList &commands,
                                                         const QStringList &expected)
{
    TFrmTraffic &dialog = *TrafficDialog;
    dialog.setWindowTitle(caption);
    dialog.LoadTransfer(commands, expected);
    // Written lines are accepted with "0" only; a query takes any answer.
    dialog.Engine.RequiredReply = commands == expected && !commands.isEmpty() ? QStringLiteral("0") : QString();
    dialog.StartTransfer();
    Prompts().Exec(dialog);
    // Whoever closed the dialog, the engine must not go on sending.
    dialog.Engine.Cancel();
    dialog.StopTransfer();
    const TTransferEngine::TOutcome outcome = dialog.Engine.Outcome;
    if (outcome == TTransferEngine::TOutcome::Failed)
        Prompts().Message(NotResponding, TPrompts::Kind::Plain);
    else if (outcome == TTransferEngine::TOutcome::LinkLost)
        ReportLinkLost();
    return outcome;
}

void TSettingsTransfer::ReportLinkLost()
{
    Prompts().Message(NotConnected, TPrompts::Kind::Plain);
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
    Busy = true;
    bool completed = false;
    {
        TActivityScope scope(Session);
        Session.WaitTicks(SettlingTicks);
        scope.Use(actReadSettings);
        Call(BlankMainDisplay);

        QStringList queries;
        QStringList expected;
        EditModel.BuildQueryList(true, queries, expected);
        if (RunTransfer(QStringLiteral("Read Settings from Instrument"), queries, expected)
            == TTransferEngine::TOutcome::Done) {
            const QStringList lines = TrafficDialog->Engine.Replies();
            EditModel.ApplyLines(lines);
            InstrumentModel.ApplyLines(lines);
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
    if (RunTransfer(QStringLiteral("Read Build Settings from Instrument"), queries, expected)
        != TTransferEngine::TOutcome::Done)
        return TPreRead::Failed;
    RemoveCommon(pending, TrafficDialog->Engine.Replies());
    return pending.isEmpty() ? TPreRead::NothingLeft : TPreRead::Remaining;
}

// ---------------------------------------------------------------- write

bool TSettingsTransfer::Acknowledged(const QString &command)
{
    return Session.SendAndWait(command, false, QString(), Session.Acknowledge());
}

bool TSettingsTransfer::EnterPasscodeIfNeeded()
{
    // Without a valid answer there is no knowing whether the instrument
    // guards these settings; the time-out has been reported, the write ends.
    if (!Session.SendAndWait(QStringLiteral("PCD?"), false, QStringLiteral("PCD"), Session.Numeric()))
        return false;
    if (Session.ReplyValue == 0)
        return true;
    TFrmPasscode &dialog = *PasscodeDialog;
    dialog.EdtPasscode->clear();
    if (Prompts().Exec(dialog) != QDialog::Accepted)
        return false;
    const QString digits = dialog.Digits();
    // "PCD" alone would lock the instrument rather than open it.
    if (digits.isEmpty())
        return false;
    return Acknowledged(QStringLiteral("PCD%1").arg(digits));
}

bool TSettingsTransfer::StoreAfterWrite(const QStringList &written)
{
    InstrumentModel.ApplyLines(written);
    Hourglass(true);
    const bool stored = Acknowledged(QStringLiteral("TDD1"));
    Acknowledged(QStringLiteral("PCD")); // guarded settings locked again
    Session.DisplayUnits = EditModel.Units;
    SettingsSent = true;
    Hourglass(false);
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
    Busy = true;
    bool success = false;
    bool storeAgain = true;
    {
        TActivityScope scope(Session);
        Session.WaitTicks(SettlingTicks);

        QStringList pending;
        EditModel.BuildWriteCommands(pending);
        QStringList held;
        InstrumentModel.BuildWriteCommands(held);
        RemoveCommon(pending, held);

        switch (PreRead(pending)) {
        case TPreRead::Remaining:
            if (Tdata7410::HasBuildCommand(pending) && !EnterPasscodeIfNeeded()) {
                storeAgain = false; // nothing more goes to the instrument
                break;
            }
            scope.Use(actWriteSettings);
            Call(BlankMainDisplay);
            if (RunTransfer(QStringLiteral("Write Settings to Instrument"), pending, pending)
                == TTransferEngine::TOutcome::Done)
                success = StoreAfterWrite(pending);
            break;
        case TPreRead::NothingLeft:
            Hourglass(true);
            success = Acknowledged(QStringLiteral("TDD1"));
            SettingsSent = true;
            Hourglass(false);
            break;
        case TPreRead::Failed:
            // Unknown what the instrument holds: nothing was sent, nothing is
            // marked as sent.
            storeAgain = false;
            break;
        }
        if (storeAgain)
            Acknowledged(QStringLiteral("TDD1"));
        scope.Restore();
    }
    Call(RefreshStatusBar);
    Busy = false;
    return success;
}
