#include "display/backgroundpicture.h"

#include <QFileInfo>

void TBackgroundPicture::Reload(const QString &fileName)
{
    const QFileInfo info(fileName);
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    const qint64 bytes = info.exists() ? info.size() : -1;
    if (fileName == LoadedName && modified == LoadedTime && bytes == LoadedBytes)
        return;
    LoadedName = fileName;
    LoadedTime = modified;
    LoadedBytes = bytes;
    Scaled = QImage();
    Original = QImage();
    if (bytes < 0 || !Original.load(fileName))
        Original = QImage();
}

const QImage &TBackgroundPicture::Stretched(const QString &fileName, QSize size)
{
    if (fileName.isEmpty()) {
        LoadedName.clear();
        Original = Scaled = QImage();
        return Scaled;
    }
    Reload(fileName);
    if (Original.isNull() || size.isEmpty()) {
        Scaled = QImage();
        return Scaled;
    }
    // An opaque picture is kept opaque: painting it is then a plain copy.
    if (Scaled.size() != size)
        Scaled = Original.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(Original.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                 : QImage::Format_RGB32);
    return Scaled;
}
