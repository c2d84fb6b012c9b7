#include "ui/scriptedprompts.h"

#include <QDialog>

namespace {

// The next answer of a queue; nothing (cancel) once it has run empty.
template <typename T> std::optional<T> Next(std::deque<std::optional<T>> &answers)
{
    std::optional<T> answer;
    if (!answers.empty()) {
        answer.swap(answers.front());
        answers.pop_front();
    }
    return answer;
}

} // namespace

void TScriptedPrompts::Message(const QString &text, Kind kind, const QString &)
{
    History.push_back({Shown::Message, text, kind, {}});
    if (Strict && !ExpectedMessages.contains(text) && Unexpected)
        Unexpected(text);
    if (WhileMessageShown)
        WhileMessageShown();
}

bool TScriptedPrompts::Confirm(const QString &text, const QString &, Kind kind)
{
    History.push_back({Shown::Confirm, text, kind, {}});
    if (ConfirmAnswers.empty())
        return false;
    const bool answer = ConfirmAnswers.front();
    ConfirmAnswers.pop_front();
    return answer;
}

QString TScriptedPrompts::OpenFileName(const QString &title, const QString &directory, const QString &, QString *)
{
    History.push_back({Shown::OpenFile, title, Kind::Plain, directory});
    if (FileAnswers.empty())
        return {};
    QString answer = FileAnswers.front();
    FileAnswers.pop_front();
    return answer;
}

QString TScriptedPrompts::SaveFileName(const QString &title, const QString &directory, const QString &, QString *,
                                       Overwrite)
{
    History.push_back({Shown::SaveFile, title, Kind::Plain, directory});
    if (FileAnswers.empty())
        return {};
    QString answer = FileAnswers.front();
    FileAnswers.pop_front();
    return answer;
}

bool TScriptedPrompts::PrinterSetup(QPrinter &printer)
{
    History.push_back({Shown::Printer, QString(), Kind::Plain, {}});
    if (WhilePrinterShown)
        WhilePrinterShown(printer);
    if (PrinterAnswers.empty())
        return false;
    const bool answer = PrinterAnswers.front();
    PrinterAnswers.pop_front();
    return answer;
}

void TScriptedPrompts::PrintPreview(QPrinter &printer, const std::function<void(QPrinter &)> &paint)
{
    History.push_back({Shown::Preview, QString(), Kind::Plain, {}});
    paint(printer);
}

int TScriptedPrompts::Exec(QDialog &dialog)
{
    History.push_back({Shown::Dialog, dialog.windowTitle(), Kind::Plain, {}});
    if (DialogAnswers.empty())
        return QDialog::Rejected;
    auto answer = std::move(DialogAnswers.front());
    DialogAnswers.pop_front();
    return answer(dialog);
}

void TScriptedPrompts::WatchProgress(TProgress &progress)
{
    History.push_back({Shown::Dialog, progress.Caption, Kind::Plain, {}});
    if (ProgressAnswers.empty()) {
        WaitUntilFinished(progress);
        return;
    }
    auto answer = std::move(ProgressAnswers.front());
    ProgressAnswers.pop_front();
    answer(progress);
    // Whatever the answer did, the operation must have ended when this
    // returns, as it has when a real dialog closes.
    if (!progress.Finished && progress.Cancel)
        progress.Cancel();
    WaitUntilFinished(progress);
}

std::optional<QString> TScriptedPrompts::Passcode()
{
    History.push_back({Shown::Dialog, QStringLiteral("Enter Passcode"), Kind::Plain, {}});
    return Next(PasscodeAnswers);
}

std::optional<qint32> TScriptedPrompts::Signal(const QString &prompt, qint32)
{
    History.push_back({Shown::Dialog, prompt, Kind::Plain, {}});
    return Next(SignalAnswers);
}

QStringList TScriptedPrompts::Messages() const
{
    QStringList texts;
    for (const Shown &shown : History)
        if (shown.type == Shown::Message)
            texts << shown.text;
    return texts;
}

QStringList TScriptedPrompts::Questions() const
{
    QStringList texts;
    for (const Shown &shown : History)
        if (shown.type == Shown::Confirm)
            texts << shown.text;
    return texts;
}

