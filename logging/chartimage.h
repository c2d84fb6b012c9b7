#pragma once
// File > Export Chart Image: the chart as shown, as a PNG picture or a PDF
// page, chosen by the file's extension (".pdf" gives PDF, anything else
// PNG). Below the chart, as under it on the Log page, the log comment at
// the left and the channel labels at the right, in their colours (channels
// 1 and 2 in one column, 3 and 4 in the next); without a comment and labels
// the picture is the chart alone. Written through QSaveFile: a failed export
// leaves an older file of that name as it was.

#include "logging/logprint.h"

#include <QString>

class QCustomPlot;

bool SaveChartImage(QCustomPlot &chart, const QString &path, const QString &comment, const TLogPrintLabels &labels,
                    QString *error);
inline bool SaveChartImage(QCustomPlot &chart, const QString &path, QString *error)
{
    return SaveChartImage(chart, path, QString(), TLogPrintLabels{}, error);
}
