#pragma once
// The conversation with the instrument: framing and sending commands, the
// replies that come back and where they go, waiting for one answer, the
// 10 ms timer that polls weight and status, and connecting. It needs no
// widgets: the main window fills the hooks below and owns one TSession.
//
// There is one thread. The waits (SendAndWait, WaitTicks) run nested event
// loops, so timer ticks, received bytes and user input go on being handled
// while a caller waits; only one exchange is outstanding at a time.

#include "link/ioiface.h"
#include "link/receiver.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class Tcommsobj;
class TdatViewer;

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
    // Hourglass on/off. When empty, the application's override cursor is used.
    std::function<void(bool busy)> SetBusy;

    // ---- Transport ----
    TIOIface &Transport() const { return *CurrentTransport; }
    bool IsOpen() const { return CurrentTransport->IsOpen(); }
    // Makes the given transport current (the old one is freed once no call
    // of it is running), wires its events to this session. Does not open it.
    void SetTransport(std::unique_ptr<TIOIface> transport);
    // SetTransport, then Open: what connecting does after the dialog.
    void InstallAndOpen(std::unique_ptr<TIOIface> transport);
    // Menu "&Connect" / "&Disconnect": closes an open link, otherwise shows
    // the connection dialog and connects with what the user confirmed.
    void Connect2Click(TdatViewer &store);

    // ---- Command exchange ----
    void SendCommand(const QString &text, bool framed);
    bool SendAndWait(const QString &text, bool framed, const QString &prefix,
                     const std::function<void(const QString &)> &handler);
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

    // True while a SendAndWait is in progress (a second one is refused).
    bool IsWaiting() const { return WaitInProgress; }
    // An exchange awaits its answer (a SendAndWait, the start-up sequence):
    // anything else sent now would have its reply taken for that answer.
    bool LineBusy() const { return WaitInProgress || AwaitingReply || StartupRunning; }
    // A command the user gives (a front-panel key, a line typed on the Test
    // page). Held back, and false, while the line is busy or closed.
    bool SendUserCommand(const QString &text, bool framed);

    // The window is closing: received bytes are ignored, the timer stops, a
    // wait in progress ends without a message and no new wait starts, so
    // nothing is reported after the window has gone.
    void Shutdown();

    // ---- Session and polling ----
    void StartupSequence();
    void WaitTicks(int n);
    void Timer1Timer();
    // Ticks before an unanswered poll is repeated: PollRepeatTicks, or more
    // on a line too slow to bring the longest answer back in that time.
    int PollRepeat() const;
    static int PollRepeatFor(int baud);
    // "S%.2d;" for a unit address.
    static QString UnitPrefix(int unit);

    // The reply parser shared by display, logging and the numeric handler:
    // read its fields at once, the next reply overwrites them.
    Tcommsobj &Parser() const { return *Comms; }

    // ---- State (names and initial values as the window's) ----
    quint8 Activity = actIdle;
    bool AwaitingReply = false;
    THandler ReplyHandler;                 // DefaultHandler at start
    int ReplyTimeout = 0;
    // While false, a refused or unanswered exchange ends without a message.
    // Within a TOneFailureMessage the first failure turns it off: an
    // operation says once that it failed, and what tidies up after it (or
    // reads back) goes on quietly.
    bool ReportWaitFailures = true;
    bool QuietAfterFailure = false;
    void NoteFailure()
    {
        if (QuietAfterFailure)
            ReportWaitFailures = false;
    }
    class TOneFailureMessage {
    public:
        explicit TOneFailureMessage(TSession &session) : Session(session), Outermost(!session.QuietAfterFailure)
        {
            Session.QuietAfterFailure = true;
        }
        ~TOneFailureMessage()
        {
            if (!Outermost)
                return;
            Session.QuietAfterFailure = false;
            Session.ReportWaitFailures = !Session.ShuttingDown;
        }
        TOneFailureMessage(const TOneFailureMessage &) = delete;
        TOneFailureMessage &operator=(const TOneFailureMessage &) = delete;

    private:
        TSession &Session;
        bool Outermost;
    };
    QString ReplyPrefix;
    qint32 ReplyValue = 0;
    bool ReceiveDisabled = false;

    int PollDelay = 0;
    int StatusPollCountdown = StatusPollEvery;
    int DisplayStaleCountdown = DisplayStaleTicks;
    int PauseCounter = 0;
    int TickCycle = 0;
    int TicksSinceReceive = 0;             // since bytes last came in
    // A poll went out and neither its answer nor its repeat time has come.
    bool PollOutstanding = false;
    bool DisplayPollPaused = false;
    bool PollingSuspended = false;
    // The start-up sequence is running: its two waits must follow each other
    // with no display poll between them, or the poll's weight reply would be
    // taken for the answer to "ENU?;".
    bool StartupRunning = false;

    int LoggingState = 0;                  // 0 stopped, 1 polled, 2 streamed
    std::array<int, MaxLoggedUnits> LoggedUnits{};
    int LoggedUnitCount = 0;
    int LoggedUnitIndex = 0;

    int UnitAddress = 99;                  // 1..31, or 99 for "Any"
    qint32 DisplayUnits = 0;
    qint32 ErrorStatus = 0;

    QTimer Timer1;                         // 10 ms, precise; started by the constructor

    // The receive state machine (buffers and binary-record state).
    TReplyReceiver Receiver;

private:
    void WireTransport(TIOIface &transport);
    void TransportOpened();
    void TransportClosed();
    void TransportFailed(const QString &message);
    void EndWaitWithFailure();
    void Busy(bool on);
    void RouteByActivity(const QString &reply);
    void Poll();
    bool ReplyArriving() const;
    void ResetReceive();

    // Counts the calls into this session that may be on the stack (waits,
    // receive events, transport calls); a replaced transport is freed only
    // when the count is back to 0, so no frame runs on a freed object.
    class TNesting;
    int Nesting = 0;
    void ReleaseRetired();

    std::unique_ptr<TIOIface> CurrentTransport;
    std::vector<std::unique_ptr<TIOIface>> Retired;
    std::unique_ptr<Tcommsobj> Comms;
    bool WaitInProgress = false;
    bool AwaitingPollAnswer = false; // a SendAndWait lets the last poll be answered first
    bool ShuttingDown = false;
    bool Feeding = false;
    QString PendingReceive;
    int BusyDepth = 0;
};
