// read, write and report: the settings transfer, settings files and the
// settings report, as the window's menu items run them.

#include "cli/cliargs.h"
#include "cli/clifiles.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/terminalprompts.h"
#include "settings/settingsfile.h"
#include "settings/settingsprint.h"
#include "settings/tools.h"
#include "ui/printfont.h"
#include "ui/printjob.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QPrinter>
#include <QTemporaryFile>

#include <cstdio>
#include <sys/stat.h>

namespace {

// The file is checked before the instrument is touched, so a wrong name
// costs no connection.
bool UsableSettingsFile(TCliJob &job, const QString &path)
{
    QStringList lines;
    TSettingsLoadResult result;
    QString error;
    if (ReadSettingsLines(path, lines, result, &error))
        return true;
    job.Fail(ExitRefused, error);
    return false;
}

bool LoadInto(TCliJob &job, const QString &path, Tdata7410 &model)
{
    QString error;
    TSettingsLoadResult result;
    if (!LoadSettingsFile(path, model, &error, &result)) {
        job.Fail(ExitRefused, error);
        return false;
    }
    if (const QString note = SettingsLoadNote(result); !note.isEmpty())
        TCliJob::Note(note);
    return true;
}

// A settings file read from a name or from standard input, checked.
bool OpenSettingsInput(TCliJob &job, const QString &operand, TCliInput &input)
{
    QString error;
    if (!input.Open(operand, QStringLiteral(".QVS"), &error)) {
        job.Fail(ExitRefused, error);
        return false;
    }
    return UsableSettingsFile(job, input.Path());
}

// The output's kind (usage) and whether it can be written (a failed check),
// before anything else is done. ExitDone when it can.
int PrepareOutput(TCliJob &job, TCliOutput &output, const QString &operand, const QStringList &suffixes,
                  const QStringList &inputs)
{
    if (const QString wrong = TCliOutput::WrongKind(operand, job.Args.Command, suffixes); !wrong.isEmpty())
        return job.Fail(ExitUsage, wrong);
    if (operand == QLatin1String("-") && job.Args.Json)
        return job.Fail(ExitUsage, QStringLiteral("--json and - cannot share standard output"));
    QString error;
    if (!output.Prepare(operand, suffixes.first(), inputs, &error))
        return job.Fail(ExitRefused, error);
    return ExitDone;
}

int Delivered(TCliJob &job, const TCliOutput &output)
{
    QString error;
    if (!output.Deliver(&error))
        return job.Fail(ExitRefused, error);
    return ExitDone;
}

// Prints into a new file beside the output and puts it in place once the
// printout is complete: a failed report leaves an earlier one as it was.
bool PrintReport(TCliJob &job, const QString &out)
{
    QTemporaryFile part(QFileInfo(out).absolutePath() + QStringLiteral("/.quenvale7400-cli-XXXXXX.pdf"));
    if (!part.open()) {
        job.Fail(ExitRefused, QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(out), part.errorString()));
        return false;
    }
    part.close();
    const Tdata7410 &model = job.EditModel;
    QPrinter printer(QPrinter::HighResolution);
    job.Prompt.FileAnswer = part.fileName();
    TTerminalPrompts::ShowPathAs(QDir::toNativeSeparators(part.fileName()),
                                 TTerminalPrompts::Shown(QDir::toNativeSeparators(out)));
    if (!RunPrintJob(printer, SettingsPrintout(model, DirectSignalText(model.DirectZero),
                                               DirectSignalText(model.DirectSpan), ReportFont()))) {
        job.Fail(ExitRefused, QStringLiteral("The report could not be printed to %1.").arg(QDir::toNativeSeparators(out)));
        return false;
    }
    // As a file made afresh would be: an earlier report's permissions, else
    // those the user's umask allows (a temporary file is its owner's alone).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat earlier = {};
    const bool replaces = ::stat(QFile::encodeName(out).constData(), &earlier) == 0;
    ::chmod(QFile::encodeName(part.fileName()).constData(), replaces ? earlier.st_mode & 07777 : 0666 & ~mask);
    if (std::rename(QFile::encodeName(part.fileName()).constData(), QFile::encodeName(out).constData()) != 0) {
        job.Fail(ExitRefused, QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(out), qt_error_string()));
        return false;
    }
    part.setAutoRemove(false);
    return true;
}

} // namespace

int RunRead(TCliJob &job)
{
    TCliOutput output;
    if (const int status = PrepareOutput(job, output, job.Args.Operands[0], {".QVS"}, {}); status != ExitDone)
        return status;
    if (const int status = job.ConnectAndRead(); status != ExitDone)
        return status;
    QStringList lines;
    job.EditModel.BuildWriteCommands(lines);
    QString error;
    if (!SaveSettingsFile(output.Path(), job.EditModel, &error))
        return job.Fail(ExitRefused, error);
    if (const int status = Delivered(job, output); status != ExitDone)
        return status;
    if (!output.ToStdout()) {
        TCliJob::Note(QStringLiteral("Settings read into %1 (%2 lines)").arg(job.Args.Operands[0]).arg(lines.size()));
        job.History->RecordSettingsFile(true, QFileInfo(output.Path()).absoluteFilePath(), lines);
    }
    job.Result({{"file", job.Args.Operands[0]}, {"lines", QJsonArray::fromStringList(lines)}}, QString());
    return ExitDone;
}

int RunWrite(TCliJob &job)
{
    const QString operand = job.Args.Operands[0];
    QString passcode;
    QString error;
    if (!ResolvePasscode(job.Args, qEnvironmentVariable("QV_PASSCODE"), passcode, &error))
        return job.Fail(ExitUsage, error);
    job.Prompt.GivenPasscode = passcode;
    TCliInput input;
    if (!OpenSettingsInput(job, operand, input))
        return ExitRefused;
    // The file goes onto what the instrument holds, as loading it in the
    // window after a read: a setting the file lacks keeps the instrument's.
    if (const int status = job.ConnectAndRead(); status != ExitDone)
        return status;
    if (!LoadInto(job, input.Path(), job.EditModel))
        return ExitRefused;
    if (!input.FromStdin()) {
        QStringList lines;
        job.EditModel.BuildWriteCommands(lines);
        job.History->RecordSettingsFile(false, QFileInfo(input.Path()).absoluteFilePath(), lines);
    }
    const QStringList pending = job.Transfer.PendingLines();
    if (job.Args.DryRun) {
        job.Result({{"file", operand}, {"dryRun", true}, {"lines", QJsonArray::fromStringList(pending)}},
                   pending.join(QLatin1Char('\n')));
        return ExitDone;
    }
    const TOutcome outcome = job.Transfer.WriteSettings();
    const int status = job.Finish(outcome);
    if (status == ExitDone) {
        job.Result({{"file", operand}, {"written", QJsonArray::fromStringList(pending)}},
                   pending.join(QLatin1Char('\n')));
        return ExitDone;
    }
    // Cut short: which lines the instrument now holds, as the window's note
    // says it (a lost line's note has been said by the transfer).
    const QStringList &reached = outcome.Done;
    QStringList notWritten = pending;
    RemoveCommon(notWritten, reached);
    job.FailureFields = {{"file", operand},
                         {"written", QJsonArray::fromStringList(reached)},
                         {"notWritten", QJsonArray::fromStringList(notWritten)}};
    if (!job.Args.Json && !reached.isEmpty()) {
        std::fprintf(stdout, "%s\n", qPrintable(reached.join(QLatin1Char('\n'))));
        std::fflush(stdout);
    }
    if (!pending.isEmpty() && !outcome.Is(TOutcome::TKind::PortLost))
        TCliJob::Note(QStringLiteral("Write stopped: %1 of %2 lines reached the instrument%3.")
                          .arg(reached.size())
                          .arg(pending.size())
                          .arg(reached.isEmpty() || job.Args.Json ? QString() : QStringLiteral(" (on standard output)")));
    return status;
}

int RunReport(TCliJob &job)
{
    const QStringList &operands = job.Args.Operands;
    const QString out = operands.last();
    TCliInput input;
    if (operands.size() == 2 && operands[0] == QLatin1String("-") && out == QLatin1String("-"))
        return job.Fail(ExitUsage, QStringLiteral("standard input and output cannot both be - here"));
    TCliOutput output;
    const QStringList inputs = operands.size() == 2 ? QStringList{operands[0]} : QStringList();
    if (const int status = PrepareOutput(job, output, out, {".pdf"}, inputs); status != ExitDone)
        return status;
    if (operands.size() == 2) {
        if (!OpenSettingsInput(job, operands[0], input) || !LoadInto(job, input.Path(), job.EditModel))
            return ExitRefused;
    } else if (const int status = job.ConnectAndRead(); status != ExitDone) {
        return status;
    }
    if (!PrintReport(job, output.Path()))
        return ExitRefused;
    if (const int status = Delivered(job, output); status != ExitDone)
        return status;
    job.Result({{"file", out}}, QString());
    return ExitDone;
}
