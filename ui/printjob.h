#pragma once
// A print job as the operator sees it: the printer dialog (through Prompts()),
// the hourglass while the job runs, and the job's error in a message; or the
// preview of the same job. Both printouts (settings report and log) run
// through here, so they behave and fail alike.

#include <QString>
#include <functional>

class QPainter;
class QPrinter;

// Draws a printout on a printer (or the preview's); false with the message
// for the user when it could not.
using TPrintout = std::function<bool(QPrinter &printer, QString *error)>;

// What the job says when the printer cannot be opened, fails on the way or
// cannot be closed, or when the chosen page range holds none of its pages.
QString PrintJobNotStartedText();
QString PrintJobStoppedText();
QString PrintJobNotFinishedText();
QString PrintJobNoPageInRangeText();

// Shows the printer dialog; when the user goes on, runs print under the
// hourglass and shows its error, if any. True when the job printed; false
// when cancelled or failed.
bool RunPrintJob(QPrinter &printer, const TPrintout &print);

// Shows the preview of all pages, drawn by print itself, so it shows exactly
// what the job would print. An error while drawing is shown after the preview.
void RunPrintPreview(QPrinter &printer, const TPrintout &print);

// Whether page (from 1) is among those chosen in the printer dialog.
bool PageWanted(const QPrinter &printer, int page);

// Ends a job that failed part-way: aborts it where the printer can, ends the
// painter and hands on the reason. Always false.
bool AbortPrintJob(QPainter &painter, QPrinter &printer, const QString &reason, QString *error);
// Ends a job that went through; false with the message when it could not be
// finished.
bool EndPrintJob(QPainter &painter, QPrinter &printer, QString *error);
