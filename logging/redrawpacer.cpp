#include "logging/redrawpacer.h"

#include <QElapsedTimer>
#include <algorithm>
#include <memory>

TRedrawPacer::TRedrawPacer()
{
    ClockMs = [clock = std::make_shared<QElapsedTimer>()] {
        if (!clock->isValid())
            clock->start();
        return clock->elapsed();
    };
}

int TRedrawPacer::Request()
{
    Pending = true;
    if (Armed)
        return -1;
    Armed = true;
    return int(std::clamp<qint64>(LastDrawAt + GapMs - ClockMs(), 0, GapMs));
}

bool TRedrawPacer::Fire()
{
    Armed = false;
    if (!Pending)
        return false;
    Pending = false;
    LastDrawAt = ClockMs();
    return true;
}

void TRedrawPacer::Drawn(qint64 drawMs)
{
    GapMs = std::max<qint64>(IntervalMs, 3 * drawMs);
}
