// How long the main display takes to paint at 1920 × 1080: the segments
// alone (what a new weight costs) and a full repaint (picture, glass and
// segments, what an exposed or resized window costs). Prints the median of
// many runs in microseconds.
// Usage: bench_display [front-panel.bmp]   (default: the picture beside the viewer)

#include "display/u7400led.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 400;

double MedianMicroseconds(const std::function<void(int run)> &work)
{
    std::vector<qint64> times;
    times.reserve(Runs);
    for (int warmup = 0; warmup < 10; ++warmup)
        work(warmup);
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        work(run);
        times.push_back(clock.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2] / 1000.0;
}

QString DefaultPicture()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/quenvale7400.bmp");
    return QFileInfo::exists(beside) ? beside : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString picture = argc > 1 ? QString::fromLocal8Bit(argv[1]) : DefaultPicture();

    TT7400LED display;
    display.resize(1920, 1080);
    display.SetLCDXOffsetFactor(182);
    display.SetLCDYOffsetFactor(142);
    display.SetLCDHeightFactor(380);
    display.SetLCDWidthFactor(636);
    display.SetOnColor(QColor(0, 255, 0));
    display.SetOnLineColor(QColor(0, 255, 0));
    display.SetOffColor(QColor(0, 64, 0));
    display.SetOffLineColor(QColor(0, 64, 0));
    display.SetBackGroundFileName(picture);
    display.UpdateLayout();

    QImage canvas(display.size(), QImage::Format_ARGB32_Premultiplied);
    auto showReading = [&display](int run) {
        display.ShowNumber(run * 7919 % 1000000 - 500000, run % 4);
        display.SetSegmentLit(LampRow, 1 + run % 8, run % 2);
        display.SetSegmentLit(LabelRow, 2, true);
    };

    const double segments = MedianMicroseconds([&](int run) {
        showReading(run);
        QPainter painter(&canvas);
        display.PaintSegments(painter);
    });
    const double full = MedianMicroseconds([&](int run) {
        showReading(run);
        QPainter painter(&canvas);
        display.PaintControl(painter);
    });

    // What the window repaints for a new reading: PaintSegments() asks for
    // the glass area only.
    const double reading = MedianMicroseconds([&](int run) {
        showReading(run);
        QPainter painter(&canvas);
        painter.setClipRect(display.SegmentsArea());
        display.PaintControl(painter);
    });

    std::printf("display 1920 x 1080, picture: %s\n", picture.isEmpty() ? "none" : qPrintable(picture));
    std::printf("PaintSegments: %.1f us (median of %d)\n", segments, Runs);
    std::printf("repaint of the glass area for a new reading: %.1f us (median of %d)\n", reading, Runs);
    std::printf("full repaint (picture, glass, segments): %.1f us (median of %d)\n", full, Runs);
    return 0;
}
