// Draws the application icon for the desktop's icon theme. Run by the build:
// generate_icons <icon theme folder> <program name> <size>...
// writes <folder>/<size>x<size>/apps/<program name>.png for every size.

#include "ui/imagelist.h"

#include <QDir>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>

namespace {
bool WriteIcon(const QString &path, int size)
{
    QSaveFile file(path);
    if (QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly) &&
        ApplicationImage(size).save(&file, "PNG") && file.commit())
        return true;
    std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    return false;
}
} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <icon theme folder> <program name> <size>...\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0 || !WriteIcon(QStringLiteral("%1/%2x%2/apps/%3.png").arg(folder).arg(size).arg(name), size))
            return 1;
    }
    return 0;
}
