#pragma once
// Ctrl+C (SIGINT) and SIGTERM end a job cleanly: the signal is only noted in
// its handler and acted on from the event loop, where the operation in
// progress (a settings transfer) is cancelled as the window's Cancel button
// would, so the job's own tidying (the passcode locked again with "PCD", the
// port closed) still runs.

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

private:
    void Take();
    static void Handler(int);
    static inline bool RaisedFlag = false;
    static inline int Pipe[2] = {-1, -1};
    QSocketNotifier *Notifier = nullptr;
};
