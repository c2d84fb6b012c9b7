#pragma once
// The printer as a text device: lines written one under the other from the
// top-left corner of the printable area, in one font. A line wider than the
// page goes on in the next line; when a line would begin within two line
// heights of the bottom of the page, it begins a new page instead.
//
//   TLinePrinter out;
//   ok = out.Open(printer, font, &error);       // begins the print job
//   for (...) ok = ok && out.WriteLine(line, &error);
//   ok = out.Close(ok ? &error : nullptr) && ok; // ends the job in every case

#include <QFont>
#include <QPainter>
#include <QString>
#include <QStringList>

class QPrinter;

class TLinePrinter {
public:
    TLinePrinter() = default;
    ~TLinePrinter();
    TLinePrinter(const TLinePrinter &) = delete;
    TLinePrinter &operator=(const TLinePrinter &) = delete;

    bool Open(QPrinter &printer, const QFont &font, QString *error);
    bool WriteLine(const QString &text, QString *error);
    // Ends the job; false (with the message) when it could not be finished.
    bool Close(QString *error);

private:
    QPrinter *Printer = nullptr;
    QPainter Painter;
    int Top = 0;   // where the next line begins, in printer pixels

    bool NextLineFits(int lineHeight) const;
    bool WriteRow(const QString &text, QString *error);
    int CharactersThatFit(const QString &text) const;
};

// The whole job: opens the printer, writes every line and closes it, also
// after an error. False with the first error's message.
bool PrintLines(QPrinter &printer, const QFont &font, const QStringList &lines, QString *error);
