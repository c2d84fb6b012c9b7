#include "link/session.h"

#include "link/comms.h"
#include "link/ioiface_null.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <utility>

// Marks a call into the session that may run the event loop or a transport's
// code. While one is on the stack a replaced transport is only retired.
class TSession::TNesting {
public:
    explicit TNesting(TSession &session) : Session(session) { ++Session.Nesting; }
    ~TNesting()
    {
        if (--Session.Nesting == 0)
            Session.ReleaseRetired();
    }
    TNesting(const TNesting &) = delete;
    TNesting &operator=(const TNesting &) = delete;

private:
    TSession &Session;
};

TSession::TSession(QObject *parent)
    : QObject(parent), Comms(std::make_unique<Tcommsobj>())
{
    ReplyHandler = Default();

    Receiver.OnReply = [this](const QString &reply) { DispatchReply(reply); };
    Receiver.OnRecord = [this](const QString &record) { DispatchBinaryRecord(record); };
    Receiver.OnTrafficPiece = [this](const QString &piece) { LogTraffic(piece); };
    Receiver.OnNoise = [this](const QString &text) {
        LogTraffic(text + QStringLiteral("  [noise: no line end came, dropped]"));
    };

    // The null transport only delivers (no) received bytes; its open and
    // close events are left unset.
    CurrentTransport = std::make_unique<TIOIfaceNull>();
    WireTransport(*CurrentTransport);
    CurrentTransport->OnOpen = nullptr;
    CurrentTransport->OnClose = nullptr;

    Timer1.setTimerType(Qt::PreciseTimer);
    Timer1.setInterval(10);
    // Queued: a tick may show a message box (the reply time-out), and Qt
    // does not fire a timer again while its own timeout is still being
    // delivered. Run from a posted call, the tick leaves the timer free, so
    // polls, logging and blanking go on under the box.
    connect(&Timer1, &QTimer::timeout, this, &TSession::Timer1Timer, Qt::QueuedConnection);
    Timer1.start();
}

TSession::~TSession()
{
    Timer1.stop();
    // The transport may still raise events while it goes; nobody listens.
    CurrentTransport->OnReceive = nullptr;
    CurrentTransport->OnOpen = nullptr;
    CurrentTransport->OnClose = nullptr;
    CurrentTransport->OnError = nullptr;
}

// ---------------------------------------------------------------- transport

void TSession::WireTransport(TIOIface &transport)
{
    // A replaced transport keeps its handlers (one of them may be running
    // right now), but they no longer reach the session.
    TIOIface *const wired = &transport;
    auto current = [this, wired] { return wired == CurrentTransport.get(); };
    transport.OnReceive = [this, current](const QString &text) {
        if (current())
            ReceiveText(text);
    };
    transport.OnOpen = [this, current](TIOIface *) {
        if (current())
            TransportOpened();
    };
    transport.OnClose = [this, current](TIOIface *) {
        if (current())
            TransportClosed();
    };
    transport.OnError = [this, current](const QString &message) {
        if (current())
            TransportFailed(message);
    };
}

void TSession::SetTransport(std::unique_ptr<TIOIface> transport)
{
    if (!transport)
        transport = std::make_unique<TIOIfaceNull>();
    TNesting nesting(*this);
    // An open link is closed the ordinary way first, so the window gets its
    // disconnected look and any wait ends.
    LinkUp = false;
    if (CurrentTransport->IsOpen())
        CurrentTransport->Close();
    Retired.push_back(std::move(CurrentTransport));
    CurrentTransport = std::move(transport);
    WireTransport(*CurrentTransport);
}

void TSession::InstallAndOpen(std::unique_ptr<TIOIface> transport)
{
    TNesting nesting(*this);
    SetTransport(std::move(transport));
    CurrentTransport->Open();
}

void TSession::Disconnect()
{
    if (!IsOpen())
        return;
    TNesting nesting(*this);
    // Its close event applies the disconnected look.
    LinkUp = false;
    CurrentTransport->Close();
}

void TSession::ReleaseRetired()
{
    Retired.clear();
}

void TSession::TransportOpened()
{
    TNesting nesting(*this);
    ResetReceive();
    LinkUp = true;
    UnitsKnown = false;
    SelectedOnLine = 99;
    if (Connected)
        Connected();
}

void TSession::TransportClosed()
{
    TNesting nesting(*this);
    // The reply cannot come over a closed line: the wait ends now (the
    // transport reports why it closed, if it was not the user).
    EndWait(LinkUp ? TWaitEnd::Lost : TWaitEnd::Closed);
    ResetReceive();
    UnitsKnown = false;
    if (Disconnected)
        Disconnected();
}

// A line or record cut off by a closed port would otherwise be joined to the
// first bytes of the next connection (the start-up's "0" read as "    1250").
void TSession::ResetReceive()
{
    Receiver.Reset();
    PendingReceive.clear();
    PollOutstanding = false;
}

void TSession::TransportFailed(const QString &message)
{
    // The window's message box runs the event loop; a connect made from
    // there must not free the transport that is still reporting.
    TNesting nesting(*this);
    EndWait(TWaitEnd::Lost);
    if (std::exchange(LinkUp, false) && !ShuttingDown && PortLost)
        PortLost();
    if (!ShuttingDown && LinkFailed)
        LinkFailed(message);
}

void TSession::EndWait(TWaitEnd how)
{
    if (!AwaitingReply)
        return;
    ReplyTimeout = 0;
    AwaitingReply = false;
    WaitEnd = how;
}

// ---------------------------------------------------------------- exchange

namespace {
// A command that selects its unit first ("S05;...").
bool StartsWithSelection(const QString &text)
{
    return text.size() >= 4 && text[0] == u'S' && text[1].isDigit() && text[2].isDigit() && text[3] == u';';
}
} // namespace

void TSession::SendCommand(const QString &text, bool framed)
{
    SendCommandTo(Address, text, framed);
}

void TSession::SendCommandTo(int unit, const QString &text, bool framed)
{
    if (!IsOpen() || text.isEmpty())
        return;
    TNesting nesting(*this);
    // Another unit of a bus may be selected: the command would reach it.
    // A line of one instrument goes on as it always has.
    const bool bus = unit != Address || KnownUnits.size() > 1 || (LoggedCount > 1 && Logging == lsPolled);
    const QString selection =
        bus && !StartsWithSelection(text) && SelectedOnLine != unit ? UnitPrefix(unit) : QString();
    const QString command = selection + text;
    // A passcode is never shown: the status bar and the traffic view get it
    // masked; only the line carries the digits.
    if (ShowCommand)
        ShowCommand(MaskPasscode(command));
    QString wire = command;
    if (framed) {
        wire = selection + TReplyReceiver::STX + text + TReplyReceiver::ETX;
    } else if (!wire.endsWith(QLatin1Char(';'))) {
        wire += QLatin1Char(';');
    }
    // The echo goes first so that a transport answering at once (in-process)
    // still shows command before reply.
    LogTraffic(QStringLiteral(">>>") + MaskPasscode(framed ? command : wire));
    // Once the digits went out the instrument may be open, until a lock
    // ("PCD" alone) is acknowledged.
    if (OpensGuardedSettings(text))
        LockOwed = true;
    // The last selection on the line stays until the next.
    if (!framed) {
        static const QRegularExpression selects(QStringLiteral("(?:^|;)S([0-9]{2});"));
        for (auto it = selects.globalMatch(wire); it.hasNext();)
            SelectedOnLine = it.next().captured(1).toInt();
    } else if (!selection.isEmpty()) {
        SelectedOnLine = unit;
    }
    CurrentTransport->Send(wire);
}

bool TSession::SendUserCommand(const QString &text, bool framed, int unit)
{
    if (!IsOpen() || LineBusy())
        return false;
    SendCommandTo(unit < 0 ? Address : unit, text, framed);
    return true;
}

TOutcome TSession::SendAndWait(const QString &text, bool framed, const QString &prefix, const THandler &handler)
{
    if (ShuttingDown)
        return TOutcome::Cancel();
    // One wait at a time: the waiting state is a single set of variables.
    if (WaitInProgress)
        return TOutcome::LineBusy();
    if (!IsOpen())
        return TOutcome::Closed();
    TNesting nesting(*this);
    WaitInProgress = true;
    // The answer to a poll just sent is still to come: it must not be taken
    // for this question's. The poll's repeat time bounds this wait.
    AwaitingPollAnswer = true;
    while ((PollOutstanding || ReplyArriving()) && IsOpen() && Timer1.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    AwaitingPollAnswer = false;
    // Whatever part of a line is left has stopped growing: the answer must
    // not be joined to it.
    Receiver.DropPartial();
    Prefix = prefix;
    ReplyTimeout = ReplyWaitTicks;
    AwaitingReply = true;
    WaitEnd = TWaitEnd::Pending;
    ReplyHandler = handler;
    SendCommand(text, framed);
    while (AwaitingReply) {
        if (!IsOpen()) {
            EndWait(LinkUp ? TWaitEnd::Lost : TWaitEnd::Closed);
            break;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    ReplyHandler = nullptr;
    WaitInProgress = false;
    TOutcome outcome = WaitOutcome(text);
    if (outcome && LocksGuardedSettings(text))
        LockOwed = false;
    return outcome;
}

namespace {

// The command without a unit selection before it and without its ";".
QString BareCommand(QString text)
{
    // The instrument takes mnemonics in either case.
    text = text.toUpper();
    static const QRegularExpression selection(QStringLiteral("^(S[0-9]{2};)+"));
    text.remove(selection);
    if (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    return text;
}

} // namespace

bool TSession::OpensGuardedSettings(const QString &command)
{
    static const QRegularExpression passcode(QStringLiteral("^PCD[0-9]+$"));
    return passcode.match(BareCommand(command)).hasMatch();
}

bool TSession::LocksGuardedSettings(const QString &command)
{
    return BareCommand(command) == QLatin1String("PCD");
}

TOutcome TSession::WaitOutcome(const QString &command) const
{
    switch (WaitEnd) {
    case TWaitEnd::Answered:
        return TOutcome::Accept();
    case TWaitEnd::Refused:
        return TOutcome::Refuse(command);
    case TWaitEnd::TimedOut:
        return TOutcome::Silence(command);
    case TWaitEnd::Closed:
        // Closed on purpose (a disconnect, another connection): nothing to say.
        return TOutcome::Cancel();
    case TWaitEnd::Lost:
        return TOutcome::Lost();
    case TWaitEnd::Pending:
    case TWaitEnd::Stopped:
        break;
    }
    return TOutcome::Cancel();
}

TOutcome TSession::Acknowledged(const QString &command)
{
    return SendAndWait(command, false, QString(), Acknowledge());
}

TOutcome TSession::AskNumber(const QString &query, const QString &prefix)
{
    return SendAndWait(query, false, prefix, Numeric());
}

TOutcome TSession::AskText(const QString &query, const QString &prefix)
{
    return SendAndWait(query, false, prefix, Text());
}

void TSession::Shutdown()
{
    ShuttingDown = true;
    ReceiveDisabled = true;
    // A stopped timer also ends WaitTicks and can no longer time a reply out.
    Timer1.stop();
    PauseCounter = 0;
    EndWait(TWaitEnd::Stopped);
}

void TSession::LogTraffic(const QString &line)
{
    if (AppendTraffic && IsTrafficShown && IsTrafficShown())
        AppendTraffic(line);
}

void TSession::ReceiveText(const QString &text)
{
    if (ReceiveDisabled)
        return;
    // A handler further down may run the event loop (a message box), and a
    // transport may deliver again from there. Those bytes came later: they
    // are queued and fed after the current ones, never into the middle.
    if (Feeding) {
        PendingReceive += text;
        return;
    }
    TNesting nesting(*this);
    // Bytes after a pause never complete a line cut off before it.
    DropStaleLine();
    TicksSinceReceive = 0;
    LastReceive.start();
    Feeding = true;
    Receiver.Feed(text);
    while (!PendingReceive.isEmpty() && !ReceiveDisabled) {
        QString more;
        more.swap(PendingReceive);
        Receiver.Feed(more);
    }
    PendingReceive.clear();
    Feeding = false;
}

void TSession::DropStaleLine()
{
    if (Receiver.MidLine() && LastReceive.isValid()
        && LastReceive.elapsed() > TReplyReceiver::PartialLineLimitMs(CurrentTransport->BaudRate()))
        Receiver.DropPartial();
}

void TSession::DispatchReply(const QString &reply)
{
    RouteByActivity(reply);
    PollDelay = 0;
    PollOutstanding = false;
    DisplayStaleCountdown = DisplayStaleTicks;
    if (ShowReply)
        ShowReply(reply);
    LogTraffic(reply);
    // Only a waiting exchange takes replies: once its outcome is decided, a
    // late second reply in the same burst must not overturn it.
    if (ReplyHandler && AwaitingReply) {
        const THandler handler = ReplyHandler; // the handler may replace the slot
        handler(reply);
    }
}

void TSession::RouteByActivity(const QString &reply)
{
    switch (CurrentActivity) {
    case actDisplay:
    case actCalibration: {
        // The status request's answer is hexadecimal; it is the one awaited
        // while the countdown stands at its reload value. Any other reply
        // is shown only as a whole weight line.
        const bool status = StatusPollCountdown == StatusPollEvery;
        if (!status && !IsWeightLine(reply))
            break;
        Comms->Parse(reply, status, false);
        if (!AwaitingReply && DisplayReply)
            DisplayReply(CurrentActivity == actCalibration);
        break;
    }
    case actLog: {
        if (!IsWeightLine(reply))
            break;
        Comms->Parse(reply, false, false);
        qint32 weight = 0, unit = 0, status = 0, places = 0;
        if (Comms->GetInt(0, weight, -999999, 999999, places) && Comms->GetInt(1, unit, 0, 32, places)
            && Comms->GetInt(2, status, 0, 999, places) && LogReply)
            LogReply(weight, unit, status);
        break;
    }
    case actReadSettings:
    case actWriteSettings:
        if (SettingsReply)
            SettingsReply(reply);
        break;
    default:
        break;
    }
}

void TSession::DispatchBinaryRecord(const QString &record)
{
    TWeightRecord decoded;
    if (!DecodeWeightRecord(record, decoded))
        return;
    LogTraffic(QString::asprintf("%d,%d,%d", int(decoded.StatusByte), int(decoded.StatusWord),
                                 int(decoded.Weight)));
    if (CurrentActivity == actLog) {
        if (ShowReply)
            ShowReply(record);
        if (LogRecord)
            LogRecord(decoded.StatusByte, decoded.StatusWord, decoded.Weight);
    }
    PollDelay = 0;
    PollOutstanding = false;
    DisplayStaleCountdown = DisplayStaleTicks;
}

// ---------------------------------------------------------------- handlers

void TSession::AcknowledgeReply(const QString &reply)
{
    if (reply == QLatin1String("0"))
        EndWait(TWaitEnd::Answered);
    else if (reply == QLatin1String("?"))
        EndWait(TWaitEnd::Refused);
}

void TSession::NumericReply(const QString &reply)
{
    // A weight line that came late, or a number with blanks inside (two
    // pieces of lines joined), is no answer to a question for one value.
    if (!IsSingleNumber(reply))
        return;
    Comms->Parse(Prefix + reply, false, true);
    qint32 value = 0, places = 0;
    if (Comms->GetInt(0, value, -99999, 999999, places)) {
        LastValue = value;
        EndWait(TWaitEnd::Answered);
    }
}

void TSession::TextReply(const QString &reply)
{
    if (reply == QLatin1String("?")) {
        EndWait(TWaitEnd::Refused);
        return;
    }
    Prefix = reply;
    EndWait(TWaitEnd::Answered);
}

void TSession::DefaultHandler(const QString &)
{
    EndWait(TWaitEnd::Answered);
}

void TSession::ReplyTaken()
{
    EndWait(TWaitEnd::Answered);
}

QList<int> TSession::LoggedUnits() const
{
    return QList<int>(Logged.begin(), Logged.begin() + LoggedCount);
}

void TSession::SetLoggedUnits(const QList<int> &units)
{
    LoggedCount = int(std::min<qsizetype>(units.size(), MaxLoggedUnits));
    std::copy(units.begin(), units.begin() + LoggedCount, Logged.begin());
    LoggedUnitIndex = 0;
}

void TSession::SetBusUnits(const QList<int> &units)
{
    KnownUnits.clear();
    AddBusUnits(units);
}

void TSession::AddBusUnits(const QList<int> &units)
{
    for (int unit : units)
        if (unit >= 1 && unit <= 31 && !KnownUnits.contains(unit) && KnownUnits.size() < MaxLoggedUnits)
            KnownUnits << unit;
    std::sort(KnownUnits.begin(), KnownUnits.end());
}

TSession::TActivityScope::TActivityScope(TSession &session)
    : Session(session), SavedActivity(session.Activity())
{
    ++Session.SuspendDepth;
}

TSession::TActivityScope::~TActivityScope()
{
    Restore();
    --Session.SuspendDepth;
}

void TSession::TActivityScope::Use(TActivity activity)
{
    if (!Set || Session.CurrentActivity == SetTo) {
        Session.CurrentActivity = activity;
        SetTo = activity;
        Set = true;
    }
}

void TSession::TActivityScope::Restore()
{
    if (Set && Session.CurrentActivity == SetTo)
        Session.CurrentActivity = SavedActivity;
    Set = false;
}

// ---------------------------------------------------------------- session

QString TSession::UnitPrefix(int unit)
{
    return QString::asprintf("S%.2d;", unit);
}

void TSession::Busy(bool on)
{
    if (SetBusy)
        SetBusy(on);
}

TOutcome TSession::StartupSequence()
{
    // Nothing to do without a line; and an exchange already waiting (the
    // user switched pages during it) cannot be interleaved with this one.
    // Neither is a failure to tell: the page is shown as it is.
    if (!IsOpen() || ShuttingDown || WaitInProgress)
        return TOutcome::Cancel();
    struct TRunningGuard {
        TSession &Session;
        explicit TRunningGuard(TSession &s) : Session(s)
        {
            Session.Busy(true);
            Session.StartupRunning = true;
        }
        ~TRunningGuard()
        {
            Session.StartupRunning = false;
            Session.Busy(false);
        }
    } running(*this);

    // A line lost while the instrument was open left it open: the lock goes
    // first, before anything else reaches it.
    if (LockOwed) {
        if (TOutcome locked = Acknowledged(QStringLiteral("PCD")); !locked)
            return locked;
    }
    SendCommand(QStringLiteral("S98;STP;"), false);
    // Every unit of a bus replies in the form the viewer reads (98: all
    // act, none answers), not only the connection's.
    if (KnownUnits.size() > 1)
        SendCommand(QStringLiteral("S98;COF11;"), false);
    if (TOutcome outcome = Acknowledged(UnitPrefix(Address) + QStringLiteral("COF11;")); !outcome)
        return outcome;
    TOutcome outcome = AskNumber(QStringLiteral("ENU?;"), QStringLiteral("ENU"));
    // A units index is 0..4; anything else is not an answer to the question
    // and must not turn the unit label off for the rest of the connection.
    if (outcome && LastValue >= 0 && LastValue <= 4)
        SetDisplayUnits(LastValue);
    return outcome;
}

void TSession::WaitTicks(int n)
{
    TNesting nesting(*this);
    PauseCounter = n;
    // Only the timer counts the pause down; with it stopped the wait would
    // never end.
    while (PauseCounter > 0 && Timer1.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TSession::Timer1Timer()
{
    // A tick queued before the timer stopped still arrives.
    if (ShuttingDown)
        return;
    TNesting nesting(*this);
    if (PauseCounter > 0)
        --PauseCounter;
    if (++Cycle >= 10)
        Cycle = 0;
    if (TicksSinceReceive < std::numeric_limits<int>::max())
        ++TicksSinceReceive;
    if (DisplayStaleCountdown > 0 && --DisplayStaleCountdown == 0 && DisplayStale)
        DisplayStale();

    if (!IsOpen())
        return;

    DropStaleLine();
    if (LogPollCountdown > 0)
        --LogPollCountdown;
    if (PollDelay == 0)
        Poll();
    if (PollDelay > 0 && --PollDelay == 0)
        PollOutstanding = false;

    // On a slow line a long answer (calibration data) takes longer than the
    // wait on its own: the wait is not counted while its answer comes in.
    const bool answerArriving = AwaitingReply && ReplyArriving() && !Receiver.DroppingLine;
    if (ReplyTimeout > 0 && !answerArriving && --ReplyTimeout == 0 && AwaitingReply)
        EndWait(TWaitEnd::TimedOut);
}

int TSession::PollRepeatFor(int baud)
{
    if (baud <= 0)
        return PollRepeatTicks;
    const qint64 wireMs = (qint64(LongestPollExchange) * BitsPerCharacter * 1000 + baud - 1) / baud;
    return int(std::max<qint64>(PollRepeatTicks, (wireMs + TickMs - 1) / TickMs));
}

int TSession::PollRepeat() const
{
    return PollRepeatFor(CurrentTransport->BaudRate());
}

// The answer to the last poll is coming in: a poll sent now would only queue
// behind it. A line that stops growing for a repeat time is no answer.
bool TSession::ReplyArriving() const
{
    return Receiver.MidLine() && TicksSinceReceive < PollRepeat();
}

void TSession::Poll()
{
    if (ReplyArriving() || AwaitingPollAnswer)
        return;
    // A partial line that has waited this long is given up before the next
    // answer can be joined to it.
    Receiver.DropPartial();
    switch (CurrentActivity) {
    case actDisplay:
    case actCalibration: {
        if (DisplayPollPaused() || AwaitingReply || PollingSuspended() || StartupRunning)
            return;
        if (StatusPollCountdown > 0)
            --StatusPollCountdown;
        // Calibration is the connected unit's; the Display page may show another.
        const int unit = CurrentActivity == actDisplay ? ShownUnit : Address;
        if (StatusPollCountdown == 0) {
            SendCommandTo(unit, UnitPrefix(unit) + QStringLiteral("ESR?;"), false);
            StatusPollCountdown = StatusPollEvery;
        } else {
            SendCommandTo(unit, QStringLiteral("MSV?;"), false);
        }
        PollDelay = PollRepeat();
        PollOutstanding = true;
        break;
    }
    case actLog: {
        const int count = std::min(LoggedCount, MaxLoggedUnits);
        // With no unit to poll there is nothing to send.
        if (Logging != lsPolled || PollingSuspended() || count <= 0 || LogPollCountdown > 0)
            return;
        if (LogPollGapTicks > 0)
            LogPollCountdown = std::max(1, LogPollGapTicks / count);
        if (++LoggedUnitIndex >= count || LoggedUnitIndex < 0)
            LoggedUnitIndex = 0;
        SendCommand(UnitPrefix(Logged[size_t(LoggedUnitIndex)]) + QStringLiteral("MSV?;"), false);
        PollDelay = PollRepeat();
        PollOutstanding = true;
        break;
    }
    default:
        break;
    }
}
