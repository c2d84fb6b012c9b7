#include "calibration/calsteps.h"

#include "calibration/abscal.h"
#include "calibration/calwait.h"
#include "link/comms.h"
#include "link/session.h"
#include "settings/database.h"
#include "settings/guardedsettings.h"
#include "settings/tools.h"
#include "settings/transfer.h"
#include "ui/hourglass.h"
#include "ui/prompts.h"

#include <iterator>

namespace {

const QString NotConnected = QStringLiteral("Instrument not Connected");
const QString Busy = QStringLiteral("The instrument is busy with another exchange.  Try again when it has finished.");

// Progress replies to "LDW?" / "LWT?".
constexpr qint32 ProgressBusy = 1;
constexpr qint32 ProgressSettled = 0;
constexpr qint32 FirstErrorCode = 101;

// Linearisation points and the ranges their replies must lie in.
constexpr int PointCount = 5;
constexpr qint32 PercentLimit = 150;
constexpr qint32 WeightMinimum = -99999;
constexpr qint32 WeightMaximum = 999999;

QString PointPrefix(int point)
{
    return QString::asprintf("LIC%d,", point);
}

} // namespace

TCalibrationSteps::TCalibrationSteps(TSession &session, TSettingsTransfer &transfer, Tdata7410 &editModel,
                                     QWidget *dialogParent)
    : Session(session), Transfer(transfer), EditModel(editModel),
      AbsCalDialog(std::make_unique<TFrmAbsCal>(dialogParent)),
      WaitDialog(std::make_unique<TFrmCalWait>(dialogParent))
{
    WaitDialog->OnCancel = [this] { CancelCalibrationWait(); };
}

TCalibrationSteps::~TCalibrationSteps() = default;

// ---------------------------------------------------------------- frame

bool TCalibrationSteps::CanStart()
{
    if (!Session.IsOpen()) {
        Prompts().Message(NotConnected, TPrompts::Kind::Plain);
        return false;
    }
    // One exchange at a time: a reply awaited elsewhere, a settings transfer
    // (which suspends polling for its whole run) or the start-up sequence
    // would take this step's replies for its own, or the other way round.
    if (Running || Session.IsWaiting() || Session.AwaitingReply || Session.PollingSuspended
        || Session.StartupRunning) {
        Prompts().Message(Busy, TPrompts::Kind::Warning);
        return false;
    }
    return true;
}

void TCalibrationSteps::RunPaused(const std::function<void()> &op)
{
    struct TPause {
        TCalibrationSteps &Steps;
        explicit TPause(TCalibrationSteps &steps) : Steps(steps)
        {
            Steps.Running = true;
            Steps.Session.DisplayPollPaused = true;
        }
        ~TPause()
        {
            Steps.Session.DisplayPollPaused = false;
            Steps.Running = false;
        }
    } pause(*this);
    // A display poll already on the line would otherwise answer the step's
    // first query.
    Session.WaitTicks(PauseTicks);
    op();
}

bool TCalibrationSteps::RunStep(const std::function<bool()> &op)
{
    if (!CanStart() || (MayDiscardEdits && !MayDiscardEdits()))
        return false;
    // A step that failed says so once; the read-back after it fails quietly.
    TSession::TOneFailureMessage oneMessage(Session);
    bool readBack = true;
    RunPaused([&] { readBack = op(); });
    if (readBack)
        ReadBack();
    return true;
}

void TCalibrationSteps::ReadBack()
{
    // Until the read-back completes, what the instrument holds is unknown.
    Transfer.MarkInstrumentChanged();
    Transfer.SettingsSent = false;
    Call(RefreshIdentity);
    // A lost line has been reported by the transport already; a read now
    // would only add "Instrument not Connected".
    if (!Session.IsOpen())
        return;
    Transfer.ReadSettings1Click();
    Call(RefreshIdentity);
}

TCalibrationSteps::TMainControlsOff::TMainControlsOff(TCalibrationSteps &steps) : Steps(steps)
{
    ShowHourglass(true, Steps.SetBusy);
    Steps.Call(Steps.DisableMainControls);
}

TCalibrationSteps::TMainControlsOff::~TMainControlsOff()
{
    ShowHourglass(false, Steps.SetBusy);
    Steps.Call(Steps.EnableMainControls);
}

// ---------------------------------------------------------------- zero and span

void TCalibrationSteps::BtnZeroClick() { ZeroOrSpan(false); }

void TCalibrationSteps::BTnSpanClick() { ZeroOrSpan(true); }

void TCalibrationSteps::ZeroOrSpan(bool span)
{
    RunStep([this, span] {
        if (!IsLinearisationShown()) {
            SignalStep(span);
            return true;
        }
        if (span)
            return GuardedSpanStep();
        Call(ShowDashes);
        TestWeightStep(false);
        return true;
    });
}

// The span weight is a guarded setting: the instrument is opened with its
// passcode first, and locked again before the settings are read back.
bool TCalibrationSteps::GuardedSpanStep()
{
    bool passcodeSent = false;
    const bool open = OpenGuardedSettings(Session, Transfer.Passcode(), passcodeSent);
    bool readBack = false;
    if (open) {
        Call(ShowDashes);
        // A refused span weight ends the step before anything changed.
        readBack = Acknowledged(QString::asprintf("CWT%d", int(ParseCounts(Text(CalWeightText)))));
        if (readBack)
            TestWeightStep(true);
    }
    if (passcodeSent)
        LockGuardedSettings(Session);
    return readBack;
}

void TCalibrationSteps::TestWeightStep(bool span)
{
    if (Acknowledged(span ? QStringLiteral("LWT;") : QStringLiteral("LDW;")))
        CalibrationWait(span ? QStringLiteral("LWT?") : QStringLiteral("LDW?"),
                        span ? QStringLiteral("LWT") : QStringLiteral("LDW"));
}

void TCalibrationSteps::SignalStep(bool span)
{
    const QString query = span ? QStringLiteral("LWT?") : QStringLiteral("VAL?");
    if (!Session.SendAndWait(query, false, query.left(3), Session.Numeric()))
        return;
    TFrmAbsCal &dialog = *AbsCalDialog;
    dialog.Prepare(span ? QStringLiteral("Enter Fullscale Span Signal") : QStringLiteral("Enter Zero Signal"),
                   Session.ReplyValue);
    if (Prompts().Exec(dialog) != QDialog::Accepted)
        return;
    Acknowledged(QString::asprintf(span ? "LWT%d" : "LDW%d", int(dialog.Signal())));
}

void TCalibrationSteps::CalibrationWait(const QString &query, const QString &prefix)
{
    TMainControlsOff controlsOff(*this);
    CancelRequested = false;
    WaitDialog->Begin();
    int settling = SettledReplies;
    while (settling > 0) {
        Session.WaitTicks(PauseTicks);
        // The operator's way out while the instrument keeps reporting
        // progress; a lost line ends the wait without a query per tick.
        if (CancelRequested || !Session.IsOpen())
            break;
        if (!Session.SendAndWait(query, false, prefix, Session.Numeric()))
            break;
        const qint32 progress = Session.ReplyValue;
        WaitDialog->ShowProgress(progress);
        if (progress == ProgressBusy) {
            settling = SettledReplies;
        } else if (progress == ProgressSettled) {
            --settling;
        } else if (progress >= FirstErrorCode) {
            ShowCalibrationError(progress);
            break;
        }
    }
    WaitDialog->End();
    if (settling == 0)
        Note(prefix == QLatin1String("LWT") ? QStringLiteral("Span calibration done")
                                            : QStringLiteral("Zero calibration done"));
}

QString TCalibrationSteps::CalibrationErrorText(int code)
{
    static const char *const texts[] = {"Zero Too High",    "Zero Too Low",   "Span Too Low",
                                        "Span Too High",    "Invalid Zero Cal", "Internal Error"};
    const int index = code - FirstErrorCode;
    const char *text = index >= 0 && index < int(std::size(texts)) ? texts[index] : "";
    return QString::asprintf("Error: %d - %s", code, text);
}

void TCalibrationSteps::ShowCalibrationError(int code)
{
    Prompts().Message(CalibrationErrorText(code), TPrompts::Kind::Error);
}

// ---------------------------------------------------------------- linearisation

void TCalibrationSteps::BtnLSetClick()
{
    const int row = SelectedPoint ? SelectedPoint() : -1;
    if (row < 0 || row >= PointCount || !CanStart())
        return;
    const int point = row + 1;
    TSession::TOneFailureMessage oneMessage(Session);
    Running = true;
    if (Acknowledged(QString::asprintf("LIC%d,%d", point, int(ParseCounts(Text(LCalWeightText))))))
        Note(QStringLiteral("Linearisation point %1 set").arg(point));
    Session.SendAndWait(QString::asprintf("LIC?%d", point), false, PointPrefix(point),
                        [this](const QString &reply) { LinearisationReply(reply); });
    Running = false;
    Transfer.SettingsSent = false;
    Call(RefreshIdentity);
}

void TCalibrationSteps::BtnLClearClick()
{
    if (!CanStart())
        return;
    TSession::TOneFailureMessage oneMessage(Session);
    RunPaused([this] {
        const int row = SelectedPoint ? SelectedPoint() : -1;
        if (row < 0 || row >= PointCount)
            return;
        const int point = row + 1;
        if (Acknowledged(QString::asprintf("LIC%d;", point)))
            Note(QStringLiteral("Linearisation point %1 cleared").arg(point));
        Session.SendAndWait(QString::asprintf("LIC?%d;", point), false, PointPrefix(point),
                            [this](const QString &reply) { LinearisationReply(reply); });
    });
    Transfer.SettingsSent = false;
    Call(RefreshIdentity);
}

void TCalibrationSteps::LinearisationReply(const QString &reply)
{
    Tcommsobj &parser = Session.Parser();
    parser.Parse(Session.ReplyPrefix + reply, false, true);
    qint32 point = 0, percent = 0, weight = 0, places = 0;
    if (!parser.GetInt(0, point, 1, PointCount, places) || !parser.GetInt(1, percent, -PercentLimit, PercentLimit, places)
        || !parser.GetInt(2, weight, WeightMinimum, WeightMaximum, places))
        return;
    EditModel.LinPercent[size_t(point - 1)] = percent;
    EditModel.LinWeight[size_t(point - 1)] = weight;
    Call(FillSettingsPages);
    Session.AwaitingReply = false;
}

// ---------------------------------------------------------------- helpers

bool TCalibrationSteps::Acknowledged(const QString &command)
{
    return Session.SendAndWait(command, false, QString(), Session.Acknowledge());
}

bool TCalibrationSteps::IsLinearisationShown() const
{
    return !LinearisationShown || LinearisationShown();
}

QString TCalibrationSteps::Text(const std::function<QString()> &hook) const
{
    return hook ? hook() : QString();
}

void TCalibrationSteps::Call(const std::function<void()> &hook) const
{
    if (hook)
        hook();
}

