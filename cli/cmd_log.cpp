// log: a logging session of the Log page for a given time, saved as the
// File menu saves a log.

#include "cli/cliargs.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/terminalprompts.h"
#include "logging/logcsv.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "settings/identity.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

namespace {

// Runs the event loop for the logging time, ended early by Ctrl+C.
void WaitWhileLogging(TCliJob &job)
{
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        job.Prompt.Progress(QStringLiteral("Logging: %1 of %2 s")
                                .arg(job.Args.Seconds - end.remainingTime() / 1000.0, 0, 'f', 0)
                                .arg(job.Args.Seconds));
    });
    job.Interrupt.OnRaised = [&loop] { loop.quit(); };
    end.start(int(job.Args.Seconds * 1000));
    ticker.start(1000);
    if (!TInterrupt::Raised())
        loop.exec();
    job.Interrupt.OnRaised = nullptr;
    job.Prompt.EndProgress();
}

qsizetype SampleCount(const TLoggingSession &logging)
{
    qsizetype samples = logging.Points.Size(TLoggingSession::SeriesWeight);
    for (size_t i = TLoggingSession::FirstUnitTrace; i < logging.Traces.size(); ++i)
        samples = std::max(samples, logging.Points.Size(int(i)));
    return samples;
}

} // namespace

int RunLog(TCliJob &job)
{
    if (job.Args.Seconds <= 0) {
        TCliJob::Note(QStringLiteral("log needs --seconds S"));
        return ExitUsage;
    }
    const QString path = job.Args.Operands[0];
    // For a spreadsheet, as File > Export Log as CSV writes it.
    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    // The settings give the weight's decimals and units, as on the Log page.
    if (const int status = job.ConnectAndRead(); status != ExitDone)
        return status;
    TLoggingSession logging(job.Session);
    job.Session.LogReply = [&logging](qint32 w, qint32 unit, qint32 status) { logging.TakeReply(w, unit, status); };
    job.Session.LogRecord = [&logging](quint8 byte, qint32 word, qint32 w) { logging.TakeRecord(byte, word, w); };
    job.Session.SetActivity(actLog);
    TLogChoices choices;
    choices.Rate = job.Args.Rate;
    logging.Begin(choices, job.EditModel);
    WaitWhileLogging(job);
    logging.Stop();
    job.Session.SetActivity(actIdle);
    job.Session.LogReply = nullptr;
    job.Session.LogRecord = nullptr;
    // What was logged is kept also after Ctrl+C.
    QString error;
    const QString comment = InstrumentIdentityText(job.EditModel);
    if (!(csv ? ExportLogCsv(path, logging, comment, &error) : SaveLogFile(path, logging, comment, &error))) {
        TCliJob::Note(error);
        return ExitRefused;
    }
    job.Result({{"file", path}, {"samples", qint64(SampleCount(logging))}}, QString());
    return TInterrupt::Raised() ? ExitRefused : ExitDone;
}
