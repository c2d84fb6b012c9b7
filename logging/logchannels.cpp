#include "logging/logchannels.h"

#include <array>
#include <cmath>

namespace LogChannels {

namespace {
// Per choice: the text-reply status bit, whether that bit means "on" when
// set, and the binary status byte bit (set = on).
struct TChoiceBits {
    qint32 TextBit;
    bool TextOnWhenSet;
    quint8 BinaryBit;
};
constexpr std::array<TChoiceBits, 7> Bits{{
    {0, true, 0},            // None
    {0x0002, false, 0x80},   // Motion: the instrument reports "stable"
    {0x0100, true, 0x40},    // Zero
    {0x0010, true, 0x01},    // Output 1
    {0x0020, true, 0x02},    // Output 2
    {0x0040, true, 0x04},    // Output 3
    {0x0080, true, 0x08},    // Output 4
}};
constexpr std::array<int, 4> RateDivisors{0, 1, 10, 100};
constexpr std::array<double, ChannelCount> OffLevels{0, 1.5, 3, 4.5};

bool ValidChoice(int choice) { return choice > ChoiceNone && choice < int(Bits.size()); }
} // namespace

const QStringList &ChoiceTexts()
{
    static const QStringList texts{"None", "Motion", "Zero", "Output 1", "Output 2", "Output 3", "Output 4"};
    return texts;
}

int Listed(int choice)
{
    return choice >= 0 && choice < int(Bits.size()) ? choice : ChoiceNone;
}

const QStringList &RateTexts()
{
    static const QStringList texts{"Auto", "10 Hz", "1 Hz", "1/10 secs"};
    return texts;
}

int RateDivisorOf(int rateIndex)
{
    if (rateIndex < 0 || rateIndex >= int(RateDivisors.size()))
        return 0;
    return RateDivisors[size_t(rateIndex)];
}

int RateIndexOf(int rateDivisor)
{
    for (size_t i = 0; i < RateDivisors.size(); ++i)
        if (RateDivisors[i] == rateDivisor)
            return int(i);
    return 0;
}

bool IsOnText(int choice, qint32 status)
{
    if (!ValidChoice(choice))
        return false;
    const TChoiceBits &b = Bits[size_t(choice)];
    return ((status & b.TextBit) != 0) == b.TextOnWhenSet;
}

bool IsOnBinary(int choice, quint8 statusByte)
{
    return ValidChoice(choice) && (statusByte & Bits[size_t(choice)].BinaryBit) != 0;
}

double Level(int channel, bool on)
{
    if (channel < 0 || channel >= ChannelCount)
        return 0;
    return OffLevels[size_t(channel)] + (on ? 1.0 : 0.0);
}

QString LabelText(int choice)
{
    return ValidChoice(choice) ? ChoiceTexts()[choice] : QString();
}

double NiceStep(double span)
{
    if (!(span > 0) || !std::isfinite(span))
        return 1;
    int n = 0;
    while (span > 10) {
        span /= 10;
        ++n;
    }
    while (span <= 1) {
        span *= 10;
        --n;
    }
    const double m = span >= 8 ? 1 : span >= 4 ? 0.5 : span >= 1.6 ? 0.2 : 0.1;
    return m * std::pow(10.0, n);
}

} // namespace LogChannels
