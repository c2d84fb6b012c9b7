#include "logging/logprint.h"

#include "ui/pagefooter.h"
#include "ui/printjob.h"

#include <QDateTime>

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <qcustomplot.h>

void PaintLogPage(QCPPainter &painter, const QRect &page, QCustomPlot &chart, const QString &comment,
                  const TLogPrintLabels &labels, const QFont &baseFont)
{
    const int w = page.width();
    const int h = page.height();
    painter.save();
    painter.translate(page.topLeft());

    QFont font = baseFont;
    font.setFamily(QStringLiteral("Arial"));
    font.setPointSize(16);
    font.setBold(false);
    font.setItalic(false);
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());
    const int lineHeight = metrics.height();
    const int bottom = h - h / 20;

    // Texts stand with their top-left corner at the given point.
    auto text = [&](int x, int y, const QString &s) { painter.drawText(x, y + metrics.ascent(), s); };
    painter.setPen(Qt::black);
    text(w / 6, bottom, comment);
    const int left = 10 * w / 12;
    const int right = left + w / 12;
    const QPoint at[4] = {{left, bottom - lineHeight}, {right, bottom - lineHeight}, {left, bottom}, {right, bottom}};
    for (size_t i = 0; i < labels.size(); ++i) {
        painter.setPen(labels[i].Colour.isValid() ? labels[i].Colour : QColor(Qt::black));
        text(at[i].x(), at[i].y(), labels[i].Text);
    }

    // The chart is laid out at its size on screen and scaled into its
    // rectangle, so fonts and lines keep their proportions on paper.
    const QRect area(QPoint(w / 20, h / 10), QPoint(w - w / 20, h - h / 10));
    const int cw = std::max(chart.width(), 100);
    const int ch = std::max(chart.height(), 100);
    painter.translate(area.topLeft());
    painter.scale(double(area.width()) / cw, double(area.height()) / ch);
    // Drawn, not copied from the screen's buffer: lines stay sharp on paper.
    chart.toPainter(&painter, cw, ch);
    painter.restore();
}

bool PrintLog(QPrinter &printer, QCustomPlot &chart, const QString &comment, const TLogPrintLabels &labels,
              const QFont &baseFont, QString *error)
{
    if (!PageWanted(printer, 1)) {
        if (error)
            *error = PrintJobNoPageInRangeText();
        return false;
    }
    QCPPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = PrintJobNotStartedText();
        return false;
    }
    const QRect page(QPoint(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    PaintLogPage(painter, page, chart, comment, labels, baseFont);
    TPageFooter(QDateTime::currentDateTime(), 1).Draw(painter, page, 1);
    if (printer.printerState() == QPrinter::Error)
        return AbortPrintJob(painter, printer, PrintJobStoppedText(), error);
    return EndPrintJob(painter, printer, error);
}

TPrintout LogPrintout(QCustomPlot &chart, const QString &comment, const TLogPrintLabels &labels,
                      const QFont &baseFont)
{
    return [&chart, comment, labels, baseFont](QPrinter &printer, QString *error) {
        return PrintLog(printer, chart, comment, labels, baseFont, error);
    };
}

bool PrintLogClick(QPrinter &printer, QCustomPlot &chart, const QString &comment, const TLogPrintLabels &labels,
                   const QFont &baseFont)
{
    return RunPrintJob(printer, LogPrintout(chart, comment, labels, baseFont));
}
