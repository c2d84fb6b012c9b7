#include "settings/settingsprint.h"

#include "settings/settingsreport.h"
#include "ui/lineprinter.h"

#include <QFont>

QStringList SettingsPrintoutLines(const Tdata7410 &model, const QString &directZeroText,
                                  const QString &directSpanText)
{
    QStringList report;
    BuildSettingsReport(report, model, directZeroText, directSpanText);
    QStringList lines(3);
    for (const QString &line : std::as_const(report))
        lines.append(QStringLiteral("     ") + line);
    return lines;
}

TPrintout SettingsPrintout(const Tdata7410 &model, const QString &directZeroText, const QString &directSpanText,
                           const QFont &font)
{
    return [lines = SettingsPrintoutLines(model, directZeroText, directSpanText), font](QPrinter &printer,
                                                                                       QString *error) {
        return PrintLines(printer, font, lines, error);
    };
}
