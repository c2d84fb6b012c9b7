#include "ui/widgetprompts.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

QWidget *DialogParent() { return QApplication::activeWindow(); }

QString TitleOr(const QString &title)
{
    return title.isEmpty() ? QApplication::applicationName() : title;
}

} // namespace

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
    OpenMessages.append(&box);
    box.exec();
    OpenMessages.removeAll(&box);
}

void TWidgetPrompts::WithdrawMessage(const QString &text)
{
    for (const QPointer<QMessageBox> &box : std::as_const(OpenMessages))
        if (box && box->text() == text)
            box->done(QMessageBox::Ok);
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

