#include "logging/channelcolours.h"

#include <array>

QColor LogChannels::Colour(int channel)
{
    static const std::array<QColor, ChannelCount> colours{QColor(0, 128, 0), QColor(0, 0, 255),
                                                          QColor(128, 0, 0), QColor(128, 0, 128)};
    return channel >= 0 && channel < ChannelCount ? colours[size_t(channel)] : QColor(Qt::black);
}
