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
#include <memory>

#include <cstdio>
#include <unistd.h>

namespace {

const QString Program = QStringLiteral("quenvale7400-cli");

void PrintProgramHelp()
{
    QString text = QStringLiteral("Usage: %1 [options] COMMAND [operands]\n\nCommands:\n").arg(Program);
    for (const TCliCommand &command : CliCommands())
        text += QStringLiteral("  %1\n").arg(command.Usage);
    text += QStringLiteral(
        "\nOptions:\n"
        "  --port P          serial port (default: the viewer's connection settings)\n"
        "  --baud N          baud rate (default: the viewer's)\n"
        "  --address A|any   unit address 1..31 or any (default: the viewer's)\n"
        "  --json            one JSON object per result on standard output\n"
        "  --help            this text; COMMAND --help for a command's\n"
        "\nExit status: 0 done, 1 refused or a check failed, 2 wrong usage,\n"
        "3 the port could not be opened, 4 the instrument did not answer.\n");
    std::fputs(qPrintable(text), stdout);
}

void PrintCommandHelp(const TCliCommand &command)
{
    std::printf("Usage: %s %s\n\n%s\n", qPrintable(Program), qPrintable(command.Usage), qPrintable(command.Summary));
}

int UsageError(const QString &text)
{
    TTerminalPrompts::Say(QStringLiteral("%1: %2 (see %1 --help)").arg(Program, text));
    return ExitUsage;
}

// The options the command does not take, and the count of its operands.
QString MisuseOf(const TCliCommand &command, const TCliArgs &args)
{
    for (const QString &option : args.Given)
        if (option != QLatin1String("json") && option != QLatin1String("help") && !command.Options.contains(option))
            return QStringLiteral("%1 does not take --%2").arg(command.Name, option);
    const qsizetype operands = args.Operands.size();
    if (operands < command.MinOperands || operands > command.MaxOperands)
        return QStringLiteral("usage: %1 %2").arg(Program, command.Usage);
    return {};
}

int RunCommand(const TCliArgs &args)
{
    const TCliCommand *command = FindCliCommand(args.Command);
    if (!command)
        return UsageError(QStringLiteral("unknown command %1").arg(args.Command));
    if (args.Help) {
        PrintCommandHelp(*command);
        return ExitDone;
    }
    if (const QString misuse = MisuseOf(*command, args); !misuse.isEmpty())
        return UsageError(misuse);
    if (!command->Run) {
        TTerminalPrompts::Say(QStringLiteral("%1: %2 is not available in this build.").arg(Program, command->Name));
        return ExitUsage;
    }
    TTerminalPrompts prompts;
    prompts.GivenPasscode = args.Passcode;
    prompts.AssumeYes = args.Yes;
    prompts.ShowProgress = isatty(STDERR_FILENO);
    TScopedPrompts installed(&prompts);
    TCliJob job(args, prompts);
    const int status = command->Run(job);
    if (TInterrupt::Raised())
        TTerminalPrompts::Say(QStringLiteral("Interrupted."));
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

} // namespace

// Printing lays text out in fonts, which needs a GUI application; every
// other job runs without one.
bool NeedsFonts(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]) == "report")
            return true;
    return false;
}

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

    TCliArgs args;
    QString error;
    if (!ParseCliArgs(arguments, qEnvironmentVariable("QV_PASSCODE"), args, &error))
        return UsageError(error);
    if (args.Command.isEmpty()) {
        if (args.Help) {
            PrintProgramHelp();
            return ExitDone;
        }
        return UsageError(QStringLiteral("no command given"));
    }
    return RunCommand(args);
}
