#include "sim/sim_options.h"

#include "sim/sim_control.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>

namespace {

bool ReadInt(const QCommandLineParser &parser, const QString &name, int minimum, int maximum, int *out,
             QString *message)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < minimum || value > maximum) {
        *message = QStringLiteral("--%1 needs a whole number from %2 to %3").arg(name).arg(minimum).arg(maximum);
        return false;
    }
    *out = value;
    return true;
}

bool ReadScript(const QString &spec, TSimLoadScript *script, QString *message)
{
    QString text = spec;
    QFile file(spec);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            *message = QStringLiteral("cannot read the load script %1: %2").arg(spec, file.errorString());
            return false;
        }
        text = QString::fromLatin1(file.readAll());
    }
    const auto parsed = TSimLoad::ParseScript(text, message);
    if (!parsed)
        return false;
    *script = *parsed;
    return true;
}

// The identity texts go into the reply to "IDN?", so they keep to what the
// host takes back from it: the length limits, one Latin-1 byte a character,
// no double quote, ";" or control character.
bool IsIdentityText(const QString &value)
{
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == u'"' || u == u';' || u < 0x20 || (u >= 0x7f && u <= 0x9f) || u > 0xff)
            return false;
    }
    return true;
}

bool ReadText(const QCommandLineParser &parser, const QString &name, int minimum, int maximum, QString *out,
              QString *message)
{
    if (!parser.isSet(name))
        return true;
    const QString value = parser.value(name);
    if (value.size() < minimum || value.size() > maximum || !IsIdentityText(value)) {
        *message = QStringLiteral("--%1 takes %2 to %3 characters without double quotes, \";\" or control characters")
                       .arg(name)
                       .arg(minimum)
                       .arg(maximum);
        return false;
    }
    *out = value;
    return true;
}

// "1,2,5": unit addresses 1..31, each once.
bool ReadUnits(const QString &text, QList<int> *units, QString *message)
{
    for (const QString &part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int unit = part.trimmed().toInt(&ok);
        if (!ok || unit < 1 || unit > 31 || units->contains(unit)) {
            *message = QStringLiteral("--units takes unit addresses from 1 to 31, each once, separated by commas "
                                      "(such as 1,2,5)");
            return false;
        }
        *units << unit;
    }
    return true;
}

// "1250" or, one a unit, "1000,2000,500".
bool ReadLoads(const QString &text, QList<double> *loads, QString *message)
{
    for (const QString &part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const double load = part.trimmed().toDouble(&ok);
        if (!ok || load < -1e7 || load > 1e7) {
            *message = QStringLiteral("--load needs a number of counts (with --units, one for all or one a unit)");
            return false;
        }
        *loads << load;
    }
    return true;
}

// The units of a bus: each the single instrument's configuration with its
// own address, load (one given for all, one a unit, or 100 counts times its
// address, so that no two weigh alike and none is overloaded) and serial
// number (the given one, or 462000, ended by the address in two digits),
// and a walk of its own.
bool MakeUnits(const QList<int> &units, const QList<double> &loads, bool serialGiven, TSimOptions *options,
               QString *message)
{
    if (!loads.isEmpty() && loads.size() != 1 && loads.size() != units.size()) {
        *message = QStringLiteral("--load takes one load for all units or one a unit (%1 given for %2 units)")
                       .arg(loads.size())
                       .arg(units.size());
        return false;
    }
    const QString serial = serialGiven ? options->Config.SerialNumber.left(8) : QStringLiteral("462000");
    for (qsizetype i = 0; i < units.size(); ++i) {
        TSimConfig unit = options->Config;
        unit.Address = units[i];
        unit.Load = loads.isEmpty() ? 100.0 * units[i] : loads.size() == 1 ? loads.first() : loads[i];
        unit.SerialNumber = serial + QStringLiteral("%1").arg(units[i], 2, 10, QLatin1Char('0'));
        unit.Seed = options->Config.Seed + quint32(units[i]);
        options->Units << unit;
    }
    return true;
}

} // namespace

TSimOptionsResult ParseSimOptions(const QStringList &arguments, TSimOptions *options, QString *message)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated KD4620 weighing indicator on a pseudo-terminal. Prints the device path of its port as the "
        "first line of standard output; logs to standard error. SIGUSR1 pulls the port away, SIGUSR2 switches "
        "silence on and off.\n"
        "It behaves as the instrument does:\n"
        "- Framing: commands end with \";\" or come framed STX...ETX; mnemonics are upper case; S followed by "
        "two digits selects the unit. Lower case, CR or LF as an end and a one-digit selection are refused "
        "unless --lenient.\n"
        "- Weight line of MSV?: the weight field is always a number, also in overload; status bit 0 tells the "
        "host to show dashes.\n"
        "- High resolution (IAD1,...,1,...): the weight carries one decimal more than the decimal point setting "
        "(12.345 where 12.34 would show otherwise).\n"
        "- Linearisation weights are kept at one decimal more than the display: LICn,w takes w in display counts "
        "and LIC?n answers ten times w (500 set answers 5000, which the viewer lists as 500.0).\n"
        "- Weighing mode 3 (WMD4,...: signals in mV/V): LDW? and LWT? answer the stored zero and span signals "
        "in 0.0001 mV/V instead of a calibration progress.\n"
        "- A setpoint's alarm (last field of LIV) takes 0..4, 4 being Flash Display.\n"
        "Standard input takes a line at a time while it runs:\n") + SimControlHelp());
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        {"address", "Unit address, 0..31 (default 0).", "n"},
        {"units", "Several instruments on the one port, as on an RS-485 bus: their unit addresses, 1..31, such as "
                  "1,2,5. Each has its own settings, load (see --load; default 100 counts times its address) and "
                  "serial number (the --serial text, default 462000, ended by its address in two digits), and "
                  "answers only what is addressed to it; replies of two units at once (after S99;) collide into "
                  "noise.", "list"},
        {"passcode", "Passcode of up to 6 digits guarding CWT ENU IAD ICR LBT MTD WMD ZST (default none).", "digits"},
        {"id", "Instrument ID answered to IDN? (default KD4620).", "text"},
        {"serial", "Serial number answered to IDN? (default 46200001).", "text"},
        {"firmware", "Software version answered to IDN? (default 1.04).", "text"},
        {"load", "Fixed load in display counts (default 0); with --units one for all or one a unit, such as "
                 "1000,2500,400.", "counts"},
        {"script", "Load script: a file, or inline pairs of seconds:counts such as \"0:0,2:1500,5:1500,6:0\"; "
                   "linear between points, held after the last, repeated with \"loop\".", "spec"},
        {"walk", "Random-walk load: a new weight every few seconds, with motion while it changes."},
        {"seed", "Seed of the random walk and the noise faults (default 4620).", "n"},
        {"rate", "Weights a second streamed after MSV?,0 (default 10).", "hz"},
        {"binary", "Stream binary weight records (DLE framing) instead of weight lines."},
        {"baud", "Pace the output as at this baud rate (default 0: unpaced).", "baud"},
        {"cal-busy", "Progress queries answered busy before a calibration step computes (default 3).", "n"},
        {"span-error-e", "Span error: N divisions too much at Full Scale 1, in proportion below it (default 0). "
                         "A span calibration takes it out.", "N"},
        {"nonlinearity-e", "Non-linearity: N divisions too much at half Full Scale 1, none at zero and Full Scale "
                           "(default 0).", "N"},
        {"eccentricity-e", "Eccentricity: N divisions too much for a third of Full Scale 1 on corner 1 or 2, N too "
                           "little on corner 3 or 4, in proportion to the load (default 0).", "N"},
        {"fault", "A fault switch; repeat for several:\n" + TSimFaults::Help(), "spec"},
        {"link", "Also make the port known at this path (a symbolic link, made afresh at every start), so a "
                 "simulator started again is found at the same path.", "path"},
        {"verbose", "Log received commands to standard error."},
        {"lenient", "Also take lower-case mnemonics, CR or LF as a command's end and a one-digit unit selection "
                    "such as S7; (the instrument refuses them)."},
        {"line-baud", "Answer only while the port is set to this baud rate; at any other speed send line noise, as "
                      "a real UART does (default: answer at any speed).", "baud"},
    });
    if (!parser.parse(arguments)) {
        *message = parser.errorText();
        return TSimOptionsResult::Error;
    }
    if (parser.isSet(help)) {
        *message = parser.helpText();
        return TSimOptionsResult::ShowText;
    }
    if (parser.isSet(version)) {
        *message = QStringLiteral("kd4620-sim 1.0\n");
        return TSimOptionsResult::ShowText;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *message = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
        return TSimOptionsResult::Error;
    }

    TSimConfig &config = options->Config;
    int seed = int(config.Seed);
    bool ok = ReadInt(parser, "address", 0, 31, &config.Address, message) &&
              ReadInt(parser, "seed", 0, 0x7FFFFFFF, &seed, message) &&
              ReadInt(parser, "rate", 1, 1000, &config.StreamRateHz, message) &&
              ReadInt(parser, "baud", 0, 4000000, &config.Baud, message) &&
              ReadInt(parser, "cal-busy", 0, 1000, &config.CalibrationBusyPolls, message) &&
              ReadInt(parser, "line-baud", 0, 4000000, &options->LineBaud, message) &&
              ReadText(parser, "id", 0, 10, &config.Id, message) &&
              ReadText(parser, "serial", 1, 10, &config.SerialNumber, message) &&
              ReadText(parser, "firmware", 1, 6, &config.Version, message);
    if (!ok)
        return TSimOptionsResult::Error;
    config.Seed = quint32(seed);
    if (parser.isSet("passcode")) {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
        config.Passcode = parser.value("passcode");
        if (!digits.match(config.Passcode).hasMatch()) {
            *message = QStringLiteral("--passcode takes 1 to 6 digits");
            return TSimOptionsResult::Error;
        }
    }
    QList<double> loads;
    if (parser.isSet("load")) {
        if (!ReadLoads(parser.value("load"), &loads, message))
            return TSimOptionsResult::Error;
        if (loads.size() > 1 && !parser.isSet("units")) {
            *message = QStringLiteral("--load takes one load (several only with --units)");
            return TSimOptionsResult::Error;
        }
        config.Load = loads.first();
    }
    if (parser.isSet("script") && !ReadScript(parser.value("script"), &config.Script, message))
        return TSimOptionsResult::Error;
    for (const char *name : {"span-error-e", "nonlinearity-e", "eccentricity-e"})
        if (parser.isSet(name) && !SetSimWeighingError(config.Errors, name, parser.value(name), message))
            return TSimOptionsResult::Error;
    for (const QString &fault : parser.values("fault"))
        if (!config.Faults.Apply(fault, message))
            return TSimOptionsResult::Error;
    config.Walk = parser.isSet("walk");
    config.BinaryStream = parser.isSet("binary");
    config.Lenient = parser.isSet("lenient");
    if (parser.isSet("units")) {
        QList<int> units;
        if (parser.isSet("address")) {
            *message = QStringLiteral("give --address or --units, not both");
            return TSimOptionsResult::Error;
        }
        if (!ReadUnits(parser.value("units"), &units, message)
            || !MakeUnits(units, loads, parser.isSet("serial"), options, message))
            return TSimOptionsResult::Error;
    }
    options->LinkPath = parser.value("link");
    options->Verbose = parser.isSet("verbose");
    return TSimOptionsResult::Run;
}
