#include "display/livedisplay.h"

#include "display/lcdlayout.h"
#include "display/u7400led.h"
#include "link/comms.h"

namespace {

// Bits of the weight reply's status word.
constexpr qint32 BitOverload = 1 << 0;
constexpr qint32 BitStable = 1 << 1;
constexpr qint32 BitNet = 1 << 2;
constexpr qint32 BitSecondRange = 1 << 3;
constexpr qint32 BitOutput1 = 1 << 4;
constexpr qint32 BitCentreOfZero = 1 << 8;

constexpr int DualRange = 1;
constexpr int DualInterval = 2;

bool Has(qint32 status, qint32 bit) { return (status & bit) != 0; }

// The status request's answer is one hexadecimal word. A reply with more
// fields is a weight line that arrived late, after the status request went
// out; read as hexadecimal its weight would pass for an error code.
void TakeStatusReply(const Tcommsobj &parser, qint32 &errorStatus)
{
    qint32 value = 0, places = 0;
    if (parser.FieldCount() == 1 && parser.GetInt(0, value, 0, MaxErrorStatus, places))
        errorStatus = value;
}

void TakeWeightReply(TT7400LED &display, const Tcommsobj &parser, qint32 weighMode)
{
    qint32 weight = 0, decimals = 0, status = 0, statusPlaces = 0;
    if (!parser.GetInt(0, weight, -MaxDisplayedWeight, MaxDisplayedWeight, decimals)
        || !parser.GetInt(2, status, 0, MaxWeightStatus, statusPlaces))
        return;
    display.ShowNumber(weight, decimals);
    const std::array<bool, LampCount> lamps = LampsFromStatus(status, weighMode);
    for (int lamp = 1; lamp <= LampCount; ++lamp)
        display.SetSegmentLit(LampRow, lamp, lamps[size_t(lamp - 1)]);
    if (Has(status, BitOverload))
        display.ShowText(QStringLiteral("------"));
}

} // namespace

std::array<bool, LampCount> LampsFromStatus(qint32 status, qint32 weighMode)
{
    const bool dual = weighMode == DualRange || weighMode == DualInterval;
    std::array<bool, LampCount> lamps{};
    lamps[0] = Has(status, BitCentreOfZero);
    lamps[1] = Has(status, BitNet);
    lamps[2] = !Has(status, BitNet);
    lamps[3] = !Has(status, BitStable);
    if (dual) {
        // Lamps 5 and 6 tell the range; the outputs have no lamp then.
        lamps[4] = !Has(status, BitSecondRange);
        lamps[5] = Has(status, BitSecondRange);
    } else {
        for (int output = 0; output < 4; ++output)
            lamps[size_t(4 + output)] = Has(status, BitOutput1 << output);
    }
    return lamps;
}

QString ErrorCodeText(qint32 errorStatus)
{
    return QString::asprintf(" E%.4X", unsigned(errorStatus) & 0xFFFFu);
}

bool ShowsErrorCode(int tickCycle, qint32 errorStatus) { return tickCycle < 5 && errorStatus != 0; }

void ShowUnitLabel(TT7400LED &display, qint32 units)
{
    for (int label = 1; label <= UnitLabelCount; ++label)
        display.SetSegmentLit(LabelRow, label, label == units);
}

void UpdateDisplayFromReply(TT7400LED &display, const Tcommsobj &parser, const TLiveDisplayInput &input,
                            qint32 &errorStatus)
{
    if (input.StatusReply)
        TakeStatusReply(parser, errorStatus);
    else
        TakeWeightReply(display, parser, input.WeighMode);
    if (ShowsErrorCode(input.TickCycle, errorStatus))
        display.ShowText(ErrorCodeText(errorStatus));
    ShowUnitLabel(display, input.DisplayUnits);
}

QString DisplayKeyCommand(int key, bool modified, int unitAddress)
{
    static const char *const Letters[] = {"z", "t", "g", "q"};
    if (key < 1 || key > 4)
        return {};
    QString letter = QLatin1String(Letters[key - 1]);
    if (modified)
        letter = letter.toUpper();
    const int address = unitAddress == AnyUnitAddress ? 0 : unitAddress;
    return QStringLiteral("K") + letter + QString::asprintf("%.2d", address);
}
