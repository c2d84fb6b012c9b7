#pragma once
// When the Log page redraws: at most once per interval, the interval
// stretched to three times the last drawing when drawing takes long (so
// input and replies always get their turn), and at once for a change after
// a quiet spell. Free of timers and widgets: the page arms its one-shot
// timer with the delay Request gives and draws when Fire says so.

#include <QtGlobal>
#include <functional>
#include <limits>

class TRedrawPacer {
public:
    static constexpr int IntervalMs = 100;

    // Milliseconds of a clock that never goes back; tests replace it.
    std::function<qint64()> ClockMs;

    TRedrawPacer();
    // A change wants drawing: the delay in ms after which to call Fire, or
    // -1 when a call is already armed.
    int Request();
    // The armed delay has run out: true when the chart is to be drawn now.
    bool Fire();
    // How long the last drawing took, in ms.
    void Drawn(qint64 drawMs);

private:
    bool Armed = false;
    bool Pending = false;
    qint64 LastDrawAt = std::numeric_limits<qint64>::min() / 2;
    qint64 GapMs = IntervalMs;
};
