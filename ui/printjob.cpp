#include "ui/printjob.h"

#include "ui/prompts.h"

#include <QApplication>

QString PrintJobNotStartedText() { return QStringLiteral("The print job could not be started."); }
QString PrintJobStoppedText() { return QStringLiteral("The printer stopped in the middle of the print job."); }
QString PrintJobNotFinishedText() { return QStringLiteral("The print job could not be finished."); }

bool RunPrintJob(QPrinter &printer, const std::function<bool(QPrinter &printer, QString *error)> &print)
{
    if (!Prompts().PrinterSetup(printer))
        return false;
    if (qApp)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool ok = print(printer, &error);
    if (qApp)
        QApplication::restoreOverrideCursor();
    if (!ok)
        Prompts().Message(error, TPrompts::Kind::Error);
    return ok;
}
