#pragma once
// The certificate on paper (File > Print while the Verification page is
// shown) and as a PDF file: its lines in the report font of the settings
// report, below three empty lines and indented by five spaces, with "Page n
// of m" in every page's footer.

#include "ui/printjob.h"

#include <QStringList>

class QFont;

TPrintout CertificatePrintout(const QStringList &lines, const QFont &font);

// Prints the PDF into a temporary file and puts it in place whole (an
// earlier file of that name stays as it was when this fails). False with a
// message for the user.
bool WriteCertificatePdf(const QString &path, const QStringList &lines, const QFont &font, QString *error);
