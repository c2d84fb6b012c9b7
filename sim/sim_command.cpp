#include "sim/sim_command.h"

static bool IsAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

static bool IsAsciiUpper(QChar c)
{
    return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
}

static bool IsAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

TSimCommand ParseSimCommand(const QString &text, bool lenient)
{
    TSimCommand command;
    command.Text = text;
    int length = 0;
    if (text.size() >= 2 && text[0] == QLatin1Char('S') && IsAsciiDigit(text[1])) {
        command.Mnemonic = QStringLiteral("S");
        length = 1;
    } else if (text.size() >= 2 && text[0] == QLatin1Char('K') && IsAsciiLetter(text[1])) {
        command.Mnemonic = text.left(2);
        length = 2;
    } else {
        const auto isMnemonicLetter = lenient ? IsAsciiLetter : IsAsciiUpper;
        while (length < 3 && length < text.size() && isMnemonicLetter(text[length]))
            ++length;
        command.Mnemonic = text.left(length).toUpper();
    }
    if (length < text.size() && text[length] == QLatin1Char('?')) {
        command.Query = true;
        ++length;
    }
    command.Argument = text.mid(length);
    return command;
}

static std::optional<TSimValue> ParseValue(const QString &piece)
{
    TSimValue value;
    if (piece.startsWith(QLatin1Char('"'))) {
        if (piece.size() < 2 || !piece.endsWith(QLatin1Char('"')))
            return std::nullopt;
        value.IsText = true;
        value.Text = piece.mid(1, piece.size() - 2);
        if (value.Text.contains(QLatin1Char('"')))
            return std::nullopt; // could never be read back intact
        return value;
    }
    int start = (piece.startsWith(QLatin1Char('-')) || piece.startsWith(QLatin1Char('+'))) ? 1 : 0;
    const int digits = int(piece.size()) - start;
    if (digits < 1 || digits > 10)
        return std::nullopt;
    for (int i = start; i < piece.size(); ++i)
        if (!IsAsciiDigit(piece[i]))
            return std::nullopt;
    value.Number = piece.mid(start).toLongLong();
    if (piece.startsWith(QLatin1Char('-')))
        value.Number = -value.Number;
    return value;
}

std::optional<QList<TSimValue>> SplitSimValues(const QString &argument)
{
    QList<TSimValue> values;
    if (argument.isEmpty())
        return values;
    bool inQuotes = false;
    QString piece;
    auto take = [&]() {
        const auto value = ParseValue(piece.trimmed());
        piece.clear();
        if (value)
            values.append(*value);
        return value.has_value();
    };
    for (const QChar c : argument) {
        if (c == QLatin1Char('"'))
            inQuotes = !inQuotes;
        if (c == QLatin1Char(',') && !inQuotes) {
            if (!take())
                return std::nullopt;
            continue;
        }
        piece += c;
    }
    if (inQuotes || !take())
        return std::nullopt;
    return values;
}
