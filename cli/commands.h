#pragma once
// The commands of quenvale7400-cli, one table: name, usage, what it does,
// the options it takes, how many operands, and the function that runs it.
// A command that needs the instrument gets a job that is not yet connected.

#include <QString>
#include <QStringList>
#include <vector>

class TCliJob;

struct TCliCommand {
    QString Name;
    QString Usage;        // after the program's name
    QString Summary;
    QStringList Options;  // beyond --json and --help
    int MinOperands = 0;
    int MaxOperands = 0;
    int (*Run)(TCliJob &job) = nullptr;   // null: not available in this build
};

const std::vector<TCliCommand> &CliCommands();
const TCliCommand *FindCliCommand(const QString &name);

// The options every instrument command takes.
const QStringList &ConnectionOptions();

int RunPorts(TCliJob &job);
int RunIdentify(TCliJob &job);
int RunFind(TCliJob &job);
int RunRead(TCliJob &job);
int RunWrite(TCliJob &job);
int RunBackup(TCliJob &job);
int RunRestore(TCliJob &job);
int RunReport(TCliJob &job);
int RunLog(TCliJob &job);
int RunHistory(TCliJob &job);
int RunVerify(TCliJob &job);
