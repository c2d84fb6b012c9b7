#pragma once
// The settings report as a printout (File > Print Settings and Print Preview
// away from the Log page): the report in the given fixed-pitch font (the
// header memo's, so the report's columns of spaces line up), below three
// empty lines and indented by five spaces.

#include "settings/database.h"
#include "ui/printjob.h"

class QFont;

// The report's lines as the model stands now; the printout draws these,
// however often the preview redraws it.
QStringList SettingsPrintoutLines(const Tdata7410 &model, const QString &directZeroText,
                                  const QString &directSpanText);
TPrintout SettingsPrintout(const Tdata7410 &model, const QString &directZeroText, const QString &directSpanText,
                           const QFont &font);
