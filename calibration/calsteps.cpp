#include "calibration/calsteps.h"

#include "link/comms.h"
#include "link/session.h"
#include "settings/database.h"
#include "settings/guardedsettings.h"
#include "settings/tools.h"
#include "settings/transfer.h"
#include "ui/prompts.h"

#include <iterator>

namespace {

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

TCalibrationSteps::TCalibrationSteps(TSession &session, TSettingsTransfer &transfer, Tdata7410 &editModel)
    : Session(session), Transfer(transfer), EditModel(editModel)
{
}

// ---------------------------------------------------------------- frame

TOutcome TCalibrationSteps::CanStart()
{
    if (!Session.IsOpen())
        return TOutcome::Closed();
    // One exchange at a time: a reply awaited elsewhere, a settings transfer
    // (which suspends polling for its whole run) or the start-up sequence
    // would take this step's replies for its own, or the other way round.
    if (Running || Session.LineBusy() || Session.PollingSuspended())
        return TOutcome::LineBusy().Saying(Busy, TOutcome::TSeverity::Warning);
    return TOutcome::Accept();
}

void TCalibrationSteps::RunPaused(const std::function<void()> &op)
{
    struct TRunning {
        bool &Flag;
        explicit TRunning(bool &flag) : Flag(flag) { Flag = true; }
        ~TRunning() { Flag = false; }
    } running(Running);
    TSession::TDisplayPollPause pause(Session);
    // A display poll already on the line would otherwise answer the step's
    // first query.
    Session.WaitTicks(PauseTicks);
    op();
}

TOutcome TCalibrationSteps::RunStep(const std::function<TOutcome(bool &readBack)> &op)
{
    if (TOutcome start = CanStart(); !start)
        return start;
    if (MayDiscardEdits && !MayDiscardEdits())
        return TOutcome::Cancel();
    bool readBack = true;
    TOutcome outcome;
    RunPaused([&] { outcome = op(readBack); });
    if (readBack) {
        // A step that failed says so once; the read-back after it is only
        // the operator's to see on the pages.
        const TOutcome read = ReadBack();
        if (outcome)
            outcome = read.Ok() ? outcome : read;
    }
    return outcome;
}

TOutcome TCalibrationSteps::ReadBack()
{
    // Until the read-back completes, what the instrument holds is unknown.
    Transfer.MarkInstrumentChanged();
    Transfer.SettingsSent = false;
    Call(RefreshIdentity);
    // A lost line has been reported by the transport already; a read now
    // would only add "Instrument not Connected".
    if (!Session.IsOpen())
        return TOutcome::Lost();
    const TOutcome read = Transfer.ReadSettings1Click();
    Call(RefreshIdentity);
    return read;
}

TCalibrationSteps::TMainControlsOff::TMainControlsOff(TCalibrationSteps &steps) : Steps(steps)
{
    if (Steps.SetBusy)
        Steps.SetBusy(true);
    Steps.Call(Steps.DisableMainControls);
}

TCalibrationSteps::TMainControlsOff::~TMainControlsOff()
{
    if (Steps.SetBusy)
        Steps.SetBusy(false);
    Steps.Call(Steps.EnableMainControls);
}

// ---------------------------------------------------------------- zero and span

TOutcome TCalibrationSteps::BtnZeroClick() { return ZeroOrSpan(false); }

TOutcome TCalibrationSteps::BTnSpanClick() { return ZeroOrSpan(true); }

TOutcome TCalibrationSteps::ZeroOrSpan(bool span)
{
    return RunStep([this, span](bool &readBack) {
        BeginStepRecord();
        const std::optional<qint32> before = SignalForHistory();
        TOutcome outcome;
        if (!IsLinearisationShown()) {
            outcome = SignalStep(span);
        } else if (span) {
            outcome = GuardedSpanStep(readBack);
        } else {
            Call(ShowDashes);
            outcome = TestWeightStep(false);
        }
        RecordStep(span ? QStringLiteral("span") : QStringLiteral("zero"), before, outcome);
        return outcome;
    });
}

// The span weight is a guarded setting: the instrument is opened with its
// passcode first, and locked again before the settings are read back.
TOutcome TCalibrationSteps::GuardedSpanStep(bool &readBack)
{
    bool passcodeSent = false;
    TOutcome outcome = OpenGuardedSettings(Session, passcodeSent);
    readBack = false;
    if (outcome) {
        Call(ShowDashes);
        // A refused span weight ends the step before anything changed.
        const QString weight = QString::asprintf("CWT%d", int(ParseCounts(Text(CalWeightText))));
        StepSent(weight);
        outcome = Session.Acknowledged(weight);
        readBack = outcome.Ok();
        if (outcome)
            outcome = TestWeightStep(true);
    }
    if (passcodeSent) {
        // Not locked again, the instrument stays open: the operator must know.
        const TOutcome locked = LockGuardedSettings(Session);
        if (outcome)
            outcome = locked;
    }
    return outcome;
}

TOutcome TCalibrationSteps::TestWeightStep(bool span)
{
    const QString start = span ? QStringLiteral("LWT;") : QStringLiteral("LDW;");
    StepSent(start);
    if (TOutcome started = Session.Acknowledged(start); !started)
        return started;
    return CalibrationWait(span ? QStringLiteral("LWT?") : QStringLiteral("LDW?"),
                           span ? QStringLiteral("LWT") : QStringLiteral("LDW"));
}

TOutcome TCalibrationSteps::SignalStep(bool span)
{
    const QString query = span ? QStringLiteral("LWT?") : QStringLiteral("VAL?");
    if (TOutcome asked = Session.AskNumber(query, query.left(3)); !asked)
        return asked;
    const std::optional<qint32> signal =
        Prompts().Signal(span ? QStringLiteral("Enter Fullscale Span Signal") : QStringLiteral("Enter Zero Signal"),
                         Session.ReplyValue());
    if (!signal)
        return TOutcome::Cancel();
    const QString command = QString::asprintf(span ? "LWT%d" : "LDW%d", int(*signal));
    StepSent(command);
    return Session.Acknowledged(command);
}

TOutcome TCalibrationSteps::CalibrationWait(const QString &query, const QString &prefix)
{
    TMainControlsOff controlsOff(*this);
    CancelRequested = false;
    if (ShowCalibrationWait)
        ShowCalibrationWait(true);
    TOutcome outcome;
    int settling = SettledReplies;
    while (settling > 0) {
        Session.WaitTicks(PauseTicks);
        // The operator's way out while the instrument keeps reporting
        // progress; a lost line ends the wait without a query per tick.
        if (CancelRequested) {
            outcome = TOutcome::Cancel();
            break;
        }
        if (!Session.IsOpen()) {
            outcome = TOutcome::Lost();
            break;
        }
        outcome = Session.AskNumber(query, prefix);
        if (!outcome)
            break;
        const qint32 progress = Session.ReplyValue();
        if (ShowCalibrationProgress)
            ShowCalibrationProgress(progress);
        if (progress == ProgressBusy) {
            settling = SettledReplies;
        } else if (progress == ProgressSettled) {
            --settling;
        } else if (progress >= FirstErrorCode) {
            outcome = ShowCalibrationError(progress);
            break;
        }
    }
    if (ShowCalibrationWait)
        ShowCalibrationWait(false);
    if (settling == 0)
        Note(prefix == QLatin1String("LWT") ? QStringLiteral("Span calibration done")
                                            : QStringLiteral("Zero calibration done"));
    return outcome;
}

QString TCalibrationSteps::CalibrationErrorText(int code)
{
    static const char *const texts[] = {"Zero Too High",    "Zero Too Low",   "Span Too Low",
                                        "Span Too High",    "Invalid Zero Cal", "Internal Error"};
    const int index = code - FirstErrorCode;
    const char *text = index >= 0 && index < int(std::size(texts)) ? texts[index] : "";
    return QString::asprintf("Error: %d - %s", code, text);
}

TOutcome TCalibrationSteps::ShowCalibrationError(int code)
{
    return TOutcome::Fail(CalibrationErrorText(code), TOutcome::TSeverity::Error);
}

// ---------------------------------------------------------------- linearisation

TOutcome TCalibrationSteps::ReadPoint(int point)
{
    return Session.SendAndWait(QString::asprintf("LIC?%d;", point), false, PointPrefix(point),
                               [this](const QString &reply) { LinearisationReply(reply); });
}

TOutcome TCalibrationSteps::BtnLSetClick()
{
    const int row = SelectedPoint ? SelectedPoint() : -1;
    if (row < 0 || row >= PointCount)
        return TOutcome::Cancel();
    if (TOutcome start = CanStart(); !start)
        return start;
    const int point = row + 1;
    Running = true;
    BeginStepRecord();
    const std::optional<qint32> before = SignalForHistory();
    const QString command = QString::asprintf("LIC%d,%d", point, int(ParseCounts(Text(LCalWeightText))));
    StepSent(command);
    TOutcome outcome = Session.Acknowledged(command);
    if (outcome)
        Note(QStringLiteral("Linearisation point %1 set").arg(point));
    RecordStep(QStringLiteral("linearisation point %1 set").arg(point), before, outcome);
    const TOutcome read = ReadPoint(point);
    Running = false;
    Transfer.SettingsSent = false;
    Call(RefreshIdentity);
    return outcome ? read : outcome;
}

TOutcome TCalibrationSteps::BtnLClearClick()
{
    if (TOutcome start = CanStart(); !start)
        return start;
    TOutcome outcome = TOutcome::Cancel();
    RunPaused([this, &outcome] {
        const int row = SelectedPoint ? SelectedPoint() : -1;
        if (row < 0 || row >= PointCount)
            return;
        const int point = row + 1;
        BeginStepRecord();
        const std::optional<qint32> before = SignalForHistory();
        const QString command = QString::asprintf("LIC%d;", point);
        StepSent(command);
        outcome = Session.Acknowledged(command);
        if (outcome)
            Note(QStringLiteral("Linearisation point %1 cleared").arg(point));
        RecordStep(QStringLiteral("linearisation point %1 cleared").arg(point), before, outcome);
        const TOutcome read = ReadPoint(point);
        if (outcome)
            outcome = read;
    });
    Transfer.SettingsSent = false;
    Call(RefreshIdentity);
    return outcome;
}

void TCalibrationSteps::LinearisationReply(const QString &reply)
{
    Tcommsobj &parser = Session.Parser();
    parser.Parse(Session.ReplyPrefix() + reply, false, true);
    qint32 point = 0, percent = 0, weight = 0, places = 0;
    if (!parser.GetInt(0, point, 1, PointCount, places) || !parser.GetInt(1, percent, -PercentLimit, PercentLimit, places)
        || !parser.GetInt(2, weight, WeightMinimum, WeightMaximum, places))
        return;
    EditModel.LinPercent[size_t(point - 1)] = percent;
    EditModel.LinWeight[size_t(point - 1)] = weight;
    Call(FillSettingsPages);
    Session.ReplyTaken();
}

// ---------------------------------------------------------------- history

std::optional<qint32> TCalibrationSteps::SignalForHistory()
{
    if (!StepRecorded || (Recording && !Recording()) || !Session.IsOpen())
        return std::nullopt;
    if (!Session.AskNumber(QStringLiteral("VAL?"), QStringLiteral("VAL")))
        return std::nullopt;
    return Session.ReplyValue();
}

void TCalibrationSteps::RecordStep(const QString &step, std::optional<qint32> before, const TOutcome &outcome)
{
    if (!StepRecorded || StepCommands.isEmpty())
        return;
    TCalStepRecord record;
    record.Step = step;
    record.Commands = StepCommands;
    record.SignalBefore = before;
    record.SignalAfter = SignalForHistory();
    record.Outcome = outcome;
    StepCommands.clear();
    StepRecorded(record);
}

// ---------------------------------------------------------------- helpers

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

