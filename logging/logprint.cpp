#include "logging/logprint.h"

#include "ui/pagefooter.h"
#include "ui/printjob.h"

#include <QDateTime>

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <qcustomplot.h>

TLogPageLayout LayOutLogPage(const QSize &page, const QSize &chartOnScreen, int lineHeight,
                             const std::array<int, 4> &labelWidths, int gap)
{
    const int w = page.width();
    const int h = page.height();
    TLogPageLayout layout;
    layout.Chart = QRect(QPoint(w / 20, h / 10), QPoint(w - w / 20, h - h / 10));
    const int cw = std::max(chartOnScreen.width(), 100);
    layout.ChartLayout = QSize(cw, std::max(1, int(std::lround(double(cw) * layout.Chart.height()
                                                                / std::max(layout.Chart.width(), 1)))));
    const int bottom = h - h / 20;
    const int first = std::max(labelWidths[0], labelWidths[2]);
    const int second = std::max(labelWidths[1], labelWidths[3]);
    const int step = std::max(w / 12, first + gap);
    const int right = w - w / 20;
    const int x1 = std::min(10 * w / 12, right - step - second);
    layout.Labels = {QPoint(x1, bottom - lineHeight), QPoint(x1 + step, bottom - lineHeight), QPoint(x1, bottom),
                     QPoint(x1 + step, bottom)};
    layout.Comment = QPoint(w / 6, bottom);
    layout.CommentWidth = std::max(0, x1 - gap - w / 6);
    return layout;
}

void PaintLogPage(QCPPainter &painter, const QRect &page, QCustomPlot &chart, const QString &comment,
                  const TLogPrintLabels &labels, const QFont &baseFont)
{
    const int w = page.width();
    painter.save();
    painter.translate(page.topLeft());

    QFont font = baseFont;
    font.setFamily(QStringLiteral("Arial"));
    font.setPointSize(16);
    font.setBold(false);
    font.setItalic(false);
    // Long labels on a narrow page: a smaller size, down to 8 points, until
    // they leave the comment a third of the page.
    TLogPageLayout layout;
    for (;;) {
        const QFontMetrics metrics(font, painter.device());
        std::array<int, 4> widths{};
        for (size_t i = 0; i < labels.size(); ++i)
            widths[i] = metrics.horizontalAdvance(labels[i].Text);
        layout = LayOutLogPage(page.size(), chart.size(), metrics.height(), widths, metrics.horizontalAdvance(u'M'));
        if (layout.Labels[0].x() >= w / 2 || font.pointSize() <= 8)
            break;
        font.setPointSize(font.pointSize() - 1);
    }
    painter.setFont(font);
    const QFontMetrics metrics(font, painter.device());

    // Texts stand with their top-left corner at the given point.
    auto text = [&](QPoint at, const QString &s) { painter.drawText(at.x(), at.y() + metrics.ascent(), s); };
    painter.setPen(Qt::black);
    text(layout.Comment, metrics.elidedText(comment, Qt::ElideRight, layout.CommentWidth));
    for (size_t i = 0; i < labels.size(); ++i) {
        painter.setPen(labels[i].Colour.isValid() ? labels[i].Colour : QColor(Qt::black));
        text(layout.Labels[i], labels[i].Text);
    }

    // The chart is laid out at a size of its rectangle's shape and scaled
    // alike both ways into it, so fonts and lines keep their proportions on
    // paper. Drawn, not copied from the screen's buffer: lines stay sharp.
    const double scale = double(layout.Chart.width()) / layout.ChartLayout.width();
    painter.translate(layout.Chart.topLeft());
    painter.scale(scale, scale);
    chart.toPainter(&painter, layout.ChartLayout.width(), layout.ChartLayout.height());
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
