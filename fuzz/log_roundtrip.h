#pragma once
// What the log file and CSV targets share: a logging session to apply a
// loaded log to and save or export it from, the texts a number must be
// written as (worked out the plain way, with std::to_chars), and
// comparisons of points bit for bit.

#include "logging/logpoint.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <string>

class TLoggingSession;

// The process's logging session (its link never opened), made at first use
// together with the application object its timers need.
TLoggingSession &ScratchLoggingSession();

// value rounded to `decimals` places as std::to_chars writes it, trailing
// zeros dropped down to `keep` places; zero without a sign unless value is
// a negative zero itself (a "-0.00" read from a file).
std::string ReferenceText(double value, int decimals, int keep);
// A time or channel level, and a weight, as a log line holds them.
inline std::string TimeText(double value) { return ReferenceText(value, 2, 2); }
inline std::string WeightText(double value) { return ReferenceText(value, 6, 2); }

// Equal to the bit, so a -0 differs from 0.
bool SameBits(double a, double b);
bool SameBits(const TLogPoint &a, const TLogPoint &b);
bool SamePoints(const QVector<TLogPoint> &a, const QVector<TLogPoint> &b);

// The whole of a file, or empty.
QByteArray FileBytes(const QString &path);
