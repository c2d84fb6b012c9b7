// Renders the main display as the Display page shows it (LCDMain's factors
// and colours over the front-panel picture) with a weight, lamps and a unit
// label, and saves it as a PNG for the README.
// Usage: display_screenshot <front-panel.bmp> <output.png> [width height]

#include "display/u7400led.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s <front-panel.bmp> <output.png> [width height]\n", argv[0]);
        return 2;
    }
    TT7400LED display;
    display.setObjectName(QStringLiteral("LCDMain"));
    display.resize(argc == 5 ? QSize(std::atoi(argv[3]), std::atoi(argv[4])) : QSize(980, 455));
    display.SetLCDXOffsetFactor(182);
    display.SetLCDYOffsetFactor(142);
    display.SetLCDHeightFactor(380);
    display.SetLCDWidthFactor(636);
    display.SetOnColor(QColor(0, 255, 0));
    display.SetOnLineColor(QColor(0, 255, 0));
    display.SetOffColor(QColor(0, 64, 0));
    display.SetOffLineColor(QColor(0, 64, 0));
    display.SetBackGroundFileName(QString::fromLocal8Bit(argv[1]));
    display.UpdateLayout();

    display.ShowNumber(123450, 2);   // 1234.50
    display.SetSegmentLit(LampRow, 3, true);   // gross
    display.SetSegmentLit(LampRow, 5, true);   // setpoint output 1
    display.SetSegmentLit(LabelRow, 2, true);  // kg
    if (!display.grab().save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
