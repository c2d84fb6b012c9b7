#include "sim/sim_control.h"

#include "sim/sim_instrument.h"

#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr double LargestErrorE = 1000;
constexpr double LargestLoad = 1e7;
// A line longer than this is no command; it is dropped.
constexpr qsizetype LongestLine = 256;
// How often a simulator in the background looks whether it may read its
// terminal again.
constexpr int BackgroundRetryMs = 1000;

bool Fail(QString *text, const QString &reason)
{
    *text = reason;
    return false;
}

bool ReadNumber(const QString &text, double limit, double *out)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > limit)
        return false;
    *out = value;
    return true;
}

} // namespace

bool SetSimWeighingError(TSimWeighingErrors &errors, const QString &name, const QString &value, QString *error)
{
    double *target = name == QLatin1String("span-error-e")     ? &errors.SpanE
                     : name == QLatin1String("nonlinearity-e") ? &errors.NonlinearityE
                     : name == QLatin1String("eccentricity-e") ? &errors.EccentricityE
                                                               : nullptr;
    if (!target)
        return Fail(error, QStringLiteral("unknown weighing fault: %1").arg(name));
    if (!ReadNumber(value, LargestErrorE, target))
        return Fail(error,
                    QStringLiteral("%1 needs a number of divisions from -%2 to %2").arg(name).arg(LargestErrorE));
    return true;
}

bool ApplySimControl(TSimInstrument &instrument, const QString &line, QString *said)
{
    said->clear();
    const QString text = line.section(QLatin1Char('#'), 0, 0).simplified();
    if (text.isEmpty())
        return true;
    const QStringList words = text.split(QLatin1Char(' '));
    const QString name = words[0].toLower();
    const QString value = words.value(1);
    if (words.size() > 2 || (words.size() == 1 && name != QLatin1String("help")))
        return Fail(said, QStringLiteral("\"%1\" is not a command; try help").arg(text));
    TSimWeighingErrors &errors = instrument.Weight().Errors();
    if (name == QLatin1String("load")) {
        double load = 0;
        if (!ReadNumber(value, LargestLoad, &load))
            return Fail(said, QStringLiteral("load needs a number of counts"));
        instrument.Load().SetFixed(load);
    } else if (name == QLatin1String("position")) {
        bool ok = value.compare(QLatin1String("centre"), Qt::CaseInsensitive) == 0;
        const int position = ok ? 0 : value.toInt(&ok);
        if (!ok || position < 0 || position > 4)
            return Fail(said, QStringLiteral("position takes centre or 0 to 4"));
        errors.Position = position;
    } else if (name == QLatin1String("motion")) {
        if (value != QLatin1String("on") && value != QLatin1String("off"))
            return Fail(said, QStringLiteral("motion takes on or off"));
        errors.Shaking = value == QLatin1String("on");
    } else if (name == QLatin1String("help")) {
        *said = SimControlHelp();
        return true;
    } else if (!SetSimWeighingError(errors, name, value, said)) {
        return false;
    }
    *said = name + QLatin1Char(' ') + value;
    return true;
}

QString SimControlHelp()
{
    return QStringLiteral(
        "load COUNTS          the load on the scale, in display counts\n"
        "position P           where it lies: centre (0) or a corner 1..4\n"
        "span-error-e N       N divisions too much at Full Scale 1, in proportion below it\n"
        "nonlinearity-e N     N divisions too much at half Full Scale 1, none at 0 and Full Scale\n"
        "eccentricity-e N     N divisions for a third of Full Scale on corner 1 or 2, -N on 3 or 4\n"
        "motion on|off        the platform never comes to rest (the stable bit stays clear)");
}

TSimControlReader::TSimControlReader(int fd, TSimInstrument &instrument, QObject *parent)
    : QObject(parent), Fd(fd), Instrument(instrument)
{
    if (::fcntl(Fd, F_GETFD) < 0)
        return;   // started with its standard input closed
    // Started in the background of an interactive shell ("kd4620-sim &"),
    // reading the terminal would stop the simulator; the read fails instead
    // and is tried again later, once it may be in the foreground.
    if (::isatty(Fd))
        std::signal(SIGTTIN, SIG_IGN);
    Notifier = new QSocketNotifier(Fd, QSocketNotifier::Read, this);
    connect(Notifier, &QSocketNotifier::activated, this, &TSimControlReader::OnReadable);
}

void TSimControlReader::OnReadable()
{
    char chunk[512];
    const ssize_t got = ::read(Fd, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got < 0 && errno == EIO && ::isatty(Fd)) {
        Notifier->setEnabled(false);
        QTimer::singleShot(BackgroundRetryMs, Notifier, [this] { Notifier->setEnabled(true); });
        return;
    }
    if (got <= 0) {
        // The end of the input (or a file that cannot be read): a simulator
        // started without one runs on as it is.
        Notifier->setEnabled(false);
        return;
    }
    Pending.append(chunk, got);
    for (qsizetype end = Pending.indexOf('\n'); end >= 0; end = Pending.indexOf('\n')) {
        const QString line = QString::fromLatin1(Pending.left(end)).trimmed();
        Pending.remove(0, end + 1);
        QString said;
        const bool ok = ApplySimControl(Instrument, line, &said);
        if (!said.isEmpty())
            emit Said(ok ? said : QStringLiteral("not taken: ") + said);
    }
    if (Pending.size() > LongestLine)
        Pending.clear();
}
