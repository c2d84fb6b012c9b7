#pragma once
// What every instrument command of quenvale7400-cli shares: the connection
// (the window's stored settings, overridden by the command line), the
// session and the settings transfer the window uses, the two settings
// models, the exit status of a failure and the output of results.

#include "cli/interrupt.h"
#include "history/historyrecorder.h"
#include "link/session.h"
#include "settings/database.h"
#include "settings/transfer.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <memory>

struct TCliArgs;
class TTerminalPrompts;

enum TExitStatus : int {
    ExitDone = 0,
    ExitRefused = 1,     // the instrument refused, a check failed, a question was answered No, a signal
    ExitUsage = 2,
    ExitNoPort = 3,      // the port could not be opened
    ExitSilent = 4,      // the instrument did not answer (or not believably), or the line was lost
};

class TCliJob {
public:
    TCliJob(const TCliArgs &args, TTerminalPrompts &prompts);
    ~TCliJob();
    TCliJob(const TCliJob &) = delete;
    TCliJob &operator=(const TCliJob &) = delete;

    // Opens the port, runs the window's start-up sequence and asks the
    // instrument who it is (into EditModel); an answer that is no identity
    // (line noise at a wrong baud rate) fails as silence. ExitDone, or the
    // failure's status (said on standard error).
    int Connect();
    // Connect, then every setting read into both models, as Read Settings does.
    int ConnectAndRead();
    // Says an operation's failure on standard error, as the window would say
    // it (a text the operation has noted already is not said again), and
    // gives its exit status: ExitDone for an accepted outcome (also when a
    // signal came as it closed), else ExitRefused after a signal or a
    // question answered No, ExitSilent when the instrument did not answer
    // or the line was lost, ExitNoPort when there was no line, else
    // ExitRefused.
    int Finish(const TOutcome &outcome);
    int StatusOf(const TOutcome &outcome) const;
    // A failure the job found itself (a file, an answer): said, and kept as
    // the error of the --json failure object. Gives `status`.
    int Fail(int status, const QString &text);

    // A result on standard output: the JSON object with --json, else text
    // (nothing when text is empty).
    void Result(const QJsonObject &json, const QString &text) const;
    // Fields that go into the --json failure object (what a job cut short
    // did), and the failure's text for it.
    QJsonObject FailureFields;
    QString ErrorText() const;
    // A note on standard error (the window's status-bar notes).
    static void Note(const QString &text);
    // The port and line settings the viewer's connection settings hold.
    static QString StoredPort();
    static int StoredBaudRate();
    // Where the history is kept: QV_HISTORY, else the viewer's connection
    // settings.
    static QString StoredHistoryLocation();

    // The line as opened by Connect.
    int BaudRate() const { return Baud; }
    int DataBits() const { return Data; }
    int Parity() const { return ParityValue; }
    int StopBits() const { return Stop; }

    const TCliArgs &Args;
    TTerminalPrompts &Prompt;
    QString PortName;
    TInterrupt Interrupt;   // first in, last out: a signal is heard for the whole job
    TSession Session;
    Tdata7410 EditModel;
    Tdata7410 InstrumentModel;
    TSettingsTransfer Transfer;
    // Every job's history, as the window keeps it: opened by the first entry,
    // and off (said once on standard error) when it cannot be written.
    std::unique_ptr<THistoryRecorder> History;

private:
    int Baud = 0;
    int Data = 8;
    int ParityValue = 0;
    int Stop = 1;
    QString Error;
    QStringList TransferNotes;
};
