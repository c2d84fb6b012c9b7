#include "ui/lineprinter.h"

#include "ui/pagefooter.h"
#include "ui/printjob.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

namespace {

// At least one character per row, so a page narrower than one character
// still gets through the text.
qsizetype CharactersThatFit(const QString &text, const QFontMetrics &metrics, int width)
{
    qsizetype fit = text.size();
    while (fit > 1 && metrics.horizontalAdvance(text.left(fit)) > width)
        --fit;
    return std::max<qsizetype>(fit, 1);
}

// The first row always fits; each further one when it ends a row height
// above the bottom.
int RowsPerPage(int rowHeight, int pageHeight) { return std::max(1, pageHeight / std::max(rowHeight, 1) - 1); }

void DrawRows(QPainter &painter, const QStringList &rows)
{
    const QFontMetrics metrics = painter.fontMetrics();
    int top = 0;
    for (const QString &row : rows) {
        painter.drawText(0, top + metrics.ascent(), row);
        top += metrics.height();
    }
}

bool AnyPageWanted(const QPrinter &printer, qsizetype pages)
{
    for (int page = 1; page <= pages; ++page)
        if (PageWanted(printer, page))
            return true;
    return false;
}

} // namespace

TTextPages LayOutLines(const QStringList &lines, const QFontMetrics &metrics, const QSize &page)
{
    const int rowsPerPage = RowsPerPage(metrics.height(), page.height());
    TTextPages pages(1);
    auto addRow = [&](const QString &row) {
        if (pages.last().size() >= rowsPerPage)
            pages.append(QStringList());
        pages.last().append(row);
    };
    for (const QString &line : lines) {
        // An empty line still takes a row.
        QString rest = line;
        do {
            const qsizetype fit = CharactersThatFit(rest, metrics, page.width());
            addRow(rest.left(fit));
            rest.remove(0, fit);
        } while (!rest.isEmpty());
    }
    return pages;
}

bool PrintLines(QPrinter &printer, const QFont &font, const QStringList &lines, QString *error)
{
    const QSize pageSize(printer.width(), printer.height());
    const TTextPages pages = LayOutLines(lines, QFontMetrics(font, &printer), pageSize);
    if (!AnyPageWanted(printer, pages.size())) {
        if (error)
            *error = PrintJobNoPageInRangeText();
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error)
            *error = PrintJobNotStartedText();
        return false;
    }
    painter.setFont(font);
    painter.setPen(Qt::black);
    const TPageFooter footer(QDateTime::currentDateTime(), int(pages.size()));
    bool firstPrinted = true;
    for (int page = 1; page <= pages.size(); ++page) {
        if (!PageWanted(printer, page))
            continue;
        if (!firstPrinted && !printer.newPage())
            return AbortPrintJob(painter, printer, PrintJobStoppedText(), error);
        firstPrinted = false;
        DrawRows(painter, pages.at(page - 1));
        footer.Draw(painter, QRect(QPoint(0, 0), pageSize), page);
        if (printer.printerState() == QPrinter::Error)
            return AbortPrintJob(painter, printer, PrintJobStoppedText(), error);
    }
    return EndPrintJob(painter, printer, error);
}
