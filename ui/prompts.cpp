#include "ui/prompts.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {
TWidgetPrompts DefaultPrompts;
TPrompts *Current = &DefaultPrompts;

QWidget *DialogParent() { return QApplication::activeWindow(); }

QString TitleOr(const QString &title)
{
    return title.isEmpty() ? QApplication::applicationName() : title;
}
} // namespace

TPrompts &Prompts() { return *Current; }

void SetPrompts(TPrompts *prompts) { Current = prompts ? prompts : &DefaultPrompts; }

void TWidgetPrompts::Message(const QString &text, Kind kind, const QString &title)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (kind) {
    case Kind::Plain: icon = QMessageBox::NoIcon; break;
    case Kind::Information: icon = QMessageBox::Information; break;
    case Kind::Warning: icon = QMessageBox::Warning; break;
    case Kind::Error: icon = QMessageBox::Critical; break;
    }
    QMessageBox box(icon, TitleOr(title), text, QMessageBox::Ok, DialogParent());
    box.exec();
}

bool TWidgetPrompts::Confirm(const QString &text, const QString &title, Kind kind)
{
    const QMessageBox::Icon icon = kind == Kind::Warning ? QMessageBox::Warning : QMessageBox::Question;
    QMessageBox box(icon, TitleOr(title), text, QMessageBox::Yes | QMessageBox::No,
                    DialogParent());
    return box.exec() == QMessageBox::Yes;
}

QString TWidgetPrompts::OpenFileName(const QString &title, const QString &directory, const QString &filter,
                                     QString *selectedFilter)
{
    return QFileDialog::getOpenFileName(DialogParent(), title, directory, filter, selectedFilter);
}

QString TWidgetPrompts::SaveFileName(const QString &title, const QString &directory, const QString &filter,
                                     QString *selectedFilter, Overwrite overwrite)
{
    const QFileDialog::Options options =
        overwrite == Overwrite::Replace ? QFileDialog::DontConfirmOverwrite : QFileDialog::Options();
    return QFileDialog::getSaveFileName(DialogParent(), title, directory, filter, selectedFilter, options);
}

bool TWidgetPrompts::PrinterSetup(QPrinter &printer)
{
    QPrintDialog dialog(&printer, DialogParent());
    return dialog.exec() == QDialog::Accepted;
}

void TWidgetPrompts::PrintPreview(QPrinter &printer, const std::function<void(QPrinter &)> &paint)
{
    QPrintPreviewDialog dialog(&printer, DialogParent());
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter *target) { paint(*target); });
    dialog.exec();
}

int TWidgetPrompts::Exec(QDialog &dialog) { return dialog.exec(); }

void TScriptedPrompts::Message(const QString &text, Kind kind, const QString &)
{
    History.push_back({Shown::Message, text, kind, {}});
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

TScopedPrompts::TScopedPrompts(TPrompts *prompts) : Previous(&Prompts()) { SetPrompts(prompts); }

TScopedPrompts::~TScopedPrompts() { SetPrompts(Previous); }
