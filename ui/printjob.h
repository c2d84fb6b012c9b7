#pragma once
// A print job as the operator sees it: the printer dialog (through Prompts()),
// the hourglass while the job runs, and the job's error in a message. Both
// printouts (settings report and log) run through here, so they behave and
// fail alike.

#include <QString>
#include <functional>

class QPrinter;

// What the job says when the printer cannot be opened, fails on the way or
// cannot be closed.
QString PrintJobNotStartedText();
QString PrintJobStoppedText();
QString PrintJobNotFinishedText();

// Shows the printer dialog; when the user goes on, runs print under the
// hourglass and shows its error, if any. True when the job printed; false
// when cancelled or failed.
bool RunPrintJob(QPrinter &printer, const std::function<bool(QPrinter &printer, QString *error)> &print);
