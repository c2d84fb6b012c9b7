#pragma once
// The fixed tables of a logging session: the sample rate choices and the
// digital channel choices with the status bits that switch each one on,
// the two levels each channel trace draws, and the rounded time-axis step.

#include <QString>
#include <QStringList>

namespace LogChannels {

constexpr int ChannelCount = 4;
constexpr int ChoiceNone = 0;

// Items of CBxDig1..CBxDig4; the item index is the channel selection.
const QStringList &ChoiceTexts();
// A selection that names an item, else "None": selections 7 and 8 (a log
// file may hold them) have neither a text nor a status bit.
int Listed(int choice);
// Items of CBLogRate.
const QStringList &RateTexts();

// The rate choice's RateDivisor (0, 1, 10, 100); out-of-range counts as "Auto".
int RateDivisorOf(int rateIndex);
// The rate choice whose RateDivisor is the given one; "Auto" for any other.
int RateIndexOf(int rateDivisor);

// Whether a channel choice is on for a text reply's status field.
bool IsOnText(int choice, qint32 status);
// Whether a channel choice is on for a binary record's status byte.
bool IsOnBinary(int choice, quint8 statusByte);

// The stored level of channel 0..3, off or on; the chart multiplies it by
// ChannelScale so the four channels form separate bands.
double Level(int channel, bool on);

// Item text for the label under the chart: empty for "None".
QString LabelText(int choice);

// A step of 1, 2 or 5 times a power of ten for a span; 1 for a span that
// is not positive (a chart fitted to no points).
double NiceStep(double span);

} // namespace LogChannels
