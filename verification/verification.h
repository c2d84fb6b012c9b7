#pragma once
// A verification with test weights run against the connected instrument:
// the setup and plan, two runs kept together (as found, before an
// adjustment, and as left, after it), and the reading for a row, taken only
// once the instrument has said it is stable for StablePollsNeeded polls in a
// row. No widgets: the Verification page and the command-line program show
// what it holds, and every operation returns its outcome for them to say.
//
// While a reading is taken the session's own polling is held off
// (TSession::TActivityScope) and "MSV?" is asked here, every PollGapTicks;
// each answer is shown through ShowWait, and CancelTake (the operator's
// Cancel, a signal in the command-line program) ends the wait.

#include "link/outcome.h"
#include "verification/verifyplan.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

class TSession;

// Who the instrument is, as it answers "IDN?", and its unit address.
struct TInstrumentIdentity {
    QString Id;
    QString SerialNumber;
    QString Version;
    int Address = 0;
    bool Known() const { return !SerialNumber.isEmpty(); }
    // "KD4620 SN:46200001 Version 1.04 ID: LINE3, address 1"
    QString Text() const;
};

// Where a wait for a stable reading stands, after each answer.
struct TStableWait {
    bool Done = false;       // the wait has ended
    int Polls = 0;
    int StablePolls = 0;     // in a row, up to now
    int Needed = 0;
    QString Weight;          // the last weight, as the instrument gave it
    bool Stable = false;
    bool Overload = false;
};
// "Waiting for a stable reading: 1250 (2 of 5 stable)", "... 1250 (moving)".
QString StableWaitText(const TStableWait &wait, const QString &units);

enum TRunKind : int { rkAsFound = 0, rkAsLeft = 1 };
QString RunName(int run);   // "As found", "As left"

class TVerification {
public:
    // Polls 100 ms apart; half a second of stable answers makes a reading.
    static constexpr int StablePollsNeeded = 5;
    static constexpr int PollGapTicks = 10;
    // Polls in a row that may go unanswered (line noise) before the wait fails.
    static constexpr int SilentPollsAllowed = 3;

    explicit TVerification(TSession &session);
    TVerification(const TVerification &) = delete;
    TVerification &operator=(const TVerification &) = delete;

    TVerificationSetup Setup;
    TVerificationPlan Plan;
    std::array<QList<TTestRow>, 2> Runs;   // as found, as left
    int CurrentRun = rkAsFound;
    QList<TTestRow> &Rows() { return Runs[size_t(CurrentRun)]; }
    const QList<TTestRow> &Rows() const { return Runs[size_t(CurrentRun)]; }
    // Gives up after this long without a stable reading; 0 waits until
    // cancelled.
    int WaitLimitMs = 0;

    // ---- Hooks (each may be left empty) ----
    std::function<void(const TStableWait &wait)> ShowWait;
    // A reading was taken, or the rows changed.
    std::function<void()> Changed;

    // The current run's rows from the plan; a reading already taken for a
    // row that stays (the same test, step and load) is kept.
    void ApplyPlan();
    // Switches to a run; its rows come from the plan while it has none.
    void SelectRun(int run);
    // Forgets both runs' readings and the instrument they came from.
    void Clear();
    bool HasReadings() const;
    // The first row of the current run without a reading, or -1.
    int NextRowToTake() const;
    // The verdict of the certificate: the as-left run's once it has a
    // reading, else the as-found run's.
    int DecidingRun() const;

    // The instrument the readings came from (asked with "IDN?" before the
    // first reading of a connection); another instrument's reading is not
    // taken while they stand.
    const TInstrumentIdentity &Identity() const { return Instrument; }
    void SetIdentity(const TInstrumentIdentity &identity);
    // A new connection: the instrument is asked who it is before the next
    // reading.
    void ForgetConnection() { IdentityChecked = false; }

    // e, Max, decimals and units as the instrument has them now ("IAD?1",
    // and the units the session knows), into scale.
    TOutcome ReadInstrumentScale(TVerificationSetup &scale);

    // Accepted when a reading can be taken now: the setup makes sense, the
    // line is open and free, no log runs, no other reading is under way.
    TOutcome CanTake() const;
    // Takes the reading for row `row` of the current run.
    TOutcome Take(int row);
    // The stable reading alone, for a caller with rows of its own.
    TOutcome TakeStable(double &indication, int &places);
    void CancelTake() { CancelRequested = true; }
    bool IsTaking() const { return Taking; }

private:
    TSession &Session;
    TInstrumentIdentity Instrument;
    bool IdentityChecked = false;
    bool Taking = false;
    bool CancelRequested = false;

    // The instrument's scale when the first reading held was taken: later
    // readings must be taken in the same units and steps.
    std::optional<TVerificationSetup> ScaleOfReadings;

    TOutcome CheckInstrument();
    TOutcome CheckScale(const TTestRow &row);
    TOutcome PollUntilStable(double &indication, int &places);
    void Show(const TStableWait &wait) const;
    void Call(const std::function<void()> &hook) const;
};
