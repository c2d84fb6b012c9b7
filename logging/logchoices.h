#pragma once
// What the logging dialog holds and a logging session starts from: the rate
// item and the four channel items. Apart, so that the dialog and the session
// need not include each other.

#include "logging/logchannels.h"

#include <array>

struct TLogChoices {
    int Rate = 0;
    std::array<int, LogChannels::ChannelCount> Channels{};
};
