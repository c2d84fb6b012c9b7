// The printed log: where comment, labels and chart land on the page, and the
// print job through the printer dialog (to a PDF file).
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

QV_TEST_MAIN(TestLogPrint)
} // namespace test_logprint
#include "test_logprint.moc"
