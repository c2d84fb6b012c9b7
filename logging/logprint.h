#pragma once
// The printed log: one page with the chart in the middle, the log comment
// below it at the left and the four channel labels, in their colours, at the
// right of the comment's line (channels 1 and 2 one line above 3 and 4).
//
// The footer (when printed, "Page 1 of 1") stands on the page's last line.
//
// What the window wires for Print1Click and the preview on the Log page:
//   RunPrintJob(printer, LogPrintout(*logPage->Chart, logPage->LblLogComment->text(),
//                                    labels from logPage->LblDig (text and colour), font()));
// Errors surface in an error message.

#include "ui/printjob.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>

class QCustomPlot;
class QCPPainter;
class QPrinter;

struct TLogPrintLabel {
    QString Text;
    QColor Colour;
};
using TLogPrintLabels = std::array<TLogPrintLabel, 4>;

// Where the parts of the page go, for a page w x h (printer pixels), the
// chart's size on screen, the text's line height and the widths of the four
// labels. The chart fills its rectangle laid out at a size of the same
// shape (ChartLayout), scaled alike both ways, so its text is not squashed.
// The labels stand in two columns (channels 1 and 3, then 2 and 4), at 10/12
// and 11/12 of the width as long as they fit, moved left as far as long
// labels need to end inside the chart's right margin; the comment runs from
// a sixth of the width up to the labels (CommentWidth; elided beyond).
struct TLogPageLayout {
    QRect Chart;
    QSize ChartLayout;
    QPoint Comment;
    int CommentWidth = 0;
    std::array<QPoint, 4> Labels{};
};
TLogPageLayout LayOutLogPage(const QSize &page, const QSize &chartOnScreen, int lineHeight,
                             const std::array<int, 4> &labelWidths, int gap);

// Draws the page into a device of the given size (printer pixels).
void PaintLogPage(QCPPainter &painter, const QRect &page, QCustomPlot &chart, const QString &comment,
                  const TLogPrintLabels &labels, const QFont &baseFont);

// Prints one page on an already set-up printer; false with a message for the
// user when the job cannot be started, fails part-way (the job is aborted) or
// cannot be finished.
bool PrintLog(QPrinter &printer, QCustomPlot &chart, const QString &comment, const TLogPrintLabels &labels,
              const QFont &baseFont, QString *error);

// The page as a printout; the chart must outlive it.
TPrintout LogPrintout(QCustomPlot &chart, const QString &comment, const TLogPrintLabels &labels,
                      const QFont &baseFont);

// The printer dialog through Prompts(), the hourglass and the print job.
// True when a page was printed.
bool PrintLogClick(QPrinter &printer, QCustomPlot &chart, const QString &comment, const TLogPrintLabels &labels,
                   const QFont &baseFont);
