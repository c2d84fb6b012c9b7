#include "ui/hourglass.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

void ShowHourglass(bool on, const std::function<void(bool busy)> &setBusy)
{
    if (setBusy)
        setBusy(on);
    else
        ShowHourglass(on);
}

void ShowHourglass(bool on)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (on)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}
