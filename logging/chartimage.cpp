#include "logging/chartimage.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QPdfWriter>
#include <QPixmap>
#include <QSaveFile>
#include <algorithm>
#include <qcustomplot.h>

namespace {
constexpr int Margin = 4;

bool HasCaptions(const QString &comment, const TLogPrintLabels &labels)
{
    return !comment.isEmpty()
           || std::any_of(labels.begin(), labels.end(), [](const TLogPrintLabel &l) { return !l.Text.isEmpty(); });
}

// The chart, and the band of two lines below it when there is text for it.
QSize ImageSize(const QCustomPlot &chart, const QString &comment, const TLogPrintLabels &labels)
{
    const int band = HasCaptions(comment, labels) ? 2 * QFontMetrics(chart.font()).height() + 2 * Margin : 0;
    return QSize(chart.width(), chart.height() + band);
}

void PaintImage(QCPPainter &painter, QCustomPlot &chart, const QString &comment, const TLogPrintLabels &labels)
{
    const QSize size = ImageSize(chart, comment, labels);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    chart.toPainter(&painter, chart.width(), chart.height());
    if (size.height() == chart.height())
        return;
    painter.setFont(chart.font());
    const QFontMetrics metrics(chart.font(), painter.device());
    const int gap = metrics.horizontalAdvance(u'M');
    auto width = [&](size_t a, size_t b) {
        return std::max(metrics.horizontalAdvance(labels[a].Text), metrics.horizontalAdvance(labels[b].Text));
    };
    const int right = size.width() - Margin;
    const int second = right - width(2, 3);
    const int first = second - gap - width(0, 1);
    const int top = chart.height() + Margin;
    const int lineHeight = metrics.height();
    // Texts stand with their top-left corner at the given point.
    auto text = [&](int x, int y, const QString &s) { painter.drawText(x, y + metrics.ascent(), s); };
    const int places[4][2] = {{first, top}, {first, top + lineHeight}, {second, top}, {second, top + lineHeight}};
    for (size_t i = 0; i < labels.size(); ++i) {
        painter.setPen(labels[i].Colour.isValid() ? labels[i].Colour : QColor(Qt::black));
        text(places[i][0], places[i][1], labels[i].Text);
    }
    painter.setPen(Qt::black);
    text(Margin, top + lineHeight, metrics.elidedText(comment, Qt::ElideRight, std::max(0, first - gap - Margin)));
}

bool WritePdf(QCustomPlot &chart, QSaveFile &file, const QString &comment, const TLogPrintLabels &labels)
{
    // The page takes the picture's own size, as QCustomPlot's savePdf does.
    QPdfWriter writer(&file);
    writer.setCreator(QStringLiteral("Quenvale 7400 Viewer"));
    writer.setPageSize(QPageSize(ImageSize(chart, comment, labels), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    QCPPainter painter;
    if (!painter.begin(&writer))
        return false;
    PaintImage(painter, chart, comment, labels);
    return painter.end();
}

bool WritePng(QCustomPlot &chart, QSaveFile &file, const QString &comment, const TLogPrintLabels &labels)
{
    QPixmap picture(ImageSize(chart, comment, labels));
    {
        QCPPainter painter(&picture);
        PaintImage(painter, chart, comment, labels);
    }
    return picture.save(&file, "PNG");
}
} // namespace

bool SaveChartImage(QCustomPlot &chart, const QString &path, const QString &comment, const TLogPrintLabels &labels,
                    QString *error)
{
    QSaveFile file(path);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) {
        const bool pdf = QFileInfo(path).suffix().compare(QStringLiteral("pdf"), Qt::CaseInsensitive) == 0;
        ok = pdf ? WritePdf(chart, file, comment, labels) : WritePng(chart, file, comment, labels);
        ok = ok && file.commit();
    }
    if (!ok && error)
        *error = QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString());
    return ok;
}
