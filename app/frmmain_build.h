#pragma once
// Small helpers the main window's files share while they build the window.

#include "display/u7400led.h"
#include "ui/objectname.h"

#include <QColor>


// Lit segments bright green; unlit ones in the glass colour given.
inline void SetDisplayColours(TT7400LED *display, const QColor &glass)
{
    display->SetOnColor(QColor(0, 255, 0));
    display->SetOnLineColor(QColor(0, 255, 0));
    display->SetOffColor(glass);
    display->SetOffLineColor(glass);
}
