#pragma once
// The log as CSV for spreadsheets: a header row "time_s,weight" and the
// names of the chosen channels, then one row per sample with the same
// numbers a log file holds, "." as the decimal point whatever the locale,
// CR LF row ends. A non-empty comment goes first as a row of one quoted
// field (quotes inside it doubled), so no text of it reads as numbers.
// A log of several units has a weight column per unit instead
// ("time_s,weight_unit1,weight_unit2,..."; "weight" last for samples of no
// unit, when there are any).

#include <QByteArray>
#include <QString>

class TLoggingSession;

// The comment row (when the comment is not empty) and the header row.
QByteArray LogCsvHeading(const TLoggingSession &session, const QString &comment);
// Writes the whole CSV through QSaveFile; false with a message for the user.
bool ExportLogCsv(const QString &path, const TLoggingSession &session, const QString &comment, QString *error);
