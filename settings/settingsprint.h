#pragma once
// Printing the settings report (File > Print Settings away from the Log
// page): the printer dialog, then the report in the given fixed-pitch font
// (the header memo's, so the report's columns of spaces line up), below three
// empty lines and indented by five spaces. Errors end the job with a message.
// True when the report was printed.

#include "settings/database.h"

class QFont;
class QPrinter;

bool PrintSettingsClick(QPrinter &printer, const Tdata7410 &model, const QString &directZeroText,
                        const QString &directSpanText, const QFont &font);
