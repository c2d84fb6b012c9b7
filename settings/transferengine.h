#pragma once
// The line-by-line engine behind the settings progress dialog: sends one
// settings line or query at a time, waits for its answer, sends it again
// when the instrument stays silent or refuses it, and gives up after four
// sends. It counts in its own ticks (the dialog's 20 ms timer calls Tick);
// it needs no widgets, so tests drive it tick by tick.
//
// Replies come in through TakeReply from the session's reply routing. It
// never waits itself: everything happens on a tick or on a reply.

#include <QString>
#include <QStringList>
#include <functional>

class TTransferEngine {
public:
    enum class TResult { Idle, Running, Done, Failed, Cancelled, LinkLost };

    static constexpr int StartTicks = 2;
    static constexpr int LineWaitTicks = 200;    // 4 s of 20 ms
    static constexpr int NoReplyPauseTicks = 5;  // 100 ms after a line that expects nothing
    static constexpr int MaxSends = 4;
    // The wait for one answer; tests of whole transfers against a silent
    // line shorten it so they need not sit out four real waits.
    int LineWait = LineWaitTicks;

    // ---- Hooks ----
    std::function<void(const QString &line)> Send;   // the session's SendCommand (unframed)
    std::function<bool()> IsLinkOpen;                // the transport is open
    std::function<void()> ProgressChanged;           // ProgressMax / ProgressPosition moved
    // The transfer ended; Outcome says how. Called once per transfer.
    std::function<void(TResult)> Finished;

    // Clears both lists and the progress, then takes the pairs in order.
    // expected[i] empty: the line expects no answer.
    void LoadTransfer(const QStringList &commands, const QStringList &expected);
    // Starts the loaded transfer (the dialog's activation).
    void Activate();
    void Tick();
    void TakeReply(const QString &reply);
    // The user cancelled: lists emptied, ends with Cancelled.
    void Cancel();

    // When not empty, only this reply completes a line (a write is accepted
    // with "0"); any other text is taken for noise and the line waits on.
    // LoadTransfer leaves it as it is.
    QString RequiredReply;
    // Without RequiredReply: true when expected text + reply is an answer the
    // line can take. Any other reply is noise; the line waits on, and is sent
    // again when its wait runs out. Left empty, every reply is taken.
    std::function<bool(const QString &line)> IsAnswer;

    bool Running() const { return Outcome == TResult::Running; }
    // Expected text + reply per line; only meaningful after Done.
    const QStringList &Replies() const { return TransferReplies; }

    QStringList TransferCommands;
    QStringList TransferReplies;
    int TransferIndex = 0;
    int TransferAttempts = 0;
    int TransferCountdown = 0;
    bool TransferAwaiting = false;
    // The line in hand was answered "?" at least once: a failure then means
    // the instrument refused it, not that it stayed silent.
    bool LineRefused = false;
    // After a failure: the line the instrument refused; empty after silence.
    QString RefusedLine;
    int ProgressMax = 0;
    int ProgressPosition = 0;
    TResult Outcome = TResult::Idle;

private:
    void SendCurrentLine();
    void Finish(TResult outcome);
    void Advance();
    static bool RefusalMeansEmpty(const QString &command);
};
