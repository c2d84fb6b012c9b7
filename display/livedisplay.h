#pragma once
// The live weight shown on a TT7400LED: how one weight or status reply of
// the instrument becomes digits, decimal point, lamps, error code and unit
// label, and which text a press of one of the four front keys sends.
//
// Everything here works on a display control and the reply parser alone, so
// it runs (and is tested) without the main window; the window only passes
// its session's state in and paints afterwards.

#include <QString>
#include <QtGlobal>
#include <array>

class TT7400LED;
class Tcommsobj;

constexpr int LampCount = 8;
constexpr int UnitLabelCount = 4;
constexpr qint32 MaxErrorStatus = 65535;
constexpr qint32 MaxDisplayedWeight = 999999;
constexpr qint32 MaxWeightStatus = 999;
// The unit address that means "whichever instrument is there".
constexpr int AnyUnitAddress = 99;

// What the display needs to know besides the reply itself.
struct TLiveDisplayInput {
    // The reply answers the status request (it was parsed as hexadecimal).
    bool StatusReply = false;
    // 0..9, advanced by every 10 ms tick: a pending error code shows in the
    // first half of each cycle, the weight in the second.
    int TickCycle = 0;
    // 0 none, 1 g, 2 kg, 3 lb, 4 t.
    qint32 DisplayUnits = 0;
    // 0 Single, 1 Dual Range, 2 Dual Interval; anything else counts as Single.
    qint32 WeighMode = 0;
};

// Lamps 1..8 (index 0..7) for the status word of a weight reply.
std::array<bool, LampCount> LampsFromStatus(qint32 status, qint32 weighMode);

// " E" and four upper-case hexadecimal digits.
QString ErrorCodeText(qint32 errorStatus);

// True when the error code, rather than the weight, belongs on the display.
bool ShowsErrorCode(int tickCycle, qint32 errorStatus);

// Lights the label of units 1..4 and no other; any other value lights none.
void ShowUnitLabel(TT7400LED &display, qint32 units);

// Turns the reply now held by the parser into display state (without
// painting). A status reply updates errorStatus and never the digits; a
// weight reply sets digits, point and lamps. A reply that does not parse, or
// whose values lie outside their ranges, leaves digits, lamps and
// errorStatus as they were. The error code and the unit label follow in
// every case.
void UpdateDisplayFromReply(TT7400LED &display, const Tcommsobj &parser, const TLiveDisplayInput &input,
                            qint32 &errorStatus);

// The text a front key sends (to go out STX/ETX framed): two letters for
// key 1..4, upper case when modified, then the unit address ("00" for
// "Any"). Empty for any other key number.
QString DisplayKeyCommand(int key, bool modified, int unitAddress);
