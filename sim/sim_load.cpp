#include "sim/sim_load.h"

#include <QRegularExpression>
#include <cmath>

void TSimLoad::SetFixed(double counts)
{
    Kind = TKind::Fixed;
    Fixed = counts;
}

void TSimLoad::SetScript(const TSimLoadScript &script)
{
    Kind = script.Points.isEmpty() ? TKind::Fixed : TKind::Script;
    Script = script;
}

void TSimLoad::SetWalk(quint32 seed, double highestCounts)
{
    Kind = TKind::Walk;
    Random.seed(seed);
    Highest = highestCounts;
    From = To = 0;
    MoveStart = MoveEnd = RestEnd = 0;
}

double TSimLoad::At(qint64 ms)
{
    switch (Kind) {
    case TKind::Fixed:
        return Fixed;
    case TKind::Script:
        return ScriptAt(double(ms) / 1000.0);
    case TKind::Walk:
        return WalkAt(ms);
    }
    return 0;
}

double TSimLoad::ScriptAt(double seconds) const
{
    const QList<TSimLoadPoint> &points = Script.Points;
    const double last = points.last().Seconds;
    if (Script.Loop && last > 0)
        seconds = std::fmod(seconds, last);
    if (seconds <= points.first().Seconds)
        return points.first().Counts;
    for (int i = 1; i < points.size(); ++i) {
        if (seconds > points[i].Seconds)
            continue;
        const TSimLoadPoint &a = points[i - 1];
        const TSimLoadPoint &b = points[i];
        const double span = b.Seconds - a.Seconds;
        return span <= 0 ? b.Counts : a.Counts + (b.Counts - a.Counts) * (seconds - a.Seconds) / span;
    }
    return points.last().Counts;
}

double TSimLoad::WalkAt(qint64 ms)
{
    while (ms >= RestEnd) {
        From = To;
        MoveStart = RestEnd;
        NextWalkMove();
    }
    if (ms >= MoveEnd)
        return To;
    const double fraction = double(ms - MoveStart) / double(MoveEnd - MoveStart);
    return From + (To - From) * fraction;
}

void TSimLoad::NextWalkMove()
{
    // Mostly a new weight somewhere on the scale, now and then an empty scale
    // (never twice running), in whole steps of 5 counts so that a resting
    // weight reads steadily.
    if (From != 0 && Random.bounded(4) == 0)
        To = 0;
    else
        To = std::round(Random.bounded(Highest) / 5.0) * 5.0;
    MoveEnd = MoveStart + 300 + Random.bounded(900);
    RestEnd = MoveEnd + 1500 + Random.bounded(2500);
}

std::optional<TSimLoadScript> TSimLoad::ParseScript(const QString &text, QString *error)
{
    TSimLoadScript script;
    QString cleaned;
    for (const QString &line : text.split(QLatin1Char('\n')))
        cleaned += line.section(QLatin1Char('#'), 0, 0) + QLatin1Char(' ');
    static const QRegularExpression separators(QStringLiteral("[,;\\s]+"));
    const QStringList tokens = cleaned.replace(QLatin1Char(':'), QLatin1Char(' ')).split(separators, Qt::SkipEmptyParts);
    QList<double> numbers;
    for (const QString &token : tokens) {
        if (token.compare(QLatin1String("loop"), Qt::CaseInsensitive) == 0) {
            script.Loop = true;
            continue;
        }
        bool ok = false;
        const double number = token.toDouble(&ok);
        if (!ok || !std::isfinite(number)) {
            *error = QStringLiteral("not a number in the load script: %1").arg(token);
            return std::nullopt;
        }
        numbers << number;
    }
    if (numbers.isEmpty() || numbers.size() % 2 != 0) {
        *error = QStringLiteral("the load script needs pairs of seconds and counts");
        return std::nullopt;
    }
    for (int i = 0; i < numbers.size(); i += 2) {
        if (!script.Points.isEmpty() && numbers[i] < script.Points.last().Seconds) {
            *error = QStringLiteral("the times of the load script must not go back (%1 s)").arg(numbers[i]);
            return std::nullopt;
        }
        script.Points.append({numbers[i], numbers[i + 1]});
    }
    return script;
}
