#pragma once
// A scripted instrument on the far end of a pseudo-terminal: it reads the
// commands the viewer writes (whenever the event loop runs, including inside
// the viewer's nested waits), keeps the unit selection of "S%.2d;" and
// answers from a small table, optionally after a delay. Every command taken
// and every answer given is kept in order in Events.

#include "support/pty_peer.h"

#include <QElapsedTimer>
#include <QMap>
#include <QStringList>
#include <QTimer>

class TScriptedInstrument {
public:
    // Command (without ";") -> answer line (without CR LF).
    QMap<QString, QString> Answers{{"COF11", "0"}, {"ENU?", "2"}, {"MSV?", "   12.50,07,002"}, {"ESR?", "0000"}};
    int Address = 7;
    int AnswerDelayMs = 0;
    // ">" + command taken, "<" + answer written, in order.
    QStringList Events;
    qint64 CommandCount = 0;

    TScriptedInstrument()
    {
        Poller.setTimerType(Qt::PreciseTimer);
        Poller.setInterval(0);
        QObject::connect(&Poller, &QTimer::timeout, [this] { Serve(); });
        Poller.start();
    }

    TPtyPeer &Peer() { return Pty; }
    // Commands taken so far, in order, without their ";".
    QStringList Commands() const
    {
        QStringList out;
        for (const QString &e : Events)
            if (e.startsWith('>'))
                out << e.mid(1);
        return out;
    }
    void Forget()
    {
        Events.clear();
    }
    // Keeps the event log from growing without bound in long runs.
    bool KeepEvents = true;

private:
    void Serve()
    {
        Pending += Pty.Take();
        qsizetype end;
        while ((end = Pending.indexOf(';')) >= 0) {
            const QString command = QString::fromLatin1(Pending.left(end));
            Pending.remove(0, end + 1);
            Take(command);
        }
        if (!Delayed.isEmpty() && Clock.isValid() && Clock.elapsed() >= AnswerDelayMs) {
            for (const QString &line : std::as_const(Delayed))
                Write(line);
            Delayed.clear();
        }
    }
    void Take(const QString &command)
    {
        ++CommandCount;
        if (KeepEvents)
            Events << ">" + command;
        if (command.size() == 3 && command.startsWith('S') && command.mid(1).toInt() > 0) {
            const int unit = command.mid(1).toInt();
            Selected = unit == 99 || unit == Address;
            return;
        }
        if (!Selected || !Answers.contains(command))
            return;
        if (AnswerDelayMs <= 0) {
            Write(Answers.value(command));
            return;
        }
        Delayed << Answers.value(command);
        Clock.start();
    }
    void Write(const QString &line)
    {
        if (KeepEvents)
            Events << "<" + line;
        Pty.Write(line.toLatin1() + "\r\n");
    }

    TPtyPeer Pty;
    QTimer Poller;
    QByteArray Pending;
    QStringList Delayed;
    QElapsedTimer Clock;
    bool Selected = true;
};
