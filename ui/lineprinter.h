#pragma once
// The printer as a text device: lines written one under the other from the
// top-left corner of the printable area, in one font. A line wider than the
// page goes on in the next row; when a row would begin within two row heights
// of the bottom of the page, it begins a new page instead. So the last row of
// every page stays free: it holds the footer (when printed, "Page n of m").
// Only the pages chosen in the printer dialog are printed.
//
//   ok = PrintLines(printer, font, lines, &error);

#include <QList>
#include <QSize>
#include <QStringList>

class QFont;
class QFontMetrics;
class QPrinter;

// The rows of each page, each row cut to the page's width; at least one page.
using TTextPages = QList<QStringList>;
TTextPages LayOutLines(const QStringList &lines, const QFontMetrics &metrics, const QSize &page);

// The whole job: opens the printer, writes the chosen pages and closes it,
// also after an error. False with the first error's message.
bool PrintLines(QPrinter &printer, const QFont &font, const QStringList &lines, QString *error);
