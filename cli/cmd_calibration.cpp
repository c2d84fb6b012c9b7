// backup and restore: the Calibration page's two buttons, run in the frame
// of the calibration steps as there. The identity they check comes from the
// settings read that precedes them, as in the window.

#include "calibration/calbackup.h"
#include "calibration/calfile.h"
#include "calibration/calsteps.h"
#include "cli/cliargs.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/terminalprompts.h"

#include <QFileInfo>

namespace {

// Runs one operation; it succeeded when its outcome says so.
int RunCalOperation(TCliJob &job, TOutcome (TCalBackup::*operation)())
{
    job.Prompt.FileAnswer = job.Args.Operands[0];
    if (const int status = job.ConnectAndRead(); status != ExitDone)
        return status;
    TCalibrationSteps steps(job.Session, job.Transfer, job.EditModel);
    TCalBackup backup(job.Session, job.EditModel, steps);
    steps.StatusNote = &TCliJob::Note;
    const TOutcome outcome = (backup.*operation)();
    // A backup or restore that the operator (or a check) declined did not
    // happen: that is no success.
    return job.Finish(outcome.Is(TOutcome::TKind::Cancelled) ? TOutcome::Fail({}) : outcome);
}

} // namespace

int RunBackup(TCliJob &job)
{
    const int status = RunCalOperation(job, &TCalBackup::Backup);
    if (status == ExitDone)
        job.Result({{"file", CalFileName(job.Args.Operands[0])}}, QString());
    return status;
}

int RunRestore(TCliJob &job)
{
    const QString path = job.Args.Operands[0];
    if (!QFileInfo(path).isFile()) {
        TCliJob::Note(QStringLiteral("%1: no such calibration file.  Nothing was sent.").arg(path));
        return ExitRefused;
    }
    const int status = RunCalOperation(job, &TCalBackup::Restore);
    if (status == ExitDone)
        job.Result({{"file", path}, {"restored", true}}, QString());
    return status;
}
