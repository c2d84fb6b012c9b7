#pragma once
// One point of a logged trace: its time in seconds from the session's start
// (key) and its value (a weight, a channel level, or NaN for a break drawn
// as a gap).

struct TLogPoint {
    double key = 0;
    double value = 0;
    TLogPoint() = default;
    TLogPoint(double time, double level) : key(time), value(level) {}
};
