#include "settings/tools.h"

#include <QLocale>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

constexpr int MaxDecimals = 5;

qint64 PowerOfTen(int exponent)
{
    qint64 result = 1;
    while (exponent-- > 0)
        result *= 10;
    return result;
}

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// Where a typed number's decimal point stands: the first "." or the user's
// locale's decimal separator (a comma in German), -1 when there is none.
qsizetype DecimalPointAt(const QString &text)
{
    const qsizetype dot = text.indexOf(u'.');
    const QString local = QLocale().decimalPoint();
    if (local.size() != 1 || local == QLatin1String("."))
        return dot;
    const qsizetype other = text.indexOf(local);
    if (other < 0 || (dot >= 0 && dot < other))
        return dot;
    return other;
}

} // namespace

QString FormatCounts(qint32 counts, int decimals)
{
    if (decimals < 0 || decimals > MaxDecimals)
        return QString();
    if (decimals == 0)
        return QString::number(counts);
    // Whole-number arithmetic, so no value is ever shown rounded.
    const qint64 magnitude = std::abs(qint64(counts));
    const qint64 scale = PowerOfTen(decimals);
    QString text = counts < 0 ? QStringLiteral("-") : QString();
    text += QString::number(magnitude / scale);
    text += u'.';
    text += QString::number(magnitude % scale).rightJustified(decimals, u'0');
    return text;
}

qint32 ParseCounts(const QString &text)
{
    constexpr qint64 limit = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 magnitude = 0;
    bool negative = false;
    for (const QChar c : text) {
        if (IsDigit(c))
            magnitude = std::min(magnitude * 10 + (c.unicode() - u'0'), limit);
        else if (c == u'-')
            negative = true;
    }
    if (negative)
        return static_cast<qint32>(-magnitude);
    return static_cast<qint32>(std::min(magnitude, limit - 1));
}

QString WithDotDecimal(const QString &typed)
{
    const qsizetype point = DecimalPointAt(typed);
    if (point < 0 || typed.at(point) == u'.')
        return typed;
    QString text = typed;
    text[point] = u'.';
    return text;
}

QString FixDecimals(const QString &text, int decimals)
{
    const qsizetype point = DecimalPointAt(text);
    QString result = point < 0 ? text : text.left(point);
    if (result.isEmpty())
        result = QStringLiteral("0");
    if (decimals <= 0)
        return result;
    result += u'.';
    for (int i = 1; i <= decimals; ++i) {
        const qsizetype at = point < 0 ? text.size() : point + i;
        result += at < text.size() ? text.at(at) : QChar(u'0');
    }
    return result;
}

double ParseDecimal(const QString &text)
{
    double value = 0;
    int decimals = 0;
    bool afterPoint = false;
    bool negative = false;
    for (const QChar c : text) {
        if (IsDigit(c)) {
            value = value * 10 + (c.unicode() - u'0');
            if (afterPoint)
                ++decimals;
        } else if (c == u'.') {
            afterPoint = true;
        } else if (c == u'-') {
            negative = true;
        }
    }
    if (value >= ExactDigitsLimit || decimals > ExactDecimalsLimit) {
        std::string digits;
        for (const QChar c : text)
            if (IsDigit(c))
                digits += char(c.unicode());
        return DecimalValue(digits, decimals, negative);
    }
    value /= std::pow(10.0, decimals);
    return negative ? -value : value;
}

double DecimalValue(std::string_view digits, int decimals, bool negative)
{
    // strtod rounds to nearest (to infinity or zero beyond the range); with
    // no decimal point in the text the locale does not matter.
    std::string text(digits);
    text += "e-";
    text += std::to_string(decimals);
    const double value = std::strtod(text.c_str(), nullptr);
    return negative ? -value : value;
}

namespace {

// Mnemonics and numbers compare without regard to letter case, texts (within
// double quotes) exactly: "SILO4" is another ID than "silo4".
QString CompareKey(const QString &line)
{
    QString key = line;
    bool inText = false;
    for (QChar &c : key) {
        if (c == u'"')
            inText = !inText;
        else if (!inText)
            c = c.toCaseFolded();
    }
    return key;
}

} // namespace

void RemoveCommon(QStringList &first, const QStringList &second)
{
    QSet<QString> common;
    common.reserve(second.size());
    for (const QString &line : second)
        common.insert(CompareKey(line));
    first.removeIf([&common](const QString &line) { return common.contains(CompareKey(line)); });
}

QString DirectSignalText(qint32 value)
{
    return QString::number(value / 10000.0, 'f', 4);
}
