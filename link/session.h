#pragma once
// The conversation with the instrument: framing and sending commands, the
// replies that come back and where they go, waiting for one answer, and the
// 10 ms timer that polls weight and status. It needs no widgets and shows
// nothing: an exchange returns its outcome (link/outcome.h), and a line that
// fails is reported through a hook. The main window fills the hooks below
// and owns one TSession; the command-line program owns one too.
//
// There is one thread. The waits (SendAndWait, WaitTicks) run nested event
// loops, so timer ticks, received bytes and user input go on being handled
// while a caller waits; only one exchange is outstanding at a time.

#include "link/ioiface.h"
#include "link/outcome.h"
#include "link/receiver.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class Tcommsobj;

// What the main window is doing: decides what the timer polls and where a
// text reply goes. Stored as a byte; the values are fixed.
enum TActivity : quint8 {
    actIdle = 0,
    actDisplay = 1,
    actLog = 2,
    actTest = 3,
    actReadSettings = 4,
    actWriteSettings = 5,
    actCalibration = 6,
};

// Whether a logging session runs, and how its samples come.
enum TLoggingState : quint8 {
    lsStopped = 0,
    lsPolled = 1,
    lsStreamed = 2,
};

class TSession : public QObject {
    Q_OBJECT
public:
    // Timer ticks (10 ms each).
    static constexpr int ReplyWaitTicks = 40;
    static constexpr int PollRepeatTicks = 10;
    static constexpr int DisplayStaleTicks = 20;
    static constexpr int StatusPollEvery = 10;
    static constexpr int KeyPollDelayTicks = 5;
    static constexpr int MaxLoggedUnits = 32;
    static constexpr int TickMs = 10;
    // On a slow line a poll is repeated only once its answer could have
    // come: the longest poll ("S99;ESR?;") and the longest reply it expects
    // (a weight line of 16 characters and CR LF), ten bits a character.
    static constexpr int LongestPollExchange = 9 + 18;
    static constexpr int BitsPerCharacter = 10;

    explicit TSession(QObject *parent = nullptr);
    ~TSession() override;

    // ---- Hooks the window fills. Any may be left empty. ----
    std::function<void(const QString &command)> ShowCommand;   // status panel 0
    std::function<void(const QString &reply)> ShowReply;       // status panel 1
    std::function<bool()> IsTrafficShown;                       // the Test page is active
    std::function<void(const QString &line)> AppendTraffic;     // the Test page's traffic view
    // A text reply for the live display; Parser() holds its fields.
    // calibration: LCDCal is meant, otherwise LCDMain.
    std::function<void(bool calibration)> DisplayReply;
    std::function<void()> DisplayStale;                         // blank LCDMain
    std::function<void(qint32 weight, qint32 unit, qint32 status)> LogReply;
    std::function<void(quint8 statusByte, qint32 statusWord, qint32 weight)> LogRecord;
    std::function<void(const QString &reply)> SettingsReply;    // settings transfer
    // Raised by the transport's open and close events. The window's connected
    // look sets Activity and then calls StartupSequence().
    std::function<void()> Connected;
    std::function<void()> Disconnected;
    // The open line was lost (adapter pulled, write failed), not closed by
    // the user; raised after Disconnected and before LinkFailed, so that
    // watching for the port starts even while the message is up.
    std::function<void()> PortLost;
    // The transport failed (a port that would not open, a line lost), with
    // its reason. The window shows it; it is not shown while shutting down.
    std::function<void(const QString &message)> LinkFailed;
    // Hourglass on/off while the start-up sequence runs.
    std::function<void(bool busy)> SetBusy;

    // ---- Transport ----
    TIOIface &Transport() const { return *CurrentTransport; }
    bool IsOpen() const { return CurrentTransport->IsOpen(); }
    // Makes the given transport current (the old one is freed once no call
    // of it is running), wires its events to this session. Does not open it.
    void SetTransport(std::unique_ptr<TIOIface> transport);
    // SetTransport, then Open: what connecting does after the dialog.
    void InstallAndOpen(std::unique_ptr<TIOIface> transport);
    // Closes an open link on purpose (Disconnect); its close event applies
    // the disconnected look.
    void Disconnect();

    // ---- Command exchange ----
    // Sends to the connection's unit (UnitAddress). On a bus (more than one
    // unit known or logged, or a command for another unit) where another
    // unit is selected (a log of several units, a command typed with its own
    // "S%.2d;"), a command without a selection of its own gets the unit's
    // selection in front, so it reaches the unit meant and no other. A line
    // of one instrument gets the commands exactly as given.
    void SendCommand(const QString &text, bool framed);
    // The same for another unit of the line.
    void SendCommandTo(int unit, const QString &text, bool framed);
    // The unit the line has selected last ("S%.2d;" sent): 99 at the open,
    // as an instrument starts.
    int LineSelection() const { return SelectedOnLine; }
    // Sends text and waits for the reply that the handler takes (a nested
    // event loop). Accepted when answered; Refused when the handler saw "?";
    // Silent after ReplyWaitTicks without an answer; NotConnected without a
    // link; PortLost when the line went away meanwhile; Busy while another
    // wait runs; Cancelled when the line was closed on purpose meanwhile or
    // the session is shutting down.
    TOutcome SendAndWait(const QString &text, bool framed, const QString &prefix,
                         const std::function<void(const QString &)> &handler);
    // The common forms: a setting or command acknowledged with "0"; a number
    // (into ReplyValue); a text (into ReplyPrefix).
    TOutcome Acknowledged(const QString &command);
    TOutcome AskNumber(const QString &query, const QString &prefix);
    TOutcome AskText(const QString &query, const QString &prefix);
    void LogTraffic(const QString &line);
    void ReceiveText(const QString &text);
    void DispatchReply(const QString &reply);
    void DispatchBinaryRecord(const QString &record);

    // Standard reply handlers (pass e.g. [this](auto &r) { AcknowledgeReply(r); }
    // or the Handler() helpers below).
    void AcknowledgeReply(const QString &reply);
    void NumericReply(const QString &reply);
    void TextReply(const QString &reply);
    void DefaultHandler(const QString &reply);
    using THandler = std::function<void(const QString &)>;
    THandler Acknowledge() { return [this](const QString &r) { AcknowledgeReply(r); }; }
    THandler Numeric() { return [this](const QString &r) { NumericReply(r); }; }
    THandler Text() { return [this](const QString &r) { TextReply(r); }; }
    THandler Default() { return [this](const QString &r) { DefaultHandler(r); }; }
    // A handler of its own took the awaited reply: the wait ends, accepted.
    void ReplyTaken();
    // The results of the last exchange: NumericReply's value, and the prefix
    // given to SendAndWait (TextReply replaces it with the reply).
    qint32 ReplyValue() const { return LastValue; }
    const QString &ReplyPrefix() const { return Prefix; }

    // The passcode went out ("PCD" and digits) and no lock ("PCD" alone) has
    // been acknowledged since: the instrument may be open. The next start-up
    // sequence (a reconnect after a lost port, the next connect) locks it
    // before anything else.
    bool IsLockOwed() const { return LockOwed; }
    static bool OpensGuardedSettings(const QString &command);
    static bool LocksGuardedSettings(const QString &command);

    // True while a SendAndWait is in progress (a second one is refused).
    bool IsWaiting() const { return WaitInProgress; }
    // An exchange awaits its answer (a SendAndWait, the start-up sequence):
    // anything else sent now would have its reply taken for that answer.
    bool LineBusy() const { return WaitInProgress || AwaitingReply || StartupRunning; }
    // A command the user gives (a front-panel key, a line typed on the Test
    // page). Held back, and false, while the line is busy or closed.
    // `unit` is the unit meant (-1: the connection's).
    bool SendUserCommand(const QString &text, bool framed, int unit = -1);

    // The window is closing: received bytes are ignored, the timer stops, a
    // wait in progress ends (Cancelled) and no new wait starts, so nothing
    // is reported after the window has gone.
    void Shutdown();
    bool IsShuttingDown() const { return ShuttingDown; }

    // ---- Session and polling ----
    // "S98;STP;", "S%.2d;COF11;", "ENU?;": the instrument in a known state,
    // after a "PCD" lock when one is owed.
    // The outcome of the first exchange that failed; Cancelled (nothing to
    // say) without a line or while another exchange waits.
    TOutcome StartupSequence();
    void WaitTicks(int n);
    void Timer1Timer();
    // Starts or stops the 10 ms timer; tests that drive the ticks themselves
    // stop it.
    void SetTicking(bool on) { on ? Timer1.start() : Timer1.stop(); }
    // Ticks before an unanswered poll is repeated: PollRepeatTicks, or more
    // on a line too slow to bring the longest answer back in that time.
    int PollRepeat() const;
    static int PollRepeatFor(int baud);
    // "S%.2d;" for a unit address.
    static QString UnitPrefix(int unit);
    // A front-panel key went out: the next poll waits this many ticks.
    void DelayNextPoll(int ticks) { PollDelay = ticks; }

    // The reply parser shared by display, logging and the numeric handler:
    // read its fields at once, the next reply overwrites them.
    Tcommsobj &Parser() const { return *Comms; }
    // The reply being shown answers the status request ("ESR?"), whose
    // answer is hexadecimal; and the tick count within ten.
    bool StatusReplyAwaited() const { return StatusPollCountdown == StatusPollEvery; }
    int TickCycle() const { return Cycle; }

    // ---- What the window and the operations set ----
    TActivity Activity() const { return CurrentActivity; }
    void SetActivity(TActivity activity) { CurrentActivity = activity; }
    int UnitAddress() const { return Address; }
    // The connection's unit; the Display page shows it too until told another.
    void SetUnitAddress(int unit)
    {
        Address = unit;
        ShownUnit = unit;
    }
    // The unit whose weight and status the display polls ask and whose
    // keys the Display page presses (another unit of the same bus: no
    // reconnect). Settings, calibration and the log's stream stay with
    // UnitAddress.
    int DisplayUnit() const { return ShownUnit; }
    void SetDisplayUnit(int unit) { ShownUnit = unit; }
    // The units known to be on the line (found by Find, or logged), in
    // ascending order, at most MaxLoggedUnits; the operator chooses from them.
    QList<int> BusUnits() const { return KnownUnits; }
    void SetBusUnits(const QList<int> &units);
    void AddBusUnits(const QList<int> &units);
    // The units index the display shows (from "ENU?" or the settings).
    qint32 DisplayUnits() const { return Units; }
    void SetDisplayUnits(qint32 units)
    {
        Units = units;
        UnitsKnown = true;
    }
    // The instrument on the line has told its units (the start-up's "ENU?",
    // or a settings read or write) since the link opened.
    bool DisplayUnitsKnown() const { return UnitsKnown; }
    TLoggingState LoggingState() const { return Logging; }
    void SetLoggingState(TLoggingState state) { Logging = state; }
    // The unit addresses a polled log asks in turn (at most MaxLoggedUnits).
    QList<int> LoggedUnits() const;
    // Each logged unit is asked at most every `ticks` (0, the default: as
    // fast as the units answer). The window's rate choices are samples a
    // second ("10 Hz" plots every answer): it asks every 10 ticks, whatever
    // the speed of the instrument.
    void SetLogPollGap(int ticks) { LogPollGapTicks = std::max(0, ticks); }
    void SetLoggedUnits(const QList<int> &units);
    // A settings transfer holds all polling off for its whole run.
    bool PollingSuspended() const { return SuspendDepth > 0; }
    // A calibration step holds the display polls off.
    bool DisplayPollPaused() const { return DisplayPauseDepth > 0; }

    // Holds polling off for as long as it lives, and lets its owner switch
    // Activity for a part of that time; both are put back at the end. A
    // lost connection gives the window its disconnected look, which may set
    // its own Activity meanwhile: that one stays.
    class TActivityScope {
    public:
        explicit TActivityScope(TSession &session);
        ~TActivityScope();
        void Use(TActivity activity);
        void Restore();
        TActivityScope(const TActivityScope &) = delete;
        TActivityScope &operator=(const TActivityScope &) = delete;

    private:
        TSession &Session;
        TActivity SavedActivity;
        TActivity SetTo = actIdle;
        bool Set = false;
    };
    // Holds the display polls off for as long as it lives.
    class TDisplayPollPause {
    public:
        explicit TDisplayPollPause(TSession &session) : Session(session) { ++Session.DisplayPauseDepth; }
        ~TDisplayPollPause() { --Session.DisplayPauseDepth; }
        TDisplayPollPause(const TDisplayPollPause &) = delete;
        TDisplayPollPause &operator=(const TDisplayPollPause &) = delete;

    private:
        TSession &Session;
    };

private:
    // How the wait in progress ended.
    enum class TWaitEnd { Pending, Answered, Refused, TimedOut, Closed, Lost, Stopped };

    void WireTransport(TIOIface &transport);
    void TransportOpened();
    void TransportClosed();
    void TransportFailed(const QString &message);
    void EndWait(TWaitEnd how);
    void Busy(bool on);
    void RouteByActivity(const QString &reply);
    void Poll();
    bool ReplyArriving() const;
    void ResetReceive();
    // Gives up a partial line that has had no byte for longer than a line
    // takes on this line (see TReplyReceiver::PartialLineLimitMs).
    void DropStaleLine();
    TOutcome WaitOutcome(const QString &command) const;

    // Counts the calls into this session that may be on the stack (waits,
    // receive events, transport calls); a replaced transport is freed only
    // when the count is back to 0, so no frame runs on a freed object.
    class TNesting;
    int Nesting = 0;
    void ReleaseRetired();

    std::unique_ptr<TIOIface> CurrentTransport;
    std::vector<std::unique_ptr<TIOIface>> Retired;
    std::unique_ptr<Tcommsobj> Comms;
    QTimer Timer1;                         // 10 ms, precise; started by the constructor
    TReplyReceiver Receiver;               // the receive state machine

    TActivity CurrentActivity = actIdle;
    int Address = 99;                      // 1..31, or 99 for "Any"
    int ShownUnit = 99;
    int SelectedOnLine = 99;
    QList<int> KnownUnits;
    qint32 Units = 0;
    bool UnitsKnown = false;
    TLoggingState Logging = lsStopped;
    std::array<int, MaxLoggedUnits> Logged{};
    int LoggedCount = 0;
    int LoggedUnitIndex = 0;
    int SuspendDepth = 0;
    int DisplayPauseDepth = 0;

    // The exchange.
    bool AwaitingReply = false;
    THandler ReplyHandler;                 // DefaultHandler at start
    int ReplyTimeout = 0;
    TWaitEnd WaitEnd = TWaitEnd::Pending;
    QString Prefix;
    qint32 LastValue = 0;
    bool WaitInProgress = false;
    // A SendAndWait lets the answer to the last poll come first.
    bool AwaitingPollAnswer = false;
    // The start-up sequence is running: its two waits must follow each other
    // with no display poll between them, or the poll's weight reply would be
    // taken for the answer to "ENU?;".
    bool StartupRunning = false;

    // The polling loop.
    int PollDelay = 0;
    // Ticks before the next log poll (see SetLogPollGap).
    int LogPollCountdown = 0;
    int LogPollGapTicks = 0;
    int StatusPollCountdown = StatusPollEvery;
    int DisplayStaleCountdown = DisplayStaleTicks;
    int PauseCounter = 0;
    int Cycle = 0;
    int TicksSinceReceive = 0;             // since bytes last came in
    QElapsedTimer LastReceive;             // the same, in milliseconds
    // A poll went out and neither its answer nor its repeat time has come.
    bool PollOutstanding = false;

    bool LockOwed = false;
    // The current transport has opened and nobody has closed it on purpose:
    // a failure now is a lost port.
    bool LinkUp = false;
    bool ShuttingDown = false;
    bool ReceiveDisabled = false;
    bool Feeding = false;
    QString PendingReceive;
};
