#pragma once
// File > Export Chart Image: the chart as shown, as a PNG picture or a PDF
// page, chosen by the file's extension (".pdf" gives PDF, anything else
// PNG). Written through QSaveFile: a failed export leaves an older file
// of that name as it was.

#include <QString>

class QCustomPlot;

bool SaveChartImage(QCustomPlot &chart, const QString &path, QString *error);
