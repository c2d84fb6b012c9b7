#include "link/hourglass.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

void ShowHourglass(bool on)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (on)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    else
        QGuiApplication::restoreOverrideCursor();
}
