// backup and restore: the Calibration page's two buttons, run in the frame
// of the calibration steps as there. The identity they check (serial number,
// versions) is the one Connect asks for; neither needs the other settings
// before it runs, and a restore reads them all back after it.

#include "calibration/calbackup.h"
#include "calibration/calfile.h"
#include "calibration/calsteps.h"
#include "cli/cliargs.h"
#include "cli/clifiles.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/terminalprompts.h"

#include <QDir>

namespace {

// Calibration data shorter than this is none (as the restore itself refuses it).
constexpr int ShortestCalData = 40;

// Runs one operation on `file`; it succeeded when its outcome says so.
int RunCalOperation(TCliJob &job, const QString &file, TOutcome (TCalBackup::*operation)())
{
    job.Prompt.FileAnswer = file;
    if (const int status = job.Connect(); status != ExitDone)
        return status;
    TCalibrationSteps steps(job.Session, job.Transfer, job.EditModel);
    TCalBackup backup(job.Session, job.EditModel, steps);
    steps.StatusNote = &TCliJob::Note;
    job.History->Attach(steps);
    job.History->Attach(backup);
    const TOutcome outcome = (backup.*operation)();
    // A backup or restore that the operator (or a check) declined did not
    // happen: that is no success.
    return job.Finish(outcome.Is(TOutcome::TKind::Cancelled) ? TOutcome::Fail({}) : outcome);
}

// What would make the restore refuse the file after connecting, found before.
QString CalFileProblem(const QString &path)
{
    const QString shown = TTerminalPrompts::Shown(QDir::toNativeSeparators(path));
    const TCalFileRead file = ReadCalFile(path);
    if (!file.Ok)
        return QStringLiteral("%1 cannot be read as a calibration file: %2.  Nothing was sent.").arg(shown, file.Error);
    if (file.Record.MDD1.size() < ShortestCalData)
        return QStringLiteral("%1 holds no calibration data (its MDD1 value is %2 characters long, "
                              "where the instrument gives out more than %3).  Nothing was sent.")
            .arg(shown)
            .arg(file.Record.MDD1.size())
            .arg(ShortestCalData);
    return {};
}

} // namespace

int RunBackup(TCliJob &job)
{
    const QString operand = job.Args.Operands[0];
    if (operand == QLatin1String("-") && job.Args.Json)
        return job.Fail(ExitUsage, QStringLiteral("--json and - cannot share standard output"));
    // The file written is the name given with ".cal" in place of its extension.
    const QString file = operand == QLatin1String("-") ? operand : CalFileName(operand);
    TCliOutput output;
    QString error;
    if (!output.Prepare(file, QStringLiteral(".cal"), {}, &error))
        return job.Fail(ExitRefused, error);
    const int status = RunCalOperation(job, output.Path(), &TCalBackup::Backup);
    if (status != ExitDone)
        return status;
    if (!output.Deliver(&error))
        return job.Fail(ExitRefused, error);
    job.Result({{"file", file}}, QString());
    return status;
}

int RunRestore(TCliJob &job)
{
    const QString operand = job.Args.Operands[0];
    TCliInput input;
    QString error;
    if (!input.Open(operand, QStringLiteral(".cal"), &error))
        return job.Fail(ExitRefused, error);
    if (const QString problem = CalFileProblem(input.Path()); !problem.isEmpty())
        return job.Fail(ExitRefused, problem);
    const int status = RunCalOperation(job, input.Path(), &TCalBackup::Restore);
    if (status == ExitDone)
        job.Result({{"file", operand}, {"restored", true}}, QString());
    return status;
}
