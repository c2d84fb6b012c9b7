#pragma once
// The prompts seam on a terminal: messages go to standard error with the
// window's texts; a question is asked as y/N when standard input is a
// terminal, and without one it is answered No unless --yes was given; the
// file and printer dialogs take the file named on the command line; the
// passcode is the one given to the program, never shown; a settings
// transfer's progress goes to standard error when that is a terminal. No
// dialog is ever shown.

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

    // One line on standard error.
    static void Say(const QString &text);
    // Progress on standard error (overwriting itself), only when ShowProgress.
    void Progress(const QString &text) const;
    void EndProgress() const;
};
