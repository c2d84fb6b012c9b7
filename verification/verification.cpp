#include "verification/verification.h"

#include "link/comms.h"
#include "link/session.h"
#include "settings/database.h"

#include <QElapsedTimer>

#include <cmath>

namespace {

const int StableBit = 1 << 1;
const int OverloadBit = 1 << 0;

// One answer to "MSV?".
struct TWeightAnswer {
    bool Got = false;
    double Value = 0;
    int Places = 0;
    int Status = 0;
    QString Text;
};

bool ReadWeightLine(Tcommsobj &parser, const QString &reply, TWeightAnswer &answer)
{
    if (!IsWeightLine(reply) || !parser.Parse(reply, false, false))
        return false;
    qint32 weight = 0, places = 0, status = 0, statusPlaces = 0;
    if (!parser.GetInt(0, weight, -999999, 999999, places) || !parser.GetInt(2, status, 0, 999, statusPlaces)
        || places < 0 || places > 6)
        return false;
    answer = {true, weight / std::pow(10.0, places), int(places), int(status),
              reply.section(QLatin1Char(','), 0, 0).trimmed()};
    return true;
}

} // namespace

QString TInstrumentIdentity::Text() const
{
    if (!Known())
        return QStringLiteral("not known");
    QString text = QStringLiteral("KD4620 SN:%1 Version %2").arg(SerialNumber, Version);
    if (!Id.isEmpty())
        text += QStringLiteral(" ID: ") + Id;
    if (Address >= 1 && Address <= 31)
        text += QStringLiteral(", address %1").arg(Address);
    return text;
}

QString StableWaitText(const TStableWait &wait, const QString &units)
{
    if (wait.Polls == 0)
        return QStringLiteral("Waiting for a stable reading ...");
    const QString weight = units.isEmpty() ? wait.Weight : wait.Weight + QLatin1Char(' ') + units;
    const QString state = wait.Overload ? QStringLiteral("overload")
                          : wait.Stable ? QStringLiteral("%1 of %2 stable").arg(wait.StablePolls).arg(wait.Needed)
                                        : QStringLiteral("moving");
    return QStringLiteral("Waiting for a stable reading: %1 (%2)").arg(weight, state);
}

QString RunName(int run) { return run == rkAsLeft ? QStringLiteral("As left") : QStringLiteral("As found"); }

TVerification::TVerification(TSession &session) : Session(session) {}

void TVerification::ApplyPlan()
{
    QList<TTestRow> rows = PlanRows(Plan);
    for (TTestRow &row : rows)
        for (const TTestRow &old : std::as_const(Rows()))
            if (old.Indication && old.Kind == row.Kind && old.Step == row.Step
                && SameLoad(old.Load, row.Load, Setup.E)) {
                row = old;
                break;
            }
    Rows() = rows;
    Call(Changed);
}

void TVerification::SelectRun(int run)
{
    CurrentRun = run == rkAsLeft ? rkAsLeft : rkAsFound;
    if (Rows().isEmpty())
        ApplyPlan();
    else
        Call(Changed);
}

void TVerification::Clear()
{
    for (QList<TTestRow> &rows : Runs)
        for (TTestRow &row : rows) {
            row.Indication.reset();
            row.Places = 0;
            row.Taken = {};
        }
    Instrument = {};
    IdentityChecked = false;
    ScaleOfReadings.reset();
    Call(Changed);
}

bool TVerification::HasReadings() const
{
    for (const QList<TTestRow> &rows : Runs)
        for (const TTestRow &row : rows)
            if (row.Indication)
                return true;
    return false;
}

int TVerification::NextRowToTake() const
{
    for (qsizetype i = 0; i < Rows().size(); ++i)
        if (!Rows()[i].Indication)
            return int(i);
    return -1;
}

int TVerification::DecidingRun() const
{
    for (const TTestRow &row : Runs[rkAsLeft])
        if (row.Indication)
            return rkAsLeft;
    return rkAsFound;
}

void TVerification::SetIdentity(const TInstrumentIdentity &identity)
{
    Instrument = identity;
    IdentityChecked = true;
}

TOutcome TVerification::ReadInstrumentScale(TVerificationSetup &scale)
{
    if (Taking)
        return TOutcome::LineBusy();
    const TOutcome asked = Session.AskText(QStringLiteral("IAD?1"), QStringLiteral("IAD"));
    if (!asked)
        return asked;
    Tdata7410 model;
    QStringList notTaken;
    model.ApplyLines({QStringLiteral("IAD") + Session.ReplyPrefix()}, &notTaken);
    if (!notTaken.isEmpty() || !Session.ReplyPrefix().startsWith(QLatin1String("1,")))
        return TOutcome::Fail(QStringLiteral("The instrument's answer to IAD?1 (%1) gives no Max and e.")
                                  .arg(Session.ReplyPrefix()));
    model.Units = Session.DisplayUnits();
    TakeInstrumentScale(scale, model);
    return TOutcome::Accept();
}

TOutcome TVerification::CanTake() const
{
    if (const QString problem = Setup.Problem(); !problem.isEmpty())
        return TOutcome::Fail(problem);
    if (!Session.IsOpen())
        return TOutcome::Closed();
    if (Taking || Session.LineBusy() || Session.PollingSuspended())
        return TOutcome::LineBusy();
    if (Session.LoggingState() != lsStopped)
        return TOutcome::Fail(QStringLiteral("A log is running. Stop it before taking a reading."));
    return TOutcome::Accept();
}

TOutcome TVerification::Take(int row)
{
    if (row < 0 || row >= Rows().size())
        return TOutcome::Fail(QStringLiteral("Choose the row of the load on the scale."));
    if (TOutcome can = CanTake(); !can)
        return can;
    if (TOutcome scale = CheckScale(Rows()[row]); !scale)
        return scale;
    double indication = 0;
    int places = 0;
    const TOutcome taken = TakeStable(indication, places);
    // The rows stay as they are while a reading is taken; a run switched
    // meanwhile gets nothing.
    if (!taken || row >= Rows().size())
        return taken;
    TTestRow &target = Rows()[row];
    target.Indication = indication;
    target.Places = places;
    target.Taken = QDateTime::currentDateTime();
    Call(Changed);
    return taken;
}

// A load above Max tests nothing the instrument is made for; readings in
// other units or steps than those held would mix on one certificate.
TOutcome TVerification::CheckScale(const TTestRow &row)
{
    if (row.Load > Setup.Max && !SameLoad(row.Load, Setup.Max, Setup.E))
        return TOutcome::Fail(QStringLiteral("The load %1 is above Max (%2).")
                                  .arg(Setup.WithUnits(row.Load), Setup.WithUnits(Setup.Max)));
    TVerificationSetup now = Setup;
    if (TOutcome read = ReadInstrumentScale(now); !read)
        return read;
    if (!HasReadings() || !ScaleOfReadings) {
        ScaleOfReadings = now;
        return TOutcome::Accept();
    }
    const TVerificationSetup &held = *ScaleOfReadings;
    if (now.Units == held.Units && now.Decimals == held.Decimals && SameLoad(now.DisplayStep, held.DisplayStep, held.E))
        return TOutcome::Accept();
    return TOutcome::Fail(QStringLiteral("The instrument now shows steps of %1; the readings held were taken in steps "
                                         "of %2. Start a New Verification to verify it as it is now.")
                              .arg(now.WithUnits(now.DisplayStep), held.WithUnits(held.DisplayStep)));
}

TOutcome TVerification::TakeStable(double &indication, int &places)
{
    if (TOutcome can = CanTake(); !can)
        return can;
    struct TTaking {
        bool &Flag;
        explicit TTaking(bool &flag) : Flag(flag) { Flag = true; }
        ~TTaking() { Flag = false; }
    } taking(Taking);
    CancelRequested = false;
    // The session's polls would answer this wait's questions; its display
    // gets nothing meanwhile.
    TSession::TActivityScope scope(Session);
    scope.Use(actIdle);
    if (TOutcome checked = CheckInstrument(); !checked)
        return checked;
    return PollUntilStable(indication, places);
}

TOutcome TVerification::CheckInstrument()
{
    if (IdentityChecked)
        return TOutcome::Accept();
    const TOutcome asked = Session.AskText(QStringLiteral("IDN?"), QStringLiteral("IDN"));
    if (!asked)
        return asked;
    Tdata7410 answer;
    answer.ApplyLines({QStringLiteral("IDN") + Session.ReplyPrefix()});
    const TInstrumentIdentity identity{answer.SerialID, answer.SerialNumber, answer.Version, Session.UnitAddress()};
    if (HasReadings() && Instrument.Known() && identity.SerialNumber != Instrument.SerialNumber)
        return TOutcome::Fail(QStringLiteral("The readings held came from the instrument with serial number %1; this "
                                             "one is %2. Start a new verification to take readings from it.")
                                  .arg(Instrument.SerialNumber, identity.SerialNumber.isEmpty()
                                                                     ? QStringLiteral("not known")
                                                                     : identity.SerialNumber));
    if (!HasReadings() || !Instrument.Known())
        Instrument = identity;
    IdentityChecked = true;
    return TOutcome::Accept();
}

TOutcome TVerification::PollUntilStable(double &indication, int &places)
{
    TStableWait wait;
    wait.Needed = StablePollsNeeded;
    Show(wait);
    const auto end = [&](const TOutcome &outcome) {
        wait.Done = true;
        Show(wait);
        return outcome;
    };
    QElapsedTimer clock;
    clock.start();
    Tcommsobj parser;
    int silent = 0;
    for (;;) {
        if (CancelRequested || Session.IsShuttingDown())
            return end(TOutcome::Cancel());
        // Closed on purpose or lost, it has been said (or needs nothing said).
        if (!Session.IsOpen())
            return end(TOutcome::Lost());
        TWeightAnswer answer;
        const TOutcome asked =
            Session.SendAndWait(QStringLiteral("MSV?;"), false, QString(), [&](const QString &reply) {
                if (reply == QLatin1String("?"))
                    Session.AcknowledgeReply(reply);
                else if (ReadWeightLine(parser, reply, answer))
                    Session.ReplyTaken();
            });
        // A line lost to noise is asked again, a few times.
        const bool retry = asked.Is(TOutcome::TKind::Silent) && ++silent < SilentPollsAllowed;
        if (!asked && !retry)
            return end(asked);
        if (asked) {
            silent = 0;
            ++wait.Polls;
            wait.Weight = answer.Text;
            wait.Overload = (answer.Status & OverloadBit) != 0;
            wait.Stable = (answer.Status & StableBit) != 0 && !wait.Overload;
            wait.StablePolls = wait.Stable ? wait.StablePolls + 1 : 0;
            if (wait.StablePolls >= wait.Needed) {
                indication = answer.Value;
                places = answer.Places;
                return end(TOutcome::Accept());
            }
            Show(wait);
        }
        if (WaitLimitMs > 0 && clock.elapsed() >= WaitLimitMs)
            return end(TOutcome::Fail(QStringLiteral("No stable reading came within %1 s: the instrument kept "
                                                     "reporting motion (or overload).")
                                          .arg(WaitLimitMs / 1000)));
        Session.WaitTicks(PollGapTicks);
    }
}

void TVerification::Show(const TStableWait &wait) const
{
    if (ShowWait)
        ShowWait(wait);
}

void TVerification::Call(const std::function<void()> &hook) const
{
    if (hook)
        hook();
}
