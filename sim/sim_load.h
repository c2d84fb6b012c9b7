#pragma once
// What lies on the simulated load cell over time, in display counts at the
// factory calibration: a fixed load, a script of points (linear between them,
// held after the last or repeated), or a random walk that picks a new weight
// now and then, moves to it and rests there.

#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <optional>

struct TSimLoadPoint {
    double Seconds = 0;
    double Counts = 0;
};

struct TSimLoadScript {
    QList<TSimLoadPoint> Points; // ascending times
    bool Loop = false;
};

class TSimLoad {
public:
    void SetFixed(double counts);
    void SetScript(const TSimLoadScript &script);
    void SetWalk(quint32 seed, double highestCounts);

    // The load at a time since the simulator started; times must not go back.
    double At(qint64 ms);

    // "0:0, 2:1500 5:1500 loop": pairs of seconds and counts separated by
    // ":" or blanks, between commas, blanks or line breaks; "#" starts a
    // comment up to the line end.
    static std::optional<TSimLoadScript> ParseScript(const QString &text, QString *error);

private:
    enum class TKind { Fixed, Script, Walk };
    TKind Kind = TKind::Fixed;
    double Fixed = 0;
    TSimLoadScript Script;

    // The walk: a move from From to To between two times, then a rest.
    QRandomGenerator Random;
    double Highest = 0;
    double From = 0;
    double To = 0;
    qint64 MoveStart = 0;
    qint64 MoveEnd = 0;
    qint64 RestEnd = 0;

    double ScriptAt(double seconds) const;
    double WalkAt(qint64 ms);
    void NextWalkMove();
};
