#include "sim/sim_faults.h"

#include <QStringList>

namespace {

bool ReadCount(const QString &value, int minimum, int *out, QString *error, const QString &name)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < minimum) {
        *error = QStringLiteral("fault %1 needs a whole number of at least %2").arg(name).arg(minimum);
        return false;
    }
    *out = number;
    return true;
}

QSet<QString> ReadMnemonics(const QString &value)
{
    QSet<QString> set;
    for (const QString &item : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString name = item.trimmed();
        // Key commands keep their case (Kz is not KZ); mnemonics are upper case.
        set.insert(name.startsWith(QLatin1Char('K')) && name.size() == 2 ? name : name.toUpper());
    }
    return set;
}

// "1,0,0,50": the answers a calibration step gives to its progress queries.
bool ReadProgress(const QString &value, QList<int> *out, QString *error)
{
    QList<int> answers;
    for (const QString &item : value.split(QLatin1Char(','))) {
        bool ok = false;
        const int answer = item.trimmed().toInt(&ok);
        if (!ok || answer < 0) {
            *error = QStringLiteral("fault progress needs whole numbers of at least 0, separated by commas");
            return false;
        }
        answers << answer;
    }
    *out = answers;
    return true;
}

} // namespace

bool TSimFaults::Apply(const QString &spec, QString *error)
{
    const QString name = spec.section(QLatin1Char('='), 0, 0).trimmed().toLower();
    const QString value = spec.section(QLatin1Char('='), 1).trimmed();
    const bool hasValue = spec.contains(QLatin1Char('='));
    if (name == QLatin1String("silent")) {
        if (hasValue)
            SilentTo.unite(ReadMnemonics(value));
        else
            Silent = true;
        return true;
    }
    if (name == QLatin1String("refuse")) {
        RefuseTo.unite(ReadMnemonics(value));
        return true;
    }
    if (name == QLatin1String("caldata")) {
        CalibrationData = value;
        return true;
    }
    if (name == QLatin1String("calnoise")) {
        CalibrationNoise = value;
        return true;
    }
    if (name == QLatin1String("progress"))
        return ReadProgress(value, &CalibrationProgress, error);
    if (name == QLatin1String("esr")) {
        bool ok = false;
        const uint status = value.toUInt(&ok, 16);
        if (!ok || status > 0xFFFF) {
            *error = QStringLiteral("fault esr needs up to four hexadecimal digits");
            return false;
        }
        ErrorStatus = quint16(status);
        return true;
    }
    struct TCountSwitch {
        const char *Name;
        int *Target;
        int Minimum;
    };
    const TCountSwitch counts[] = {
        {"latency", &LatencyMs, 0},   {"garbage", &GarbageEvery, 1},
        {"cut", &CutEvery, 1},        {"overlong", &OverlongEvery, 1},
        {"dle", &DleStormEvery, 1},   {"calerror", &CalibrationError, 101},
        {"portloss", &PortLossAfterCommands, 1}, {"portloss-ms", &PortLossAfterMs, 1},
    };
    for (const TCountSwitch &entry : counts)
        if (name == QLatin1String(entry.Name))
            return ReadCount(value, entry.Minimum, entry.Target, error, name);
    *error = QStringLiteral("unknown fault: %1").arg(spec);
    return false;
}

QString TSimFaults::Help()
{
    return QStringLiteral(
        "latency=MS        every reply waits MS milliseconds\n"
        "silent            nothing goes out (commands still act)\n"
        "silent=MNE,...    these commands are not heard at all (e.g. MSV,ESR,Kz)\n"
        "refuse=MNE,...    these commands are answered \"?\" (refuse=*: every command)\n"
        "garbage=N         every N-th line is preceded by a line of noise\n"
        "cut=N             every N-th line loses its second half and its line end\n"
        "overlong=N        every N-th line is preceded by a line of %1 characters\n"
        "dle=N             every N-th line is preceded by a burst of broken DLE framing\n"
        "calerror=CODE     zero and span calibration end with CODE (101..)\n"
        "caldata=TEXT      TEXT is answered to MDD?1 instead of the calibration data\n"
        "calnoise=TEXT     TEXT arrives as a line of its own just before the next\n"
        "                  answer to MDD?1 (once)\n"
        "progress=N,...    zero and span answer their progress queries with these, the\n"
        "                  last one for ever after (e.g. 1,0,0,0,0,0 or 50)\n"
        "esr=HEX           the error status word answered to ESR?\n"
        "portloss=N        the port goes away when the N-th command arrives\n"
        "portloss-ms=MS    the port goes away MS milliseconds after the start")
        .arg(SimOverlongLength);
}
