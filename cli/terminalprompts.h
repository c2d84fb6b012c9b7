#pragma once
// The prompts seam on a terminal: messages go to standard error with the
// window's texts, after the program's name; a question is asked as y/N when
// standard input is a terminal, and without one it is answered No unless
// --yes was given; the file and printer dialogs take the file named on the
// command line; the passcode is the one given to the program, or typed on
// the terminal without echo, never shown; a settings transfer's progress
// goes to standard error when that is a terminal. No dialog is ever shown.
// A signal while a question waits answers it No.

#include "ui/prompts.h"

class TTerminalPrompts : public TPrompts {
public:
    QString FileAnswer;     // the file of the command line
    QString GivenPasscode;  // digits, or empty
    bool AssumeYes = false;
    bool ShowProgress = false;
    // A question was answered No: the job stops with "refused".
    bool Declined = false;

    void Message(const QString &text, Kind kind, const QString &title) override;
    bool Confirm(const QString &text, const QString &title, Kind kind) override;
    QString OpenFileName(const QString &title, const QString &directory, const QString &filter,
                         QString *selectedFilter) override;
    QString SaveFileName(const QString &title, const QString &directory, const QString &filter,
                         QString *selectedFilter, Overwrite overwrite) override;
    bool PrinterSetup(QPrinter &printer) override;
    void PrintPreview(QPrinter &printer, const std::function<void(QPrinter &)> &paint) override;
    int Exec(QDialog &dialog) override;
    void WatchProgress(TProgress &progress) override;
    std::optional<QString> Passcode() override;
    std::optional<qint32> Signal(const QString &prompt, qint32 signal) override;

    // A message on standard error, each line after the program's name.
    static void Say(const QString &text);
    // The last message said (what a failure under --json names).
    static QString LastSaid();
    // Paths as the user should read them in messages: a temporary file that
    // stands for standard input or output is named so.
    static void ShowPathAs(const QString &path, const QString &shown);
    static QString Shown(QString text);
    // One line typed on standard input (or piped), without its line end;
    // nothing at the end of the input or when a signal came first.
    static std::optional<QByteArray> ReadLine();
    // Progress on standard error (overwriting itself), only when ShowProgress.
    void Progress(const QString &text) const;
    void EndProgress() const;
};
