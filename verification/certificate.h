#pragma once
// The certificate of a verification with test weights as lines of text, for
// the fixed-pitch report font: the instrument's identity, the setup and the
// test weights, every table of each run (as found, and as left when it has
// readings), the spread of the repeatability loadings and the verdict. The
// results also as CSV for a spreadsheet.

#include <QByteArray>
#include <QString>
#include <QStringList>

class TVerification;

QStringList CertificateLines(const TVerification &verification);

// One row per reading (and per spread and verdict), "." as the decimal point,
// CR LF row ends; the identity and the setup go first as rows of one quoted
// field each.
QByteArray VerificationCsv(const TVerification &verification);
// Written atomically (QSaveFile); false with a message for the user.
bool WriteVerificationCsv(const QString &path, const TVerification &verification, QString *error);
