#pragma once
// The picture of the instrument's front that the Display page shows behind
// the live display: the case with its brand and model, a bezel around the
// display window, legends under the lamps and the four keys Zero, Tare,
// Gross/Net and Print. Everything is placed in the display control's own
// terms (glass factors, key regions in 600 × 400 design units), so the
// picture lines up with the control at any size it is stretched to.

#include <QImage>
#include <QSize>

// The glass factors of the main display, in thousandths of the control.
struct TFrontPanelGlass {
    int XOffset = 182;
    int YOffset = 142;
    int Width = 636;
    int Height = 380;
};

// Size of the picture laid beside the program: the Display page keeps its
// display at a width to height ratio of 140 : 65.
constexpr QSize FrontPanelSize(1400, 650);

QImage DrawFrontPanel(QSize size, const TFrontPanelGlass &glass = {});
