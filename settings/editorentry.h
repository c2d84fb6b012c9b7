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

// Number edits take control characters, digits, " ", "+", ",", "-" and ".";
// every other printable character is refused.
bool IsNumberKeyAccepted(QChar key);

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
