#pragma once
// The settings report: the edited settings as plain text lines, grouped like
// the Settings pages (Build, Option, Special, Serial, Setpoint), for the
// printer. No widgets: the window hands over the two mV/V texts of the
// Calibration page, which are shown as typed rather than as the model holds
// them.
//
// Enumerated values are shown by the editor's list texts; a value the
// instrument reported but no list names (weighing mode 3, remote functions
// 15 to 21, setpoint types 6 and up) is shown as its number, so the operator
// sees what the instrument holds instead of an empty field.

#include "settings/database.h"

#include <QStringList>

// Clears list and fills it with the report lines.
void BuildSettingsReport(QStringList &list, const Tdata7410 &model, const QString &directZeroText,
                         const QString &directSpanText);
