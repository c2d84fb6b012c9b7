#pragma once
// The font of the printouts and of the header memo: "Courier New", 9 points,
// regular. The font configuration gives Liberation Mono for it, made with
// Courier New's metrics, so pitch, line height and page breaks are the same on
// every machine that has it. Where neither is installed, the system's
// fixed-pitch font at 9 points keeps the report's columns of spaces lined up.

#include <QFont>

QFont ReportFont();
