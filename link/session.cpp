#include "link/session.h"

#include "link/comms.h"
#include "link/ioiface_null.h"
#include "link/ioifaceconfigure.h"
#include "ui/hourglass.h"
#include "ui/prompts.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>
#include <limits>

namespace {

const QString InstrumentNotResponding = QStringLiteral("Instrument not responding");
const QString InvalidSetting = QStringLiteral("Invalid Setting");

} // namespace

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

void TSession::Connect2Click(TdatViewer &store)
{
    TNesting nesting(*this);
    if (IsOpen()) {
        // Its close event applies the disconnected look.
        CurrentTransport->Close();
        return;
    }
    std::unique_ptr<TIOIfaceSerial> serial = ConfigureAndCreate(store, UnitAddress);
    if (!serial)
        return; // cancelled: nothing changes
    InstallAndOpen(std::move(serial));
}

void TSession::ReleaseRetired()
{
    Retired.clear();
}

void TSession::TransportOpened()
{
    TNesting nesting(*this);
    ResetReceive();
    if (Connected)
        Connected();
}

void TSession::TransportClosed()
{
    TNesting nesting(*this);
    // The reply cannot come over a closed line: the wait ends now, without
    // a message of its own (the transport reports why it closed, if it was
    // not the user).
    EndWaitWithFailure();
    ResetReceive();
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
    // The message box runs the event loop; a connect made from there must
    // not free the transport that is still reporting.
    TNesting nesting(*this);
    EndWaitWithFailure();
    if (!ShuttingDown)
        Prompts().Message(message, TPrompts::Kind::Error);
}

void TSession::EndWaitWithFailure()
{
    if (!AwaitingReply)
        return;
    ReplyTimeout = 0;
    AwaitingReply = false;
}

// ---------------------------------------------------------------- exchange

void TSession::SendCommand(const QString &text, bool framed)
{
    if (!IsOpen() || text.isEmpty())
        return;
    TNesting nesting(*this);
    if (ShowCommand)
        ShowCommand(text);
    QString wire = text;
    if (framed) {
        wire = TReplyReceiver::STX + text + TReplyReceiver::ETX;
    } else if (!wire.endsWith(QLatin1Char(';'))) {
        wire += QLatin1Char(';');
    }
    // The echo goes first so that a transport answering at once (in-process)
    // still shows command before reply.
    LogTraffic(QStringLiteral(">>>") + (framed ? text : wire));
    CurrentTransport->Send(wire);
}

bool TSession::SendUserCommand(const QString &text, bool framed)
{
    if (!IsOpen() || LineBusy())
        return false;
    SendCommand(text, framed);
    return true;
}

bool TSession::SendAndWait(const QString &text, bool framed, const QString &prefix, const THandler &handler)
{
    // One wait at a time: the waiting state is a single set of variables.
    if (WaitInProgress || ShuttingDown)
        return false;
    if (!IsOpen()) {
        NoteFailure();
        return false;
    }
    TNesting nesting(*this);
    WaitInProgress = true;
    // The answer to a poll just sent is still to come: it must not be taken
    // for this question's. The poll's repeat time bounds this wait.
    AwaitingPollAnswer = true;
    while ((PollOutstanding || ReplyArriving()) && IsOpen() && Timer1.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    AwaitingPollAnswer = false;
    ReplyPrefix = prefix;
    ReplyTimeout = ReplyWaitTicks;
    AwaitingReply = true;
    ReplyHandler = handler;
    SendCommand(text, framed);
    while (AwaitingReply) {
        if (!IsOpen()) {
            EndWaitWithFailure();
            break;
        }
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const bool accepted = ReplyTimeout > 0;
    ReplyHandler = nullptr;
    WaitInProgress = false;
    if (!accepted)
        NoteFailure();
    return accepted;
}

void TSession::Shutdown()
{
    ShuttingDown = true;
    ReportWaitFailures = false;
    ReceiveDisabled = true;
    // A stopped timer also ends WaitTicks and can no longer time a reply out.
    Timer1.stop();
    PauseCounter = 0;
    EndWaitWithFailure();
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
    TicksSinceReceive = 0;
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
    switch (Activity) {
    case actDisplay:
    case actCalibration:
        // The status request's answer is hexadecimal; it is the one awaited
        // while the countdown stands at its reload value.
        Comms->Parse(reply, StatusPollCountdown == StatusPollEvery, false);
        if (!AwaitingReply && DisplayReply)
            DisplayReply(Activity == actCalibration);
        break;
    case actLog: {
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
    if (Activity == actLog) {
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
    if (reply == QLatin1String("0")) {
        AwaitingReply = false;
    } else if (reply == QLatin1String("?")) {
        ReplyTimeout = 0;
        AwaitingReply = false;
        if (ReportWaitFailures)
            Prompts().Message(InvalidSetting, TPrompts::Kind::Error);
    }
}

void TSession::NumericReply(const QString &reply)
{
    Comms->Parse(ReplyPrefix + reply, false, true);
    qint32 value = 0, places = 0;
    if (Comms->GetInt(0, value, -99999, 999999, places)) {
        ReplyValue = value;
        AwaitingReply = false;
    }
}

void TSession::TextReply(const QString &reply)
{
    if (reply == QLatin1String("?")) {
        ReplyTimeout = 0;
        AwaitingReply = false;
        if (ReportWaitFailures)
            Prompts().Message(InvalidSetting, TPrompts::Kind::Error);
        return;
    }
    ReplyPrefix = reply;
    AwaitingReply = false;
}

void TSession::DefaultHandler(const QString &)
{
    AwaitingReply = false;
}

// ---------------------------------------------------------------- session

QString TSession::UnitPrefix(int unit)
{
    return QString::asprintf("S%.2d;", unit);
}

void TSession::Busy(bool on)
{
    if (SetBusy) {
        SetBusy(on);
        return;
    }
    ShowHourglass(on);
}

void TSession::StartupSequence()
{
    // Nothing to do without a line; and an exchange already waiting (the
    // user switched pages during it) cannot be interleaved with this one.
    if (!IsOpen() || WaitInProgress || ShuttingDown)
        return;
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

    SendCommand(QStringLiteral("S98;STP;"), false);
    if (!SendAndWait(UnitPrefix(UnitAddress) + QStringLiteral("COF11;"), false, QString(), Acknowledge()))
        return;
    // A units index is 0..4; anything else is not an answer to the question
    // and must not turn the unit label off for the rest of the connection.
    if (SendAndWait(QStringLiteral("ENU?;"), false, QStringLiteral("ENU"), Numeric()) && ReplyValue >= 0
        && ReplyValue <= 4)
        DisplayUnits = ReplyValue;
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
    if (++TickCycle >= 10)
        TickCycle = 0;
    if (TicksSinceReceive < std::numeric_limits<int>::max())
        ++TicksSinceReceive;
    if (DisplayStaleCountdown > 0 && --DisplayStaleCountdown == 0 && DisplayStale)
        DisplayStale();

    if (!IsOpen())
        return;

    if (PollDelay == 0)
        Poll();
    if (PollDelay > 0 && --PollDelay == 0)
        PollOutstanding = false;

    // On a slow line a long answer (calibration data) takes longer than the
    // wait on its own: the wait is not counted while its answer comes in.
    const bool answerArriving = AwaitingReply && ReplyArriving() && !Receiver.DroppingLine;
    if (ReplyTimeout > 0 && !answerArriving && --ReplyTimeout == 0 && AwaitingReply) {
        AwaitingReply = false;
        if (ReportWaitFailures)
            Prompts().Message(InstrumentNotResponding, TPrompts::Kind::Plain);
    }
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
    switch (Activity) {
    case actDisplay:
    case actCalibration:
        if (DisplayPollPaused || AwaitingReply || PollingSuspended || StartupRunning)
            return;
        if (StatusPollCountdown > 0)
            --StatusPollCountdown;
        if (StatusPollCountdown == 0) {
            SendCommand(UnitPrefix(UnitAddress) + QStringLiteral("ESR?;"), false);
            StatusPollCountdown = StatusPollEvery;
        } else {
            SendCommand(QStringLiteral("MSV?;"), false);
        }
        PollDelay = PollRepeat();
        PollOutstanding = true;
        break;
    case actLog: {
        const int count = std::min(LoggedUnitCount, MaxLoggedUnits);
        // With no unit to poll there is nothing to send.
        if (LoggingState != 1 || PollingSuspended || count <= 0)
            return;
        if (++LoggedUnitIndex >= count || LoggedUnitIndex < 0)
            LoggedUnitIndex = 0;
        SendCommand(UnitPrefix(LoggedUnits[size_t(LoggedUnitIndex)]) + QStringLiteral("MSV?;"), false);
        PollDelay = PollRepeat();
        PollOutstanding = true;
        break;
    }
    default:
        break;
    }
}
