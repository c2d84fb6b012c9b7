// read, write and report: the settings transfer, settings files and the
// settings report, as the window's menu items run them.

#include "cli/cliargs.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/terminalprompts.h"
#include "settings/settingsfile.h"
#include "settings/settingsprint.h"
#include "settings/tools.h"
#include "ui/printfont.h"
#include "ui/printjob.h"

#include <QJsonArray>
#include <QPrinter>

namespace {

// The file is checked before the instrument is touched, so a wrong name
// costs no connection.
bool UsableSettingsFile(const QString &path)
{
    QStringList lines;
    TSettingsLoadResult result;
    QString error;
    if (ReadSettingsLines(path, lines, result, &error))
        return true;
    TCliJob::Note(error);
    return false;
}

bool LoadInto(const QString &path, Tdata7410 &model)
{
    QString error;
    TSettingsLoadResult result;
    if (!LoadSettingsFile(path, model, &error, &result)) {
        TCliJob::Note(error);
        return false;
    }
    if (const QString note = SettingsLoadNote(result); !note.isEmpty())
        TCliJob::Note(note);
    return true;
}

} // namespace

int RunRead(TCliJob &job)
{
    const QString path = job.Args.Operands[0];
    if (const int status = job.ConnectAndRead(); status != ExitDone)
        return status;
    QString error;
    if (!SaveSettingsFile(path, job.EditModel, &error)) {
        TCliJob::Note(error);
        return ExitRefused;
    }
    job.Result({{"file", path}, {"lines", SettingsFileLines}}, QString());
    return ExitDone;
}

int RunWrite(TCliJob &job)
{
    const QString path = job.Args.Operands[0];
    if (!UsableSettingsFile(path))
        return ExitRefused;
    // The file goes onto what the instrument holds, as loading it in the
    // window after a read: a setting the file lacks keeps the instrument's.
    if (const int status = job.ConnectAndRead(); status != ExitDone)
        return status;
    if (!LoadInto(path, job.EditModel))
        return ExitRefused;
    const QStringList pending = job.Transfer.PendingLines();
    if (job.Args.DryRun) {
        job.Result({{"file", path}, {"dryRun", true}, {"lines", QJsonArray::fromStringList(pending)}},
                   pending.join(QLatin1Char('\n')));
        return ExitDone;
    }
    if (const int status = job.Finish(job.Transfer.WriteSettings()); status != ExitDone)
        return status;
    job.Result({{"file", path}, {"written", QJsonArray::fromStringList(pending)}}, pending.join(QLatin1Char('\n')));
    return ExitDone;
}

int RunReport(TCliJob &job)
{
    const QStringList &operands = job.Args.Operands;
    const QString out = operands.last();
    if (operands.size() == 2) {
        if (!LoadInto(operands[0], job.EditModel))
            return ExitRefused;
    } else if (const int status = job.ConnectAndRead(); status != ExitDone) {
        return status;
    }
    const Tdata7410 &model = job.EditModel;
    QPrinter printer(QPrinter::HighResolution);
    job.Prompt.FileAnswer = out;
    if (!RunPrintJob(printer, SettingsPrintout(model, DirectSignalText(model.DirectZero),
                                               DirectSignalText(model.DirectSpan), ReportFont())))
        return ExitRefused;
    job.Result({{"file", out}}, QString());
    return ExitDone;
}
