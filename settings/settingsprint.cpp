#include "settings/settingsprint.h"

#include "settings/settingsreport.h"
#include "ui/lineprinter.h"
#include "ui/printjob.h"

#include <QFont>

bool PrintSettingsClick(QPrinter &printer, const Tdata7410 &model, const QString &directZeroText,
                        const QString &directSpanText, const QFont &font)
{
    return RunPrintJob(printer, [&](QPrinter &target, QString *error) {
        QStringList report;
        BuildSettingsReport(report, model, directZeroText, directSpanText);
        QStringList lines(3);
        for (const QString &line : std::as_const(report))
            lines.append(QStringLiteral("     ") + line);
        return PrintLines(target, font, lines, error);
    });
}
