#pragma once
// What every instrument command of quenvale7400-cli shares: the connection
// (the window's stored settings, overridden by the command line), the
// session and the settings transfer the window uses, the two settings
// models, the exit status of a failure and the output of results.

#include "cli/interrupt.h"
#include "link/session.h"
#include "settings/database.h"
#include "settings/transfer.h"

#include <QJsonObject>
#include <QString>

struct TCliArgs;
class TTerminalPrompts;

enum TExitStatus : int {
    ExitDone = 0,
    ExitRefused = 1,     // the instrument refused, a check failed, a question was answered No
    ExitUsage = 2,
    ExitNoPort = 3,      // the port could not be opened
    ExitSilent = 4,      // the instrument did not answer
};

class TCliJob {
public:
    TCliJob(const TCliArgs &args, TTerminalPrompts &prompts);
    ~TCliJob();
    TCliJob(const TCliJob &) = delete;
    TCliJob &operator=(const TCliJob &) = delete;

    // Opens the port, runs the window's start-up sequence and asks the
    // instrument who it is (into EditModel). ExitDone, ExitNoPort or the
    // failure's status (said on standard error).
    int Connect();
    // Connect, then every setting read into both models, as Read Settings does.
    int ConnectAndRead();
    // Says an operation's failure on standard error, as the window would say
    // it, and gives its exit status: ExitDone for an accepted outcome (its
    // note said), ExitSilent when the instrument did not answer or the line
    // was lost, ExitNoPort when there was no line, else ExitRefused (also
    // after Ctrl+C or a question answered No).
    int Finish(const TOutcome &outcome);
    int StatusOf(const TOutcome &outcome) const;

    // A result on standard output: the JSON object with --json, else text
    // (nothing when text is empty).
    void Result(const QJsonObject &json, const QString &text) const;
    // A note on standard error (the window's status-bar notes).
    static void Note(const QString &text);
    // The port and baud rate the viewer's connection settings hold.
    static QString StoredPort();
    static int StoredBaudRate();

    const TCliArgs &Args;
    TTerminalPrompts &Prompt;
    QString PortName;
    TInterrupt Interrupt;   // first in, last out: Ctrl+C is heard for the whole job
    TSession Session;
    Tdata7410 EditModel;
    Tdata7410 InstrumentModel;
    TSettingsTransfer Transfer;

};
