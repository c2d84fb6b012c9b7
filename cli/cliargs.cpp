#include "cli/cliargs.h"

#include "logging/logchoices.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

// A verification's plan, not a log.
constexpr int MostLoads = 100;

bool Fail(QString *error, const QString &text)
{
    *error = text;
    return false;
}

const TCliOption *FindOption(const QString &name)
{
    for (const TCliOption &option : CliOptions())
        if (option.Name == name)
            return &option;
    return nullptr;
}

bool TakeValue(const QString &name, const QString &value, TCliArgs &args, QString *error)
{
    bool ok = false;
    if (name == QLatin1String("port")) {
        if (value.isEmpty())
            return Fail(error, QStringLiteral("--port needs a port name"));
        args.Port = value;
    } else if (name == QLatin1String("baud")) {
        const int baud = value.toInt(&ok);
        if (!ok || baud <= 0)
            return Fail(error, QStringLiteral("--baud needs a baud rate, e.g. 9600"));
        args.Baud = baud;
    } else if (name == QLatin1String("address")) {
        // Several units of a bus, for log: "1,2,5".
        if (value.contains(QLatin1Char(','))) {
            QList<int> units;
            if (!LogUnits::Parse(value, &units, nullptr) || units.isEmpty())
                return Fail(error, QStringLiteral("--address takes unit addresses from 1 to 31 separated by commas "
                                                  "(such as 1,2,5), or one address, or any"));
            args.Addresses = units;
            args.Address = units.first();
            return true;
        }
        const int address = value.compare(QLatin1String("any"), Qt::CaseInsensitive) == 0 ? 99 : value.toInt(&ok);
        if (address != 99 && (!ok || address < 0 || address > 31))
            return Fail(error, QStringLiteral("--address takes a unit address from 1 to 31, or any"));
        args.Address = address == 0 ? 99 : address;   // 0 is "any", as in the connection settings
        args.Addresses = {*args.Address};
    } else if (name == QLatin1String("data-bits")) {
        const int bits = value.toInt(&ok);
        if (!ok || (bits != 7 && bits != 8))
            return Fail(error, QStringLiteral("--data-bits takes 7 or 8"));
        args.DataBits = bits;
    } else if (name == QLatin1String("parity")) {
        static const QStringList parities{"none", "odd", "even"};
        const qsizetype parity = parities.indexOf(value.toLower());
        if (parity < 0)
            return Fail(error, QStringLiteral("--parity takes none, odd or even"));
        args.Parity = int(parity);
    } else if (name == QLatin1String("stop-bits")) {
        const int bits = value.toInt(&ok);
        if (!ok || (bits != 1 && bits != 2))
            return Fail(error, QStringLiteral("--stop-bits takes 1 or 2"));
        args.StopBits = bits;
    } else if (name == QLatin1String("passcode")) {
        args.Passcode = value;
    } else if (name == QLatin1String("passcode-file")) {
        if (value.isEmpty())
            return Fail(error, QStringLiteral("--passcode-file needs a file name"));
        args.PasscodeFile = value;
    } else if (name == QLatin1String("seconds")) {
        args.Seconds = value.toDouble(&ok);
        if (!ok || args.Seconds <= 0 || args.Seconds > 7 * 24 * 3600)
            return Fail(error, QStringLiteral("--seconds needs a duration in seconds"));
    } else if (name == QLatin1String("since")) {
        args.Since = SinceOf(value);
        if (!args.Since.isValid())
            return Fail(error, QStringLiteral("--since takes a date, 2024-05-01, or a date and time, 2024-05-01T08:30"));
    } else if (name == QLatin1String("loads")) {
        args.Loads.clear();
        for (const QString &item : value.split(QLatin1Char(','))) {
            const double load = QLocale::c().toDouble(item.trimmed(), &ok);
            if (!ok || !std::isfinite(load) || load < 0 || args.Loads.size() >= MostLoads)
                return Fail(error, QStringLiteral("--loads needs up to %1 weights of 0 or more, such as 0,500,2000")
                                       .arg(MostLoads));
            args.Loads << load;
        }
    } else if (name == QLatin1String("class")) {
        static const QStringList classes{"I", "II", "III", "IIII"};
        if (!classes.contains(value.trimmed().toUpper()))
            return Fail(error, QStringLiteral("--class takes I, II, III or IIII"));
        args.AccuracyClass = value.trimmed().toUpper();
    } else if (name == QLatin1String("e") || name == QLatin1String("max")) {
        const double weight = QLocale::c().toDouble(value.trimmed(), &ok);
        if (!ok || !std::isfinite(weight) || weight <= 0)
            return Fail(error, QStringLiteral("--%1 needs a weight above 0").arg(name));
        (name == QLatin1String("e") ? args.ScaleInterval : args.Capacity) = weight;
    } else if (name == QLatin1String("certificate")) {
        if (value.isEmpty())
            return Fail(error, QStringLiteral("--certificate needs a file name"));
        args.Certificate = value;
    } else if (name == QLatin1String("rate")) {
        const std::optional<int> rate = RateItemOf(value);
        if (!rate)
            return Fail(error, QStringLiteral("--rate takes auto, or 100, 10 or 1 samples a second"));
        args.Rate = *rate;
    }
    return true;
}

void TakeFlag(const QString &name, TCliArgs &args)
{
    args.Json |= name == QLatin1String("json");
    args.Yes |= name == QLatin1String("yes");
    args.DryRun |= name == QLatin1String("dry-run");
    args.Help |= name == QLatin1String("help");
    args.Version |= name == QLatin1String("version");
    args.InService |= name == QLatin1String("in-service");
}

bool IsPasscode(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    return digits.match(text).hasMatch();
}

} // namespace

const std::vector<TCliOption> &CliOptions()
{
    static const std::vector<TCliOption> options{
        {"port", "P", "serial port (default: the viewer's connection settings)"},
        {"baud", "N", "baud rate (default: the viewer's; find: only this rate)"},
        {"address", "A|any", "unit address 1..31 or any (default: the viewer's; find: any); log: also a list, 1,2,5"},
        {"data-bits", "7|8", "data bits (default: the viewer's; find: 8)"},
        {"parity", "none|odd|even", "parity (default: the viewer's; find: none)"},
        {"stop-bits", "1|2", "stop bits (default: the viewer's; find: 1)"},
        {"passcode-file", "F", "write: the passcode from file F, readable by its owner only"},
        {"passcode", "N", "write: the passcode (seen by other users in the process list)"},
        {"dry-run", "", "write: list the lines that would be written, write nothing"},
        {"yes", "", "restore: answer yes to every question"},
        {"seconds", "S", "log: how long to log, in seconds"},
        {"rate", "auto|100|10|1", "log: at most this many samples a second; auto: as the instrument streams"},
        {"since", "DATE", "history: only entries from DATE on (2024-05-01 or 2024-05-01T08:30, UTC)"},
        {"loads", "L1,L2,...", "verify: the test loads, placed in this order"},
        {"class", "I|II|III|IIII", "verify: the accuracy class (default III)"},
        {"e", "E", "verify: the verification scale interval (default: the instrument's display step)"},
        {"max", "M", "verify: Max (default: the instrument's Full Scale 1)"},
        {"in-service", "", "verify: the MPE of an instrument in service (twice that of initial verification)"},
        {"certificate", "OUT.pdf", "verify: also write the certificate as a PDF file"},
        {"json", "", "results, and a failure, as one JSON object per line on standard output"},
        {"help", "", "this text; COMMAND --help for a command's"},
        {"version", "", "the program's version"},
    };
    return options;
}

QString OptionHelp(const QStringList &names)
{
    QString text;
    for (const QString &name : names)
        if (const TCliOption *option = FindOption(name)) {
            const QString left = QStringLiteral("--%1 %2").arg(option->Name, option->Value).trimmed();
            text += QStringLiteral("  %1 %2\n").arg(left, -24).arg(option->Help);
        }
    return text;
}

QDateTime SinceOf(const QString &text)
{
    const QString given = text.trimmed();
    if (const QDate date = QDate::fromString(given, Qt::ISODate); date.isValid())
        return date.startOfDay(Qt::UTC);
    QDateTime time = QDateTime::fromString(given, Qt::ISODateWithMs);
    if (!time.isValid())
        return {};
    if (time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    return time.toUTC();
}

std::optional<int> RateItemOf(const QString &text)
{
    const QString rate = text.trimmed().toLower();
    if (rate == QLatin1String("auto"))
        return 0;
    // The logging dialog's own names for its items, as earlier versions took them.
    static const QStringList items{"10hz", "1hz", "0.1hz"};
    if (const qsizetype item = items.indexOf(rate); item >= 0)
        return int(item) + 1;
    // A polled log asks as fast as the instrument answers, at most once a
    // 10 ms tick, and its items keep every reply, every tenth or every
    // hundredth: at most 100, 10 or 1 samples a second.
    bool ok = false;
    const double perSecond = rate.toDouble(&ok);
    const double most[] = {100, 10, 1};
    for (int item = 0; ok && item < 3; ++item)
        if (qFuzzyCompare(perSecond, most[item]))
            return item + 1;
    return std::nullopt;
}

bool ParseCliArgs(const QStringList &arguments, TCliArgs &args, QString *error)
{
    args = TCliArgs();
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &word = arguments[i];
        const bool option = !optionsEnded && word.startsWith(QLatin1Char('-')) && word != QLatin1String("-");
        if (!option) {
            if (args.Command.isEmpty())
                args.Command = word;
            else
                args.Operands << word;
            continue;
        }
        if (word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (word == QLatin1String("-h")) {
            args.Help = true;
            continue;
        }
        if (!word.startsWith(QLatin1String("--")))
            return Fail(error, QStringLiteral("unknown option %1").arg(word));
        QString name = word.mid(2);
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        const TCliOption *known = FindOption(name);
        if (!known)
            return Fail(error, QStringLiteral("unknown option %1").arg(word));
        if (known->Value.isEmpty()) {
            if (value)
                return Fail(error, QStringLiteral("--%1 takes no value").arg(name));
            TakeFlag(name, args);
        } else {
            if (!value) {
                if (i + 1 >= arguments.size())
                    return Fail(error, QStringLiteral("--%1 needs a value").arg(name));
                value = arguments[++i];
            }
            if (!TakeValue(name, *value, args, error))
                return false;
        }
        args.Given << name;
    }
    if (args.Passcode && !args.PasscodeFile.isEmpty())
        return Fail(error, QStringLiteral("give the passcode with --passcode-file or --passcode, not both"));
    return true;
}

bool ResolvePasscode(const TCliArgs &args, const QString &environment, QString &passcode, QString *error)
{
    passcode.clear();
    QString from;
    if (!args.PasscodeFile.isEmpty()) {
        const QString &path = args.PasscodeFile;
        QFile file(path);
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::ReadOther
                                                | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!QFileInfo(path).isFile())
            return Fail(error, QStringLiteral("cannot read the passcode file %1: there is no such file").arg(path));
        if (file.permissions() & others)
            return Fail(error, QStringLiteral("the passcode file %1 may be read or changed by other users; "
                                              "make it the owner's alone (chmod 600 %1)")
                                   .arg(path));
        if (!file.open(QIODevice::ReadOnly))
            return Fail(error, QStringLiteral("cannot read the passcode file %1: %2").arg(path, file.errorString()));
        passcode = QString::fromLatin1(file.readLine(64)).trimmed();
        from = QStringLiteral("the passcode file %1").arg(path);
    } else if (args.Passcode) {
        passcode = *args.Passcode;
        from = QStringLiteral("--passcode");
    } else {
        passcode = environment;
        from = QStringLiteral("QV_PASSCODE");
    }
    if (passcode.isEmpty() && from == QLatin1String("QV_PASSCODE"))
        return true;
    if (!IsPasscode(passcode)) {
        passcode.clear();
        return Fail(error, QStringLiteral("the passcode in %1 is not 1 to 6 digits").arg(from));
    }
    return true;
}
