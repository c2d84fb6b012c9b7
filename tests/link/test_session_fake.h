#pragma once
// A scripted transport for session tests: records every write, answers from
// a script through the event loop (as a real line would, a little later),
// and can be closed or fail on demand. And a hold on a session's own timer,
// for tests that tick it by hand.

#include "link/ioiface.h"

#include <QEvent>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

class TFakeTransport : public TIOIface {
public:
    QStringList Sent;
    // The bytes to answer a write with (empty: no answer). Delivered from
    // the event loop, not inside Send.
    std::function<QString(const QString &written)> Answer;
    // Set to true by the destructor, to check when the owner frees it.
    bool *Destroyed = nullptr;
    int Baud = 0;

    ~TFakeTransport() override
    {
        if (Destroyed)
            *Destroyed = true;
    }

    bool IsOpen() const override { return Opened; }
    int BaudRate() const override { return Baud; }
    void Open() override
    {
        Opened = true;
        if (OnOpen)
            OnOpen(this);
    }
    void Close() override
    {
        Opened = false;
        if (OnClose)
            OnClose(this);
    }
    void Send(const QString &text) override
    {
        Sent << text;
        if (!Answer)
            return;
        const QString reply = Answer(text);
        if (!reply.isEmpty())
            Later([this, reply] { Deliver(reply); });
    }

    void Deliver(const QString &text)
    {
        if (OnReceive)
            OnReceive(text);
    }
    // Runs f from the event loop, unless this transport is gone by then.
    void Later(std::function<void()> f) { QTimer::singleShot(0, &Context, std::move(f)); }
    // The line is lost: closed at once, then the failure is reported.
    void Lose(const QString &message)
    {
        Opened = false;
        if (OnClose)
            OnClose(this);
        if (OnError)
            OnError(message);
    }

private:
    bool Opened = false;
    QObject Context;
};

// Holds a session's own 10 ms timer back while it lives (or until Release),
// so that a test drives time itself with TSession::Timer1Timer. The timer is
// the session's and keeps running; its ticks reach the session as queued
// calls, and those are dropped here. So is any other call queued to the
// session (a zero-delay single shot with it as context): give those another
// context object.
class TManualTicks : public QObject {
public:
    explicit TManualTicks(QObject &session) : Session(&session) { Session->installEventFilter(this); }
    ~TManualTicks() override { Release(); }
    // The session's timer ticks on its own again.
    void Release()
    {
        if (Session)
            Session->removeEventFilter(this);
        Session = nullptr;
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::MetaCall; }

private:
    QObject *Session;
};
