#pragma once
// The colours of the four channel traces and their labels, on screen, in
// the printout and in an exported picture.

#include "logging/logchannels.h"

#include <QColor>

namespace LogChannels {

// The colour of channel 0..3's trace and label.
QColor Colour(int channel);

} // namespace LogChannels
