// Draws the front-panel picture and saves it as a BMP beside the viewer.
// Run by the build: generate_frontpanel <output.bmp>

#include "display/frontpanel/frontpanelpicture.h"

#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.bmp>\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !DrawFrontPanel(FrontPanelSize).save(&file, "BMP") || !file.commit()) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[1], qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
