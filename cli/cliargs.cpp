#include "cli/cliargs.h"

#include <QRegularExpression>

namespace {

const QStringList ValueOptions{"port", "baud", "address", "passcode", "seconds", "rate"};
const QStringList FlagOptions{"json", "yes", "dry-run", "help"};

bool Fail(QString *error, const QString &text)
{
    *error = text;
    return false;
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
        const int address = value.compare(QLatin1String("any"), Qt::CaseInsensitive) == 0 ? 99 : value.toInt(&ok);
        if (address != 99 && (!ok || address < 0 || address > 31))
            return Fail(error, QStringLiteral("--address takes a unit address from 1 to 31, or any"));
        args.Address = address == 0 ? 99 : address;   // 0 is "any", as in the connection settings
    } else if (name == QLatin1String("passcode")) {
        args.Passcode = value;
    } else if (name == QLatin1String("seconds")) {
        args.Seconds = value.toDouble(&ok);
        if (!ok || args.Seconds <= 0 || args.Seconds > 7 * 24 * 3600)
            return Fail(error, QStringLiteral("--seconds needs a duration in seconds"));
    } else if (name == QLatin1String("rate")) {
        const std::optional<int> rate = RateItemOf(value);
        if (!rate)
            return Fail(error, QStringLiteral("--rate takes auto, 10hz, 1hz or 0.1hz"));
        args.Rate = *rate;
    }
    return true;
}

} // namespace

std::optional<int> RateItemOf(const QString &text)
{
    static const QStringList rates{"auto", "10hz", "1hz", "0.1hz"};
    const qsizetype item = rates.indexOf(text.toLower());
    return item < 0 ? std::nullopt : std::optional<int>(int(item));
}

bool ParseCliArgs(const QStringList &arguments, const QString &passcodeFromEnvironment, TCliArgs &args,
                  QString *error)
{
    args = TCliArgs();
    args.Passcode = passcodeFromEnvironment;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &word = arguments[i];
        if (word == QLatin1String("-h")) {
            args.Help = true;
            continue;
        }
        if (!word.startsWith(QLatin1String("--"))) {
            if (args.Command.isEmpty())
                args.Command = word;
            else
                args.Operands << word;
            continue;
        }
        QString name = word.mid(2);
        std::optional<QString> value;
        if (const qsizetype equals = name.indexOf(QLatin1Char('=')); equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (FlagOptions.contains(name)) {
            if (value)
                return Fail(error, QStringLiteral("--%1 takes no value").arg(name));
            args.Json |= name == QLatin1String("json");
            args.Yes |= name == QLatin1String("yes");
            args.DryRun |= name == QLatin1String("dry-run");
            args.Help |= name == QLatin1String("help");
        } else if (ValueOptions.contains(name)) {
            if (!value) {
                if (i + 1 >= arguments.size())
                    return Fail(error, QStringLiteral("--%1 needs a value").arg(name));
                value = arguments[++i];
            }
            if (!TakeValue(name, *value, args, error))
                return false;
        } else {
            return Fail(error, QStringLiteral("unknown option %1").arg(word));
        }
        args.Given << name;
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (!args.Passcode.isEmpty() && !digits.match(args.Passcode).hasMatch())
        return Fail(error, QStringLiteral("the passcode is 1 to 6 digits"));
    return true;
}
