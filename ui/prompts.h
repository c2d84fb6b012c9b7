#pragma once
// The one door through which the program talks to the user modally: message
// boxes, questions, file and printer dialogs, the passcode, a progress to
// watch, and its own modal dialogs. The window installs its own prompts
// (real dialogs, app/windowprompts.h); the command-line program asks on the
// terminal; tests install TScriptedPrompts (ui/scriptedprompts.h), which
// answers from a script and records every text it was shown. Until one is installed, a headless
// default writes messages to standard error and answers every question with
// No or Cancel.
//
// No widgets here: the interface only names the dialog and printer types.

#include "ui/progress.h"

#include <QString>
#include <functional>
#include <optional>

class QDialog;
class QPrinter;

class TPrompts {
public:
    enum class Kind { Plain, Information, Warning, Error };
    // Whether a save dialog asks before a chosen file that exists is
    // replaced. Replace: for callers that write under a name of their own
    // making (another extension), where the dialog's question would name
    // the wrong file.
    enum class Overwrite { Ask, Replace };

    virtual ~TPrompts() = default;

    // A message with an OK button.
    virtual void Message(const QString &text, Kind kind = Kind::Plain, const QString &title = {}) = 0;
    // A message with this text that is still up has been overtaken (the
    // lost line is back): it goes, and its Message call returns as if OK
    // had been pressed. Nothing happens when none is shown.
    virtual void WithdrawMessage(const QString &text) { (void)text; }
    // A question with Yes and No; true for Yes. Kind::Warning shows the
    // warning sign, any other kind the question mark.
    virtual bool Confirm(const QString &text, const QString &title = {}, Kind kind = Kind::Plain) = 0;
    // File dialogs; an empty result means the user cancelled. The filter uses
    // Qt's form "Name (*.ext);;Other (*.x)". selectedFilter, when given, holds
    // the filter to preselect on entry and the one chosen on return.
    // directory may end in a file name, which is then suggested.
    virtual QString OpenFileName(const QString &title, const QString &directory, const QString &filter,
                                 QString *selectedFilter = nullptr) = 0;
    virtual QString SaveFileName(const QString &title, const QString &directory, const QString &filter,
                                 QString *selectedFilter = nullptr, Overwrite overwrite = Overwrite::Ask) = 0;
    // The printer set-up dialog; true when the user chose to print.
    virtual bool PrinterSetup(QPrinter &printer) = 0;
    // The print preview of all pages; paint draws them on the printer it is
    // given (the preview's), as often as the preview needs.
    virtual void PrintPreview(QPrinter &printer, const std::function<void(QPrinter &)> &paint) = 0;
    // Runs one of the program's own dialogs modally; returns QDialog's result.
    virtual int Exec(QDialog &dialog) = 0;
    // Shows an operation's progress modally until it has finished; the
    // operator's Cancel calls progress.Cancel. Returns once Finished is set.
    virtual void WatchProgress(TProgress &progress) = 0;
    // "Enter Passcode": the digits typed (at most six), or nothing when the
    // operator cancelled.
    virtual std::optional<QString> Passcode() = 0;
    // "Absolute mV/V Calibration": a zero or span signal in 0.0001 mV/V,
    // starting from `signal`; nothing when the operator cancelled.
    virtual std::optional<qint32> Signal(const QString &prompt, qint32 signal) = 0;
};

// The prompts in force. Never null: the headless default until someone
// installs another. Installing does not take ownership.
TPrompts &Prompts();
void SetPrompts(TPrompts *prompts);

// Installs prompts for the lifetime of the guard (tests).
class TScopedPrompts {
public:
    explicit TScopedPrompts(TPrompts *prompts);
    ~TScopedPrompts();
    TScopedPrompts(const TScopedPrompts &) = delete;
    TScopedPrompts &operator=(const TScopedPrompts &) = delete;

private:
    TPrompts *Previous;
};
