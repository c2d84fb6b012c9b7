#include "logging/chartimage.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QPixmap>
#include <QSaveFile>
#include <qcustomplot.h>

namespace {
bool WritePdf(QCustomPlot &chart, QSaveFile &file)
{
    // The page takes the chart's own size, as QCustomPlot's savePdf does.
    QPdfWriter writer(&file);
    writer.setCreator(QStringLiteral("Quenvale 7400 Viewer"));
    writer.setPageSize(QPageSize(chart.size(), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QCPPainter painter;
    if (!painter.begin(&writer))
        return false;
    chart.toPainter(&painter, chart.width(), chart.height());
    return painter.end();
}
} // namespace

bool SaveChartImage(QCustomPlot &chart, const QString &path, QString *error)
{
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        const bool pdf = QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0;
        ok = pdf ? WritePdf(chart, file) : chart.toPixmap().save(&file, "PNG");
        ok = ok && file.commit();
    }
    if (!ok && error)
        *error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
    return ok;
}
