#include "settings/editorentry.h"

#include "link/ioiface.h"
#include "settings/database.h"
#include "settings/tools.h"

#include <QLocale>

namespace {

bool IsLocaleDecimalPoint(QChar c)
{
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 && point.front() == c;
}

bool IsPlainDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

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
    case TargetTag:   // a target may lie below zero, as the instrument allows
        return TEntryLimit{-99999, 999999};
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
    return IsPlainDigit(key) || QStringLiteral(" +-.").contains(key) || IsLocaleDecimalPoint(key);
}

std::optional<qint32> TypedCounts(const QString &text, int decimals)
{
    QString number = text.trimmed();
    bool negative = false;
    if (number.startsWith(QLatin1Char('-')) || number.startsWith(QLatin1Char('+'))) {
        negative = number.front() == QLatin1Char('-');
        number.remove(0, 1);
    }
    if (number.isEmpty())
        return text.trimmed().isEmpty() ? std::optional<qint32>(0) : std::nullopt;
    bool point = false;
    bool digits = false;
    for (QChar &c : number) {
        if (IsPlainDigit(c)) {
            digits = true;
        } else if (!point && (c == QLatin1Char('.') || IsLocaleDecimalPoint(c))) {
            point = true;
            c = QLatin1Char('.');
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    const qint32 counts = ParseCounts(FixDecimals(number, decimals));
    return negative ? -counts : counts;
}

std::optional<qint32> TypedWholeNumber(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<qint32>(value) : std::nullopt;
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
