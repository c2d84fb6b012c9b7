#pragma once
// How an exchange with the instrument, or an operation made of exchanges,
// ended. The core classes return outcomes and say nothing themselves; the
// window shows a failure once (TFrmMain::Report), the command-line program
// turns it into its exit status and a message on standard error.
//
// A failure's text comes from here: the standard texts by kind, or the text
// an operation gave it where it knows better (which setting was refused,
// why a calibration file cannot be used).

#include <QString>
#include <QStringList>

class TOutcome {
public:
    enum class TKind {
        Accepted,     // done: answered, or the operation completed
        Refused,      // the instrument answered "?"
        Silent,       // no answer in time
        NotConnected, // the link was closed before anything was sent
        PortLost,     // the line went away during the operation
        Cancelled,    // the operator cancelled or answered No
        Busy,         // another exchange or operation holds the line
        Failed,       // a check failed (a file, a value, a reply that makes no sense)
    };
    // How a message box shows the text.
    enum class TSeverity { Plain, Information, Warning, Error };

    TOutcome() = default;
    static TOutcome Accept() { return TOutcome(TKind::Accepted); }
    static TOutcome Refuse(const QString &command) { return TOutcome(TKind::Refused).About(command); }
    static TOutcome Silence(const QString &command) { return TOutcome(TKind::Silent).About(command); }
    static TOutcome Closed() { return TOutcome(TKind::NotConnected); }
    static TOutcome Lost() { return TOutcome(TKind::PortLost); }
    static TOutcome Cancel() { return TOutcome(TKind::Cancelled); }
    static TOutcome LineBusy() { return TOutcome(TKind::Busy); }
    static TOutcome Fail(const QString &text, TSeverity severity = TSeverity::Warning)
    {
        return TOutcome(TKind::Failed).Saying(text, severity);
    }

    TKind Kind() const { return OutcomeKind; }
    bool Ok() const { return OutcomeKind == TKind::Accepted; }
    explicit operator bool() const { return Ok(); }
    bool Is(TKind kind) const { return OutcomeKind == kind; }

    // The command the instrument refused or left unanswered, as sent (a
    // passcode's digits masked).
    const QString &Command() const { return FailedCommand; }
    TOutcome &About(const QString &command);

    // What the operator is told: the operation's own text, else the
    // standard one for the kind. Empty where nothing is to be said: a
    // success without a note, a cancel, a lost port (said when it was lost).
    QString Text() const;
    TSeverity Severity() const;
    // The operation's own wording for this outcome (its box's severity).
    TOutcome &Saying(const QString &text, TSeverity severity);
    // An operation that completed and has something to say in a box ("The
    // instrument already holds these settings.").
    static TOutcome AcceptSaying(const QString &text)
    {
        return TOutcome(TKind::Accepted).Saying(text, TSeverity::Information);
    }

    // What was done before the operation stopped: the lines that reached
    // the instrument and were accepted.
    QStringList Done;

    // The standard texts.
    static const QString &NotRespondingText();   // "Instrument not responding"
    static const QString &InvalidSettingText();  // "Invalid Setting"
    static const QString &NotConnectedText();    // "Instrument not Connected"
    static const QString &BusyText();

private:
    explicit TOutcome(TKind kind) : OutcomeKind(kind) {}

    TKind OutcomeKind = TKind::Accepted;
    QString FailedCommand;
    QString OwnText;
    TSeverity OwnSeverity = TSeverity::Plain;
    bool HasOwnText = false;
};

// Tells the operator: the outcome's text in a message box of its severity,
// once; nothing when it has no text. For the window and its pages; the
// core classes never call it.
void Tell(const TOutcome &outcome);

// A text as it may be shown or kept: the digits of every passcode command
// ("PCD" and digits) replaced by "****". Every other text unchanged.
QString MaskPasscode(const QString &command);
