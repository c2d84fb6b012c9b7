#include "ui/lineprinter.h"

#include "ui/printjob.h"

#include <QFontMetrics>
#include <QPrinter>

TLinePrinter::~TLinePrinter()
{
    if (Painter.isActive())
        Painter.end();
}

bool TLinePrinter::Open(QPrinter &printer, const QFont &font, QString *error)
{
    Printer = &printer;
    Top = 0;
    if (!Painter.begin(&printer)) {
        if (error)
            *error = PrintJobNotStartedText();
        return false;
    }
    Painter.setFont(font);
    Painter.setPen(Qt::black);
    return true;
}

bool TLinePrinter::WriteLine(const QString &text, QString *error)
{
    // An empty line still takes a line's height.
    QString rest = text;
    do {
        const int fit = CharactersThatFit(rest);
        if (!WriteRow(rest.left(fit), error))
            return false;
        rest.remove(0, fit);
    } while (!rest.isEmpty());
    return true;
}

bool TLinePrinter::Close(QString *error)
{
    if (!Painter.isActive())
        return true;
    if (!Painter.end() || Printer->printerState() == QPrinter::Error) {
        if (error)
            *error = PrintJobNotFinishedText();
        return false;
    }
    return true;
}

bool TLinePrinter::NextLineFits(int lineHeight) const { return Top + 2 * lineHeight <= Printer->height(); }

bool TLinePrinter::WriteRow(const QString &text, QString *error)
{
    const QFontMetrics metrics = Painter.fontMetrics();
    const int lineHeight = metrics.height();
    if (Top > 0 && !NextLineFits(lineHeight)) {
        if (!Printer->newPage()) {
            if (error)
                *error = PrintJobStoppedText();
            return false;
        }
        Top = 0;
    }
    Painter.drawText(0, Top + metrics.ascent(), text);
    Top += lineHeight;
    if (Printer->printerState() == QPrinter::Error) {
        if (error)
            *error = PrintJobStoppedText();
        return false;
    }
    return true;
}

// At least one character per row, so a page narrower than one character
// still gets through the text.
int TLinePrinter::CharactersThatFit(const QString &text) const
{
    const QFontMetrics metrics = Painter.fontMetrics();
    const int width = Printer->width();
    int fit = int(text.size());
    while (fit > 1 && metrics.horizontalAdvance(text.left(fit)) > width)
        --fit;
    return std::max(fit, 1);
}

bool PrintLines(QPrinter &printer, const QFont &font, const QStringList &lines, QString *error)
{
    TLinePrinter out;
    bool ok = out.Open(printer, font, error);
    for (qsizetype i = 0; ok && i < lines.size(); ++i)
        ok = out.WriteLine(lines.at(i), error);
    // The first error is the one to tell; the job is ended either way.
    const bool closed = out.Close(ok ? error : nullptr);
    return ok && closed;
}
