#pragma once
// The command line of quenvale7400-cli: one command, its operands and the
// options, which may stand anywhere before "--". Each command names the
// options it takes; anything else is wrong usage. No Qt parser: the usage
// rules (options per command, exit status 2) are the program's own.

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct TCliArgs {
    QString Command;
    QStringList Operands;           // "-" stands for standard input or output
    std::optional<QString> Port;
    std::optional<int> Baud;
    std::optional<int> Address;     // 1..31, or 99 for "any"; the first of Addresses
    QList<int> Addresses;           // log: --address 1,2,5, the units of a bus
    std::optional<int> DataBits;    // 7 or 8
    std::optional<int> Parity;      // 0 none, 1 odd, 2 even
    std::optional<int> StopBits;    // 1 or 2
    std::optional<QString> Passcode; // --passcode, as given (checked where it is used)
    QString PasscodeFile;           // --passcode-file
    double Seconds = 0;
    int Rate = 0;                   // the logging dialog's rate item
    QDateTime Since;                // history: entries from then on (UTC)
    QList<double> Loads;            // verify: the test loads, in the order given
    QString AccuracyClass;          // verify: I, II, III or IIII (empty: III)
    std::optional<double> ScaleInterval;  // verify: e
    std::optional<double> Capacity;       // verify: Max
    bool InService = false;
    QString Certificate;            // verify: the PDF to write
    bool Json = false;
    bool Yes = false;
    bool DryRun = false;
    bool Help = false;
    bool Version = false;
    QStringList Given;              // the names of the options given
};

// Every option, for the parser and for the help texts.
struct TCliOption {
    QString Name;    // without "--"
    QString Value;   // the value's placeholder; empty for a flag
    QString Help;
};
const std::vector<TCliOption> &CliOptions();
// "  --port P             serial port (...)" for the given options.
QString OptionHelp(const QStringList &names);

// Reads argv (without the program name). False with the reason in *error
// when the line cannot be read at all (an unknown option, a missing or bad
// value); whether the command takes what was given is checked later.
bool ParseCliArgs(const QStringList &arguments, TCliArgs &args, QString *error);

// "2024-05-01" (its first moment, UTC) or "2024-05-01T08:30" (UTC unless an
// offset is given); invalid for anything else.
QDateTime SinceOf(const QString &text);

// "auto", or the most samples a second: "100", "10", "1" (also the dialog's
// item names "10hz", "1hz", "0.1hz") -> the logging dialog's rate item;
// nullopt for anything else.
std::optional<int> RateItemOf(const QString &text);

// The passcode for a write, taken in this order: --passcode-file, then
// --passcode, then `environment` (QV_PASSCODE). Empty when none was given.
// False with the reason when the one given cannot be used: a file that
// others may read, or anything but 1 to 6 digits.
bool ResolvePasscode(const TCliArgs &args, const QString &environment, QString &passcode, QString *error);
