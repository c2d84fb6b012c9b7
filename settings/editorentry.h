#pragma once
// Rules for typing into the settings pages that need no widgets: the range of
// each count edit (chosen by the edit's Tag), which keys a number edit lets
// through, and the printer header's size limits.

#include <QChar>
#include <QString>
#include <optional>

struct TEntryLimit {
    qint32 Minimum;
    qint32 Maximum;
};

// Range in display counts for an edit's Tag; none for a tag without one.
std::optional<TEntryLimit> EntryLimits(int tag);

// "Out of Range: (min to max)" with both bounds shown at the given decimals.
QString OutOfRangeText(const TEntryLimit &limit, int decimals);

// Tag of the setpoint target, whose range (the instrument's) starts below 0.
inline constexpr int TargetTag = 17;

// Number edits take control characters, digits, " ", "+", "-", "." and the
// user's locale's decimal separator (a comma in German); every other
// printable character is refused, a comma too where it is no decimal point.
bool IsNumberKeyAccepted(QChar key);

// Counts of a typed or pasted weight at the given decimals: an optional sign,
// digits and at most one decimal point ("." or the locale's), blanks around
// it ignored; an empty text is 0. Decimals beyond those wanted are cut, never
// rounded. None for any other text ("12kg", "abc", "1 000"): it is refused,
// not taken as the digits it happens to hold.
std::optional<qint32> TypedCounts(const QString &text, int decimals);

// A typed whole number (rows, columns); none for anything else.
std::optional<qint32> TypedWholeNumber(const QString &text);

inline constexpr int HeaderMaxLines = 6;
inline constexpr int HeaderMaxColumns = 30;
QString HeaderLimitText();   // "Maximum size = 6 lines x 30 characters"

// A key typed into a header line that already holds lineLength characters:
// spaces and control keys always pass, others only while the line has room.
bool IsHeaderKeyAccepted(QChar key, int lineLength);

// A typed text setting the instrument's line can carry: no double quote, ";"
// or control character (the model's rule), and, since the line is Latin-1,
// no character beyond it (it would arrive as "?").
bool IsTypedTextAccepted(const QString &text);
