#include "link/comms.h"

#include <algorithm>

namespace {

// Magnitude of the most negative 32-bit number. Accumulation stops once a
// field's digits pass it, so a long digit string can never wrap around into
// a plausible in-range value.
constexpr qint64 MagnitudeLimit = qint64(1) << 31;

int DigitValue(QChar c, bool hex)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (hex && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (hex && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

bool IsDigit(QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; }

qsizetype SkipBlanks(QStringView text, qsizetype i)
{
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    return i;
}

// Where a number in the weight field's form that starts at i ends (after
// its trailing blanks), or -1 when there is none.
qsizetype NumberEnd(QStringView text, qsizetype i)
{
    i = SkipBlanks(text, i);
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        i = SkipBlanks(text, i + 1);
    int digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (IsDigit(text.at(i)))
            ++digits;
        else if (text.at(i) == u'.' && !point)
            point = true;
        else
            break;
    }
    return digits > 0 ? SkipBlanks(text, i) : -1;
}

// ",", then exactly `count` digits, from i; where they end, or -1.
qsizetype DigitFieldEnd(QStringView text, qsizetype i, int count)
{
    if (i >= text.size() || text.at(i) != u',')
        return -1;
    for (int k = 1; k <= count; ++k)
        if (i + k >= text.size() || !IsDigit(text.at(i + k)))
            return -1;
    return i + 1 + count;
}

} // namespace

bool IsWeightLine(QStringView line)
{
    qsizetype i = NumberEnd(line, 0);
    if (i >= 0)
        i = DigitFieldEnd(line, i, 2);
    if (i >= 0)
        i = DigitFieldEnd(line, i, 3);
    return i == line.size();
}

bool IsSingleNumber(QStringView reply) { return NumberEnd(reply, 0) == reply.size(); }

// Working state of one Parse call.
struct Tcommsobj::TScan {
    enum class TKind { Empty, Number, Other };
    qint64 radix = 10;
    bool insideQuotes = false;
    bool negative = false;
    bool overflow = false;
    TKind kind = TKind::Empty;
    qsizetype pointPosition = 0;
    qint64 value = 0;
};

Tcommsobj::Tcommsobj()
{
    std::fill(std::begin(values), std::end(values), 0);
    std::fill(std::begin(places), std::end(places), 0);
    std::fill(std::begin(isNumber), std::end(isNumber), false);
}

void Tcommsobj::BeginField()
{
    currentText = fieldCount < MaxFields ? &texts[fieldCount] : &overflowText;
    // resize keeps the capacity, so the slot's buffer is reused.
    currentText->resize(0);
}

void Tcommsobj::EndField(TScan &scan)
{
    if (scan.insideQuotes)
        return; // the quoted text goes on past this point
    if (fieldCount < MaxFields) {
        qint64 magnitude = scan.value;
        const bool fits = !scan.overflow
                          && (scan.negative ? magnitude <= MagnitudeLimit : magnitude < MagnitudeLimit);
        const bool number = scan.kind == TScan::TKind::Number && fits;
        if (!number)
            magnitude = 0;
        else if (scan.negative)
            magnitude = -magnitude;
        values[fieldCount] = static_cast<qint32>(magnitude);
        places[fieldCount] = static_cast<qint32>(std::min<qsizetype>(scan.pointPosition, 0x7fffffff));
        isNumber[fieldCount] = number;
        ++fieldCount;
    }
    BeginField();
    scan.kind = TScan::TKind::Empty;
    scan.value = 0;
    scan.overflow = false;
    scan.negative = false;
}

bool Tcommsobj::Parse(const QString &text, bool hex, bool skipPrefix)
{
    std::fill(std::begin(values), std::end(values), 0);
    std::fill(std::begin(places), std::end(places), 0);
    std::fill(std::begin(isNumber), std::end(isNumber), false);
    fieldCount = 0;
    BeginField();

    TScan scan;
    scan.radix = hex ? 16 : 10;
    const qsizetype length = text.size();
    // Positions count from 1 over the whole text, skipped characters included.
    for (qsizetype i = skipPrefix ? 4 : 1; i <= length; ++i) {
        const QChar c = text.at(i - 1);
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'+') {
            // no effect on the number
        } else if (u == u'"') {
            scan.insideQuotes = !scan.insideQuotes;
            if (scan.insideQuotes)
                currentText->resize(0); // what stood before the quote is dropped
            continue;
        } else if (u == u',') {
            if (scan.insideQuotes) {
                currentText->append(c);
                continue;
            }
            if (scan.pointPosition != 0)
                scan.pointPosition = i - scan.pointPosition - 1;
            EndField(scan);
            scan.pointPosition = 0;
            continue;
        } else if (u == u'-') {
            scan.negative = true;
        } else if (u == u'.') {
            scan.pointPosition = i;
        } else if (const int digit = DigitValue(c, hex); digit >= 0) {
            if (!scan.overflow) {
                scan.value = scan.value * scan.radix + digit;
                scan.overflow = scan.value > MagnitudeLimit;
            }
            scan.kind = TScan::TKind::Number;
        } else {
            scan.kind = TScan::TKind::Other;
            scan.value = 0;
            scan.overflow = false;
        }
        currentText->append(c);
    }
    if (scan.pointPosition != 0)
        scan.pointPosition = length - scan.pointPosition;
    EndField(scan);
    return !scan.insideQuotes && fieldCount > 0;
}

bool Tcommsobj::GetInt(int index, qint32 &value, qint32 minimum, qint32 maximum, qint32 &placesOut) const
{
    if (index < 0 || index >= fieldCount || !isNumber[index])
        return false;
    if (values[index] < minimum || values[index] > maximum)
        return false;
    value = values[index];
    placesOut = places[index];
    return true;
}

bool Tcommsobj::GetText(int index, QString &text, int minimumLength, int maximumLength) const
{
    if (index < 0 || index >= fieldCount)
        return false;
    const qsizetype length = texts[index].size();
    if (length < minimumLength || length > maximumLength)
        return false;
    text = texts[index];
    return true;
}
