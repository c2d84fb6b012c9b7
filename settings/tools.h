#pragma once
// Small helpers shared by the settings pages, calibration and logging: turning
// display counts into text and back, and trimming command lists. Numbers
// always use "." whatever the user's locale, because they go onto the wire
// and into files.

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <string_view>

// counts with the given number of decimals (0 to 5): FormatCounts(1250, 2) is
// "12.50", FormatCounts(-5, 1) is "-0.5". Any other decimals give "".
QString FormatCounts(qint32 counts, int decimals);

// Counts from a typed number: digits accumulate, a "-" anywhere negates,
// everything else is skipped ("12.50" gives 1250). The caller brings the text
// to the right number of decimals first (FixDecimals). A number too large for
// 32 bits saturates instead of wrapping into a plausible value.
qint32 ParseCounts(const QString &text);

// Rewrites a typed number to exactly the given decimals, truncating and
// filling with zeros, never rounding: with 2 decimals "1.567" gives "1.56"
// and ".5" gives "0.50". The point typed may be "." or the user's locale's
// decimal separator ("12,5" in German gives "12.50"); the result has ".".
QString FixDecimals(const QString &text, int decimals);

// A typed number with the user's locale's decimal separator ("2,5" in German)
// written with "." instead, when it holds no "." of its own; any other text
// unchanged. Numbers read with the C locale's rules take what the operator
// meant.
QString WithDotDecimal(const QString &typed);

// Value of a text of digits with an optional "." and "-" ("-0.5" gives -0.5).
// Other characters are skipped; digits after a second "." still count as
// decimals of the first. The nearest double to the number, however many
// digits it has, so a number written with enough places reads back as the
// same double.
double ParseDecimal(const QString &text);

// Counting digits into a double is exact below this, and dividing the
// count by a power of ten up to 1e22 then gives the nearest double; longer
// numbers take DecimalValue.
constexpr double ExactDigitsLimit = 9007199254740992.0;   // 2^53
constexpr int ExactDecimalsLimit = 22;
// The nearest double to the number whose digits (0-9 only) are given, the
// last `decimals` of them after the point.
double DecimalValue(std::string_view digits, int decimals, bool negative);

// Removes from first every line that also stands in second, keeping the
// order of the rest. Mnemonics and numbers compare without regard to letter
// case; texts within double quotes compare exactly.
void RemoveCommon(QStringList &first, const QStringList &second);

// A direct-calibration signal as the Calibration page shows it: the stored
// mV/V x 10000 with four decimals ("2.0000").
QString DirectSignalText(qint32 value);
