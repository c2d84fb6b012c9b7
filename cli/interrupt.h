#pragma once
// Ctrl+C (SIGINT), SIGTERM, a hang-up (SIGHUP: the ssh session or terminal
// went away) and a broken pipe (SIGPIPE: the reader of our output is gone)
// end a job cleanly: the signal is only noted in its handler and acted on
// from the event loop, where the operation in progress (a settings transfer)
// is cancelled as the window's Cancel button would, so the job's own tidying
// (the passcode locked again with "PCD", the settings stored with "TDD1", the
// port closed) still runs. A question waiting for its answer is answered No.

#include <QObject>
#include <functional>

class QSocketNotifier;

class TInterrupt : public QObject {
    Q_OBJECT
public:
    TInterrupt();
    ~TInterrupt() override;

    static bool Raised() { return RaisedFlag; }
    // Cancels the job's operation in progress when the signal comes.
    std::function<void()> CancelOperation;
    // Also called when the signal comes (e.g. to end a timed wait).
    std::function<void()> OnRaised;

    // Blocks until `fd` can be read or one of the signals comes (then taken
    // at once, as from the event loop). True when `fd` can be read.
    static bool WaitReadable(int fd);

private:
    void Take();
    static void Handler(int);
    static inline bool RaisedFlag = false;
    static inline int Pipe[2] = {-1, -1};
    static inline TInterrupt *Current = nullptr;
    QSocketNotifier *Notifier = nullptr;
};
