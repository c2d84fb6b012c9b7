#include "logging/logchoices.h"

#include <QRegularExpression>

#include <algorithm>

namespace LogUnits {

bool Parse(const QString &text, QList<int> *units, QString *error)
{
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    QList<int> parsed;
    for (const QString &word : text.split(separators, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int unit = word.toInt(&ok);
        if (!ok || unit < FirstAddress || unit > LastAddress) {
            if (error)
                *error = QStringLiteral("\"%1\" is no unit address: unit addresses are %2 to %3, separated by "
                                        "commas (such as 1, 2, 5).")
                             .arg(word)
                             .arg(FirstAddress)
                             .arg(LastAddress);
            return false;
        }
        if (!parsed.contains(unit))
            parsed << unit;
    }
    *units = parsed;
    return true;
}

QString Text(const QList<int> &units)
{
    QStringList words;
    for (int unit : units)
        words << QString::number(unit);
    return words.join(QStringLiteral(", "));
}

QString Problem(int rate, const QList<int> &units, int connectedUnit)
{
    const bool streamed = LogChannels::RateDivisorOf(std::max(rate, 0)) == 0;
    if (!streamed || units.isEmpty() || units == QList<int>{connectedUnit})
        return {};
    return QStringLiteral("\"Auto\" logs what the unit connected to streams, and no other unit. To log units %1, "
                          "choose the sample rate 10 Hz, 1 Hz or 1/10 secs.")
        .arg(Text(units));
}

} // namespace LogUnits
