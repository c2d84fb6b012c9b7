#pragma once
// Load cell signals typed in mV/V, as the whole numbers of 0.0001 mV/V that
// the instrument takes, and the limits it takes them within.

#include <QString>
#include <QtGlobal>
#include <optional>

// "." is the decimal separator whatever the locale, as everywhere in the
// protocol: an optional sign, digits with at most one point, spaces around.
// Rounded to the nearest 0.0001, an exact half to the even neighbour, worked
// out on the digits themselves so that 0.00005 is a true half and not its
// binary neighbour. Absurdly long numbers saturate far beyond any limit.
// nullopt when the text is not such a number.
std::optional<qint64> ReadSignalText(const QString &text);

// The signal as EditModel keeps it (32 bits; saturated).
qint32 StoredSignal(qint64 signal);

// -3.2 <= zero < 3.2, -3.2 <= span <= 3.2 (mV/V) and the two differ.
bool SignalsAllowed(qint64 zero, qint64 span);
