// quenvale7400-cli: the instrument jobs of the window from a shell, on the
// same headless classes. It shows no window and needs no display: the jobs
// run under a plain core application; only the PDF report, which lays out
// text in fonts, starts a GUI application on the "offscreen" platform.

#include "cli/cliargs.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "cli/terminalprompts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const QString Program = QStringLiteral("quenvale7400-cli");

void PrintProgramHelp()
{
    QString text = QStringLiteral("Usage: %1 [options] COMMAND [operands]\n\nCommands:\n").arg(Program);
    for (const TCliCommand &command : CliCommands())
        text += QStringLiteral("  %1\n").arg(command.Usage);
    QStringList names;
    for (const TCliOption &option : CliOptions())
        names << option.Name;
    text += QStringLiteral("\nOptions (-- ends them; - names standard input or output):\n") + OptionHelp(names);
    text += QStringLiteral(
        "\nExit status: 0 done, 1 refused, a check failed or interrupted, 2 wrong usage,\n"
        "3 the port could not be opened, 4 the instrument did not answer or the line was lost.\n"
        "See the manual page quenvale7400-cli(1).\n");
    std::fputs(qPrintable(text), stdout);
}

void PrintCommandHelp(const TCliCommand &command)
{
    std::printf("Usage: %s %s\n\n%s\n", qPrintable(Program), qPrintable(command.Usage), qPrintable(command.Summary));
    if (!command.Options.isEmpty())
        std::printf("\nOptions:\n%s", qPrintable(OptionHelp(command.Options + QStringList{"json"})));
}

// A failure under --json: one object on standard output naming the error
// and the status, with what the job did before it stopped.
void PrintFailure(QJsonObject fields, const QString &error, int status)
{
    fields.insert(QStringLiteral("error"), error);
    fields.insert(QStringLiteral("status"), status);
    std::fprintf(stdout, "%s\n", QJsonDocument(fields).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

int UsageError(const QString &text, bool json)
{
    const QString message = QStringLiteral("%1 (see %2 --help)").arg(text, Program);
    TTerminalPrompts::Say(message);
    if (json)
        PrintFailure({}, message, ExitUsage);
    return ExitUsage;
}

// The options the command does not take, and the count of its operands.
QString MisuseOf(const TCliCommand &command, const TCliArgs &args)
{
    for (const QString &option : args.Given)
        if (option != QLatin1String("json") && option != QLatin1String("help") && !command.Options.contains(option))
            return QStringLiteral("%1 does not take --%2").arg(command.Name, option);
    if (args.Addresses.size() > 1 && command.Name != QLatin1String("log"))
        return QStringLiteral("%1 takes one unit address; only log takes several (--address 1,2,5)").arg(command.Name);
    const qsizetype operands = args.Operands.size();
    if (operands < command.MinOperands || operands > command.MaxOperands)
        return QStringLiteral("usage: %1 %2").arg(Program, command.Usage);
    return {};
}

int RunCommand(const TCliArgs &args)
{
    const TCliCommand *command = FindCliCommand(args.Command);
    if (!command)
        return UsageError(QStringLiteral("unknown command %1").arg(args.Command), args.Json);
    if (args.Help) {
        PrintCommandHelp(*command);
        return ExitDone;
    }
    if (const QString misuse = MisuseOf(*command, args); !misuse.isEmpty())
        return UsageError(misuse, args.Json);
    if (!command->Run) {
        TTerminalPrompts::Say(QStringLiteral("%1 is not available in this build.").arg(command->Name));
        return ExitUsage;
    }
    TTerminalPrompts prompts;
    prompts.AssumeYes = args.Yes;
    prompts.ShowProgress = isatty(STDERR_FILENO);
    TScopedPrompts installed(&prompts);
    TCliJob job(args, prompts);
    const int status = command->Run(job);
    if (TInterrupt::Raised() && status != ExitDone)
        TTerminalPrompts::Say(QStringLiteral("Interrupted."));
    if (status != ExitDone && args.Json)
        PrintFailure(job.FailureFields, job.ErrorText(), status);
    return status;
}

// The offscreen platform warns about window features it lacks, and Qt
// about a missing runtime folder (usual over ssh): on a terminal that is noise.
void QuietPlatformMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (context.category && QByteArray(context.category).startsWith("qt.qpa"))
        return;
    if (message.contains(QLatin1String("propagateSizeHints")) || message.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// Printing lays text out in fonts, which needs a GUI application; every
// other job runs without one: the settings report, and a verification's
// certificate.
bool NeedsFonts(int argc, char *argv[])
{
    bool verify = false, certificate = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "report")
            return true;
        verify |= arg == "verify";
        certificate |= arg == "--certificate" || arg.startsWith("--certificate=");
    }
    return verify && certificate;
}

// The digits of --passcode are blanked in the process's own arguments once
// read, so that they stay in the process list no longer than that (the
// passcode file does not put them there at all).
void HidePasscode(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        char *value = nullptr;
        if (std::strcmp(argv[i], "--") == 0)
            return;
        if (std::strcmp(argv[i], "--passcode") == 0 && i + 1 < argc)
            value = argv[++i];
        else if (std::strncmp(argv[i], "--passcode=", 11) == 0)
            value = argv[i] + 11;
        if (value)
            std::memset(value, '*', std::strlen(value));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(&QuietPlatformMessages);
    std::unique_ptr<QCoreApplication> app;
    if (NeedsFonts(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    HidePasscode(argc, argv);

    TCliArgs args;
    QString error;
    if (!ParseCliArgs(arguments, args, &error))
        return UsageError(error, arguments.contains(QStringLiteral("--json")));
    if (args.Version) {
        std::printf("%s %s\n", qPrintable(Program), QV_VERSION);
        return ExitDone;
    }
    if (args.Command.isEmpty()) {
        if (args.Help) {
            PrintProgramHelp();
            return ExitDone;
        }
        return UsageError(QStringLiteral("no command given"), args.Json);
    }
    return RunCommand(args);
}
