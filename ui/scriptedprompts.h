#pragma once
// Scripted prompts for tests: answers from queues, every text recorded.

#include "ui/prompts.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

// Scripted answers for tests. Every text shown is appended to Shown (messages
// and questions) so tests assert on exact wording. Queues that run empty give
// the "cancel" answer: No, an empty file name, no printing, QDialog::Rejected.
class TScriptedPrompts : public TPrompts {
public:
    struct Shown {
        // Dialog: one of the program's dialogs, a progress watched, the
        // passcode or the mV/V signal asked for (text: its title).
        enum Type { Message, Confirm, OpenFile, SaveFile, Printer, Preview, Dialog } type;
        QString text;   // message text, question, dialog title or window title
        Kind kind = Kind::Plain;
        QString directory;  // file dialogs: the folder or name suggested
    };

    std::vector<Shown> History;
    std::deque<bool> ConfirmAnswers;
    std::deque<QString> FileAnswers;
    std::deque<bool> PrinterAnswers;
    // Each entry gets the dialog (already created, not yet shown) and returns
    // the result to report; it may set the dialog's controls first.
    std::deque<std::function<int(QDialog &)>> DialogAnswers;
    // Answers to Passcode (nothing: cancelled) and Signal, in turn; empty
    // queues cancel.
    std::deque<std::optional<QString>> PasscodeAnswers;
    std::deque<std::optional<qint32>> SignalAnswers;
    // Each entry watches one progress to its end (it may tick the operation
    // itself, or cancel it); without one the event loop runs until the
    // operation has finished.
    std::deque<std::function<void(TProgress &)>> ProgressAnswers;
    // Runs while a message is "on screen", after it was recorded: what the
    // user's event loop would do before pressing OK (ticks, received bytes,
    // another command).
    std::function<void()> WhileMessageShown;
    // What the user sets in the printer dialog before choosing to print (a
    // PDF file, a page size).
    std::function<void(QPrinter &)> WhilePrinterShown;

    void Message(const QString &text, Kind kind, const QString &title) override;
    // Recorded in Withdrawn.
    void WithdrawMessage(const QString &text) override { Withdrawn << text; }
    QStringList Withdrawn;
    bool Confirm(const QString &text, const QString &title, Kind kind) override;
    QString OpenFileName(const QString &title, const QString &directory, const QString &filter,
                         QString *selectedFilter) override;
    QString SaveFileName(const QString &title, const QString &directory, const QString &filter,
                         QString *selectedFilter, Overwrite overwrite) override;
    bool PrinterSetup(QPrinter &printer) override;
    // Records the preview and draws it once on the printer as it stands (a
    // PDF file set by WhilePrinterShown shows what the preview showed).
    void PrintPreview(QPrinter &printer, const std::function<void(QPrinter &)> &paint) override;
    int Exec(QDialog &dialog) override;
    void WatchProgress(TProgress &progress) override;
    std::optional<QString> Passcode() override;
    std::optional<qint32> Signal(const QString &prompt, qint32 signal) override;

    // Strict: a message whose text is not among ExpectedMessages is a fault
    // of the program, reported to Unexpected (a test fails there). Every
    // expected text may be shown any number of times.
    bool Strict = false;
    QStringList ExpectedMessages;
    std::function<void(const QString &text)> Unexpected;
    void Expect(const QString &text)
    {
        Strict = true;
        ExpectedMessages << text;
    }

    // The texts of all messages shown so far, oldest first.
    QStringList Messages() const;
    // The texts of all questions asked so far.
    QStringList Questions() const;
    void Clear() { History.clear(); }
};

