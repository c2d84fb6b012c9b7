#pragma once
// The picture painted under the display, kept decoded and already stretched
// to the control's size. The display repaints up to a hundred times a
// second, so the file is decoded again only when its name or its
// modification time changes, and scaled again only when the size changes.
// A missing or unreadable file simply means no picture.

#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>

class TBackgroundPicture {
public:
    // The picture for this file stretched to size, or a null image.
    const QImage &Stretched(const QString &fileName, QSize size);

private:
    QString LoadedName;
    QDateTime LoadedTime;
    qint64 LoadedBytes = -1;
    QImage Original;
    QImage Scaled;

    void Reload(const QString &fileName);
};
