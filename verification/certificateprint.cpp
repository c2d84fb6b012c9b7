#include "verification/certificateprint.h"

#include "ui/lineprinter.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QPrinter>
#include <QSaveFile>
#include <QTemporaryFile>

namespace {

QStringList PrintedLines(const QStringList &lines)
{
    QStringList printed(3);
    for (const QString &line : lines)
        printed.append(QStringLiteral("     ") + line);
    return printed;
}

} // namespace

TPrintout CertificatePrintout(const QStringList &lines, const QFont &font)
{
    return [printed = PrintedLines(lines), font](QPrinter &printer, QString *error) {
        return PrintLines(printer, font, printed, error);
    };
}

bool WriteCertificatePdf(const QString &path, const QStringList &lines, const QFont &font, QString *error)
{
    const QString shown = QDir::toNativeSeparators(path);
    QTemporaryFile part(QDir::tempPath() + QStringLiteral("/quenvale7400-certificate-XXXXXX.pdf"));
    if (!part.open()) {
        *error = QStringLiteral("The certificate could not be written: %1").arg(part.errorString());
        return false;
    }
    part.close();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(part.fileName());
    printer.setDocName(QStringLiteral("Verification certificate"));
    QString printError;
    if (!CertificatePrintout(lines, font)(printer, &printError)) {
        *error = QStringLiteral("The certificate could not be written to %1: %2").arg(shown, printError);
        return false;
    }
    // Through QSaveFile: the file appears whole or not at all, with an
    // earlier file's permissions.
    QFile printed(part.fileName());
    QSaveFile file(path);
    if (printed.open(QIODevice::ReadOnly) && file.open(QIODevice::WriteOnly) && file.write(printed.readAll()) >= 0
        && file.commit())
        return true;
    *error = QStringLiteral("The certificate could not be written to %1: %2")
                 .arg(shown, file.error() != QFileDevice::NoError ? file.errorString() : printed.errorString());
    return false;
}
