#include "ui/printjob.h"

#include "ui/prompts.h"

#include <QApplication>
#include <QPainter>
#include <QPrinter>

QString PrintJobNotStartedText() { return QStringLiteral("The print job could not be started."); }
QString PrintJobStoppedText() { return QStringLiteral("The printer stopped in the middle of the print job."); }
QString PrintJobNotFinishedText() { return QStringLiteral("The print job could not be finished."); }
QString PrintJobNoPageInRangeText() { return QStringLiteral("None of the printout's pages is in the chosen range."); }

namespace {
bool PrintUnderHourglass(QPrinter &printer, const TPrintout &print, QString *error)
{
    if (qApp)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = print(printer, error);
    if (qApp)
        QApplication::restoreOverrideCursor();
    return ok;
}
} // namespace

bool RunPrintJob(QPrinter &printer, const TPrintout &print)
{
    if (!Prompts().PrinterSetup(printer))
        return false;
    QString error;
    const bool ok = PrintUnderHourglass(printer, print, &error);
    if (!ok)
        Prompts().Message(error, TPrompts::Kind::Error);
    return ok;
}

void RunPrintPreview(QPrinter &printer, const TPrintout &print)
{
    // A range chosen for the last print would hide pages from the preview.
    printer.setPrintRange(QPrinter::AllPages);
    QString firstError;
    Prompts().PrintPreview(printer, [&](QPrinter &target) {
        QString error;
        if (!PrintUnderHourglass(target, print, &error) && firstError.isEmpty())
            firstError = error;
    });
    if (!firstError.isEmpty())
        Prompts().Message(firstError, TPrompts::Kind::Error);
}

bool PageWanted(const QPrinter &printer, int page)
{
    if (printer.printRange() != QPrinter::PageRange)
        return true;
    const QPageRanges ranges = printer.pageRanges();
    return ranges.isEmpty() || ranges.contains(page);
}

bool AbortPrintJob(QPainter &painter, QPrinter &printer, const QString &reason, QString *error)
{
    printer.abort();
    if (painter.isActive())
        painter.end();
    if (error)
        *error = reason;
    return false;
}

bool EndPrintJob(QPainter &painter, QPrinter &printer, QString *error)
{
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        if (error)
            *error = PrintJobNotFinishedText();
        return false;
    }
    return true;
}
