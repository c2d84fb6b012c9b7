#pragma once
// The one door through which the program talks to the user modally: message
// boxes, questions, file and printer dialogs, and its own modal dialogs.
// The running program uses TWidgetPrompts; tests install TScriptedPrompts,
// which answers from a script and records every text it was shown.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QDialog;
class QPrinter;
class QWidget;

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
};

// The prompts in force. Never null: a TWidgetPrompts until someone installs
// another. Installing does not take ownership.
TPrompts &Prompts();
void SetPrompts(TPrompts *prompts);

// Real modal dialogs on screen.
class TWidgetPrompts : public TPrompts {
public:
    void Message(const QString &text, Kind kind, const QString &title) override;
    bool Confirm(const QString &text, const QString &title, Kind kind) override;
    QString OpenFileName(const QString &title, const QString &directory, const QString &filter,
                         QString *selectedFilter) override;
    QString SaveFileName(const QString &title, const QString &directory, const QString &filter,
                         QString *selectedFilter, Overwrite overwrite) override;
    bool PrinterSetup(QPrinter &printer) override;
    void PrintPreview(QPrinter &printer, const std::function<void(QPrinter &)> &paint) override;
    int Exec(QDialog &dialog) override;
};

// Scripted answers for tests. Every text shown is appended to Shown (messages
// and questions) so tests assert on exact wording. Queues that run empty give
// the "cancel" answer: No, an empty file name, no printing, QDialog::Rejected.
class TScriptedPrompts : public TPrompts {
public:
    struct Shown {
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
    // Runs while a message is "on screen", after it was recorded: what the
    // user's event loop would do before pressing OK (ticks, received bytes,
    // another command).
    std::function<void()> WhileMessageShown;
    // What the user sets in the printer dialog before choosing to print (a
    // PDF file, a page size).
    std::function<void(QPrinter &)> WhilePrinterShown;

    void Message(const QString &text, Kind kind, const QString &title) override;
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

    // The texts of all messages shown so far, oldest first.
    QStringList Messages() const;
    // The texts of all questions asked so far.
    QStringList Questions() const;
    void Clear() { History.clear(); }
};

// Installs a TScriptedPrompts for the lifetime of the guard (tests).
class TScopedPrompts {
public:
    explicit TScopedPrompts(TPrompts *prompts);
    ~TScopedPrompts();
    TScopedPrompts(const TScopedPrompts &) = delete;
    TScopedPrompts &operator=(const TScopedPrompts &) = delete;

private:
    TPrompts *Previous;
};
