#pragma once
// What the logging dialog holds and a logging session starts from: the rate
// item, the four channel items and the units to log. Apart, so that the
// dialog and the session need not include each other.

#include "logging/logchannels.h"

#include <QList>
#include <QString>
#include <array>

struct TLogChoices {
    int Rate = 0;
    std::array<int, LogChannels::ChannelCount> Channels{};
    // The unit addresses to poll in turn; empty: the connection's unit.
    QList<int> Units = {};
};

namespace LogUnits {
constexpr int FirstAddress = 1;
constexpr int LastAddress = 31;

// Unit addresses as typed: numbers 1..31 separated by commas or blanks
// ("1, 2 5"), each taken once, in the order given; an empty text gives
// none. False (and *error for the operator) for anything else.
bool Parse(const QString &text, QList<int> *units, QString *error);
// "1, 2, 5".
QString Text(const QList<int> &units);
// Why these choices cannot start a log, or empty: a streamed log ("Auto")
// is the stream of the unit connected to, alone.
QString Problem(int rate, const QList<int> &units, int connectedUnit);
} // namespace LogUnits
