#pragma once
// The command line of quenvale7400-cli: one command, its operands and the
// options, which may stand anywhere. Each command names the options it takes;
// anything else is wrong usage. No Qt parser: the usage rules (options per
// command, exit status 2) are the program's own.

#include <QString>
#include <QStringList>
#include <optional>

struct TCliArgs {
    QString Command;
    QStringList Operands;
    std::optional<QString> Port;
    std::optional<int> Baud;
    std::optional<int> Address;     // 1..31, or 99 for "any"
    QString Passcode;               // --passcode, else QV_PASSCODE
    double Seconds = 0;
    int Rate = 0;                   // the logging dialog's rate item
    bool Json = false;
    bool Yes = false;
    bool DryRun = false;
    bool Help = false;
    QStringList Given;              // the names of the options given
};

// Reads argv (without the program name). False with the reason in *error
// when the line cannot be read at all (an unknown option, a missing or bad
// value); whether the command takes what was given is checked later.
bool ParseCliArgs(const QStringList &arguments, const QString &passcodeFromEnvironment, TCliArgs &args,
                  QString *error);

// "auto", "10hz", "1hz", "0.1hz" -> the rate item; nullopt for anything else.
std::optional<int> RateItemOf(const QString &text);
