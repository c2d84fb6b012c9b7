// The printed log: where comment, labels and chart land on the page, and the
// print job through the printer dialog (to a PDF file).
#include "logging/chartimage.h"
#include "logging/logprint.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QPrinter>
#include <QTemporaryDir>
#include <qcustomplot.h>

// A namespace of its own: the folder's test files are compiled together.
namespace test_logprint {

namespace {

bool AnyPixel(const QImage &image, const QRect &area, const std::function<bool(QColor)> &test)
{
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (test(image.pixelColor(x, y)))
                return true;
    return false;
}

bool NotWhite(QColor c) { return c != QColor(Qt::white); }

struct TChart {
    QCustomPlot Chart;
    TChart()
    {
        Chart.resize(600, 400);
        Chart.setBackground(Qt::white);
        QCPGraph *g = Chart.addGraph();
        g->setPen(QPen(Qt::red, 3));
        for (int i = 0; i <= 100; ++i)
            g->addData(i, (i % 20) - 10);
        Chart.xAxis->setRange(0, 100);
        Chart.yAxis->setRange(-12, 12);
    }
};

const TLogPrintLabels Labels{{{QStringLiteral("Motion"), QColor(Qt::green)},
                              {QString(), QColor(Qt::blue)},
                              {QStringLiteral("Output 1"), QColor(128, 0, 0)},
                              {QString(), QColor(128, 0, 128)}}};

} // namespace

class TestLogPrint : public QObject {
    Q_OBJECT
private slots:
    void pagePutsEachPartInItsPlace();
    void printsOnePageOrTellsWhy();
    void layoutKeepsTheChartsShapeAndTheLabelsApart_data();
    void layoutKeepsTheChartsShapeAndTheLabelsApart();
    void chartImageCarriesTheCommentAndTheLabels();
};

void TestLogPrint::pagePutsEachPartInItsPlace()
{
    TChart chart;
    const int w = 1200, h = 1600;
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QCPPainter painter(&image);
        PaintLogPage(painter, image.rect(), chart.Chart, QStringLiteral("Filling test"), Labels, QFont());
    }
    const int lineHeight = QFontMetrics(QFont(QStringLiteral("Arial"), 16), &image).height();
    // Nothing above the chart, nothing in its side margins.
    QVERIFY(!AnyPixel(image, QRect(0, 0, w, h / 10 - 1), NotWhite));
    QVERIFY(!AnyPixel(image, QRect(0, h / 10, w / 20 - 1, h - h / 5), NotWhite));
    // The red trace lies in the chart's rectangle.
    const QRect area(QPoint(w / 20, h / 10), QPoint(w - w / 20, h - h / 10));
    QVERIFY(AnyPixel(image, area, [](QColor c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; }));
    // Comment in black below the chart at a sixth of the width.
    const int bottom = h - h / 20;
    QVERIFY(AnyPixel(image, QRect(w / 6, bottom, w / 3, lineHeight), [](QColor c) { return c.value() < 80; }));
    QVERIFY(!AnyPixel(image, QRect(0, bottom, w / 6 - 1, lineHeight), NotWhite));
    // Channel 1 one line up at 10/12 of the width in green; channel 3 below it in maroon.
    QVERIFY(AnyPixel(image, QRect(10 * w / 12, bottom - lineHeight, w / 12, lineHeight),
                     [](QColor c) { return c.green() > 100 && c.red() < 80; }));
    QVERIFY(AnyPixel(image, QRect(10 * w / 12, bottom, w / 12, lineHeight),
                     [](QColor c) { return c.red() > 80 && c.green() < 60 && c.blue() < 60; }));
    // Empty labels for channels 2 and 4 leave their places blank.
    QVERIFY(!AnyPixel(image, QRect(11 * w / 12 + 2, bottom - lineHeight, w / 12 - 4, 2 * lineHeight), NotWhite));
}

void TestLogPrint::printsOnePageOrTellsWhy()
{
    QTemporaryDir dir;
    TScriptedPrompts prompts;
    TScopedPrompts scope(&prompts);
    TChart chart;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("log.pdf"));

    QVERIFY(!PrintLogClick(printer, chart.Chart, QStringLiteral("c"), Labels, QFont()));   // cancelled
    QVERIFY(!QFile::exists(dir.filePath("log.pdf")));

    prompts.PrinterAnswers = {true};
    QVERIFY(PrintLogClick(printer, chart.Chart, QStringLiteral("c"), Labels, QFont()));
    QFile pdf(dir.filePath("log.pdf"));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    const QByteArray bytes = pdf.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 1);
    QVERIFY(prompts.Messages().isEmpty());

    printer.setOutputFileName(dir.filePath("no-such-folder/log.pdf"));
    prompts.PrinterAnswers = {true};
    QVERIFY(!PrintLogClick(printer, chart.Chart, QStringLiteral("c"), Labels, QFont()));
    QCOMPARE(prompts.Messages(), QStringList{QStringLiteral("The print job could not be started.")});
}

void TestLogPrint::layoutKeepsTheChartsShapeAndTheLabelsApart_data()
{
    QTest::addColumn<QSize>("page");
    QTest::addColumn<QList<int>>("widths");
    QTest::newRow("portrait, long labels") << QSize(794, 1123) << QList<int>{180, 170, 200, 190};
    QTest::newRow("landscape") << QSize(1123, 794) << QList<int>{70, 70, 70, 70};
}

void TestLogPrint::layoutKeepsTheChartsShapeAndTheLabelsApart()
{
    QFETCH(QSize, page);
    QFETCH(QList<int>, widths);
    const int gap = 15;
    const TLogPageLayout layout =
        LayOutLogPage(page, QSize(900, 400), 25, {widths[0], widths[1], widths[2], widths[3]}, gap);
    // Scaled alike both ways: the laid-out size has the rectangle's shape.
    const QSize &at = layout.ChartLayout;
    QVERIFY(std::abs(double(at.width()) / at.height() - double(layout.Chart.width()) / layout.Chart.height()) < 0.01);
    // Two columns, each clear of the next, all inside the chart's margin.
    const int first = std::max(widths[0], widths[2]);
    QCOMPARE(layout.Labels[2].x(), layout.Labels[0].x());
    QCOMPARE(layout.Labels[3].x(), layout.Labels[1].x());
    QVERIFY(layout.Labels[1].x() >= layout.Labels[0].x() + first + gap);
    for (int i = 0; i < 4; ++i)
        QVERIFY(layout.Labels[size_t(i)].x() + widths[i] <= page.width() - page.width() / 20);
    QVERIFY(layout.Comment.x() + layout.CommentWidth + gap <= layout.Labels[0].x());
}

void TestLogPrint::chartImageCarriesTheCommentAndTheLabels()
{
    QTemporaryDir dir;
    TChart chart;
    QString error;
    QVERIFY2(SaveChartImage(chart.Chart, dir.filePath("with.png"), QStringLiteral("Filling test"), Labels, &error),
             qPrintable(error));
    const QImage image(dir.filePath("with.png"));
    QVERIFY(image.height() > 400);
    const QRect band(0, 400, image.width(), image.height() - 400);
    QVERIFY(AnyPixel(image, band, [](QColor c) { return c.green() > 100 && c.red() < 80 && c.blue() < 80; }));
    QVERIFY(AnyPixel(image, band, [](QColor c) { return c.red() > 80 && c.green() < 60 && c.blue() < 60; }));
    QVERIFY(AnyPixel(image, band.adjusted(0, 0, -image.width() / 2, 0), [](QColor c) { return c.value() < 80; }));
    QVERIFY(SaveChartImage(chart.Chart, dir.filePath("with.pdf"), QStringLiteral("c"), Labels, &error));
    QVERIFY(SaveChartImage(chart.Chart, dir.filePath("bare.png"), &error));
    QCOMPARE(QImage(dir.filePath("bare.png")).size(), QSize(600, 400));
}

QV_TEST_MAIN(TestLogPrint)
} // namespace test_logprint
#include "test_logprint.moc"
