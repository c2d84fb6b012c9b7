#include "settings/editorentry.h"

#include "link/ioiface.h"
#include "settings/database.h"
#include "settings/tools.h"

std::optional<TEntryLimit> EntryLimits(int tag)
{
    switch (tag) {
    case 2:
    case 3:
        return TEntryLimit{100, 999999};
    case 4:
    case 14:
    case 15:
        return TEntryLimit{0, 999999};
    case 5:
        return TEntryLimit{0, 10};
    case 6:
        return TEntryLimit{0, 20};
    case 12:
        return TEntryLimit{10, 999999};
    case 16:   // additive tare limit: what the instrument takes
        return TEntryLimit{0, 999999};
    default:
        return std::nullopt;
    }
}

QString OutOfRangeText(const TEntryLimit &limit, int decimals)
{
    return QStringLiteral("Out of Range: (%1 to %2)")
        .arg(FormatCounts(limit.Minimum, decimals), FormatCounts(limit.Maximum, decimals));
}

bool IsNumberKeyAccepted(QChar key)
{
    if (key.unicode() < 0x20 || key.unicode() == 0x7F)
        return true;
    return (key >= QLatin1Char('0') && key <= QLatin1Char('9')) || QStringLiteral(" +,-.").contains(key);
}

QString HeaderLimitText()
{
    return QStringLiteral("Maximum size = %1 lines x %2 characters").arg(HeaderMaxLines).arg(HeaderMaxColumns);
}

bool IsHeaderKeyAccepted(QChar key, int lineLength)
{
    // Delete comes as the character 0x7F: it shortens a full line.
    if (key.unicode() <= 0x20 || key.unicode() == 0x7F)
        return true;
    return lineLength < HeaderMaxColumns;
}

bool IsTypedTextAccepted(const QString &text)
{
    return Tdata7410::IsSafeSettingText(text) && IsLatin1Text(text);
}
