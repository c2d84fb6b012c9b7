#pragma once
// One command as the simulated instrument reads it, and the value list of a
// write. Deliberately independent of the viewer's reply parser, so that a
// fault in one is not hidden by the same fault in the other.

#include <QList>
#include <QString>
#include <optional>

struct TSimCommand {
    QString Text;      // as received, without its terminator
    QString Mnemonic;  // "MSV", "IAD", "S" (unit selection), "Kz" (key), ...
    bool Query = false; // a "?" follows the mnemonic
    QString Argument;  // everything after the mnemonic and its "?"
};

// Three-letter mnemonics are taken in upper case only (lenient: whatever was
// typed, made upper case); key commands keep their case because it tells a
// short from a long press.
TSimCommand ParseSimCommand(const QString &text, bool lenient = false);

struct TSimValue {
    bool IsText = false;
    qint64 Number = 0;
    QString Text;
};

// Splits "1,4000,\"MAT  1\"" into values. Every value must be a whole number
// (optional sign) or a text in double quotes without a quote inside; anything
// else makes the whole list invalid (nullopt). An empty argument is an empty
// list.
std::optional<QList<TSimValue>> SplitSimValues(const QString &argument);
