// log: a logging session of the Log page for a given time, saved as the
// File menu saves a log.

#include "cli/cliargs.h"
#include "cli/clifiles.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/terminalprompts.h"
#include "logging/logchoices.h"
#include "logging/logcsv.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "settings/identity.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QTimer>

#include <algorithm>

namespace {

// How a log ended before its time.
struct TLogEnd {
    bool LineLost = false;
    double Seconds = 0;    // logged until then
};

// Runs the event loop for the logging time, ended early by a signal or a
// lost line. Silence is said as the Log page says it: when it ends, and at
// the end of the log if it lasts until then.
TLogEnd WaitWhileLogging(TCliJob &job, TLoggingSession &logging)
{
    TLogEnd end;
    QEventLoop loop;
    QTimer timeUp;
    timeUp.setSingleShot(true);
    QObject::connect(&timeUp, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto elapsed = [&] { return job.Args.Seconds - std::max(timeUp.remainingTime(), 0) / 1000.0; };
    QString silence;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        job.Prompt.Progress(QStringLiteral("Logging: %1 of %2 s%3")
                                .arg(elapsed(), 0, 'f', 0)
                                .arg(job.Args.Seconds)
                                .arg(silence.isEmpty() ? QString() : QStringLiteral(" (") + silence + u')'));
    });
    const QMetaObject::Connection silent =
        QObject::connect(&logging, &TLoggingSession::SilenceNote, [&](const QString &note) {
            if (note.isEmpty() && !silence.isEmpty()) {
                job.Prompt.EndProgress();
                TCliJob::Note(silence);
            }
            silence = note;
        });
    job.Interrupt.OnRaised = [&loop] { loop.quit(); };
    job.Session.PortLost = [&] {
        end.LineLost = true;
        loop.quit();
    };
    timeUp.start(int(job.Args.Seconds * 1000));
    ticker.start(1000);
    if (!TInterrupt::Raised() && job.Session.IsOpen())
        loop.exec();
    end.Seconds = elapsed();
    job.Session.PortLost = nullptr;
    job.Interrupt.OnRaised = nullptr;
    QObject::disconnect(silent);
    job.Prompt.EndProgress();
    if (!silence.isEmpty())
        TCliJob::Note(silence);
    return end;
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
    if (job.Args.Seconds <= 0)
        return job.Fail(ExitUsage, QStringLiteral("log needs --seconds S"));
    const QString operand = job.Args.Operands[0];
    if (const QString wrong = TCliOutput::WrongKind(operand, QStringLiteral("log"), {".LOG", ".csv"}); !wrong.isEmpty())
        return job.Fail(ExitUsage, wrong);
    if (operand == QLatin1String("-") && job.Args.Json)
        return job.Fail(ExitUsage, QStringLiteral("--json and - cannot share standard output"));
    // Several units of a bus are polled in turn: a stream is one unit's.
    const QList<int> &units = job.Args.Addresses;
    const bool several = units.size() > 1;
    if (several && job.Args.Given.contains(QStringLiteral("rate")) && job.Args.Rate == 0)
        return job.Fail(ExitUsage, QStringLiteral("--rate auto streams one unit; log units %1 with --rate 100, 10 or 1")
                                       .arg(LogUnits::Text(units)));
    // For a spreadsheet, as File > Export Log as CSV writes it; standard
    // output gets that too, being text for other programs.
    const bool csv = operand == QLatin1String("-") || operand.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    TCliOutput output;
    QString error;
    // An hour's log must not be lost to a file that cannot be written.
    if (!output.Prepare(operand, csv ? QStringLiteral(".csv") : QStringLiteral(".LOG"), {}, &error))
        return job.Fail(ExitRefused, error);
    // The settings give the weight's decimals and units, as on the Log page:
    // the first unit's, for all of them.
    job.Session.SetBusUnits(units);
    if (const int status = job.ConnectAndRead(); status != ExitDone)
        return status;
    TLoggingSession logging(job.Session);
    // Each reply is scaled by its own decimal point: the units of a bus may
    // show different ones.
    job.Session.LogReply = [&logging](qint32 w, qint32 unit, qint32 status, qint32 places) {
        logging.TakeReply(w, unit, status, places);
    };
    job.Session.LogRecord = [&logging](quint8 byte, qint32 word, qint32 w) { logging.TakeRecord(byte, word, w); };
    job.Session.SetActivity(actLog);
    // "10hz" means what the window's "10 Hz" means: ten samples a second.
    if (job.Args.RateOfTheDialog)
        job.Session.SetLogPollGap(10);
    TLogChoices choices;
    // As fast as the units answer, unless told otherwise.
    choices.Rate = several && !job.Args.Given.contains(QStringLiteral("rate")) ? 1 : job.Args.Rate;
    if (several)
        choices.Units = units;
    logging.Begin(choices, job.EditModel);
    const TLogEnd end = WaitWhileLogging(job, logging);
    logging.Stop();
    job.Session.SetActivity(actIdle);
    job.Session.LogReply = nullptr;
    job.Session.LogRecord = nullptr;
    // What was logged is kept also when the log was cut short. A log file
    // holds one weight: several units are a file a unit.
    // The identity read is the first unit's: not the others' to carry.
    const QString comment = several ? QStringLiteral("Units %1 of one line").arg(LogUnits::Text(units))
                                    : InstrumentIdentityText(job.EditModel);
    QStringList written;
    if (!(csv ? ExportLogCsv(output.Path(), logging, comment, &error)
              : SaveLogFiles(output.Path(), logging, comment, &written, &error)))
        return job.Fail(ExitRefused, error);
    if (const int status = output.Deliver(&error) ? ExitDone : job.Fail(ExitRefused, error); status != ExitDone)
        return status;
    const qint64 samples = SampleCount(logging);
    QJsonObject result{{"file", operand}, {"samples", samples}};
    QString kept = QStringLiteral("%1 samples were saved to %2.").arg(samples).arg(TTerminalPrompts::Shown(output.Path()));
    QStringList silentUnits;
    if (several) {
        QJsonArray perUnit;
        QStringList counts;
        for (size_t trace = TLoggingSession::FirstUnitTrace; trace < logging.Traces.size(); ++trace) {
            const qsizetype count = logging.Points.Size(int(trace));
            perUnit.append(QJsonObject{{"address", logging.Traces[trace].Tag}, {"samples", count}});
            counts << QStringLiteral("unit %1: %2").arg(logging.Traces[trace].Tag).arg(count);
            if (count == 0)
                silentUnits << QString::number(logging.Traces[trace].Tag);
        }
        result.insert(QStringLiteral("units"), perUnit);
        if (written.size() > 1) {
            QJsonArray files;
            QStringList shown;
            for (const QString &file : std::as_const(written)) {
                files.append(file);
                shown << TTerminalPrompts::Shown(file);
            }
            result.insert(QStringLiteral("files"), files);
            kept = QStringLiteral("%1 samples (%2) were saved to %3.")
                       .arg(samples)
                       .arg(counts.join(QStringLiteral(", ")), shown.join(QStringLiteral(", ")));
        } else {
            kept = QStringLiteral("%1 samples (%2) were saved to %3.")
                       .arg(samples)
                       .arg(counts.join(QStringLiteral(", ")), TTerminalPrompts::Shown(output.Path()));
        }
    }
    if (end.LineLost) {
        job.FailureFields = result;
        return job.Fail(ExitSilent, QStringLiteral("Logging stopped after %1 of %2 s: the line was lost. %3")
                                        .arg(end.Seconds, 0, 'f', 0)
                                        .arg(job.Args.Seconds)
                                        .arg(kept));
    }
    if (TInterrupt::Raised()) {
        job.FailureFields = result;
        TCliJob::Note(kept);
        return ExitRefused;
    }
    if (samples == 0) {
        job.FailureFields = result;
        return job.Fail(ExitSilent, QStringLiteral("No samples from the instrument in %1 s.").arg(job.Args.Seconds));
    }
    // A unit of the bus that never answered is a failed part of the job,
    // whatever the others gave.
    if (!silentUnits.isEmpty()) {
        job.FailureFields = result;
        return job.Fail(ExitSilent, QStringLiteral("No samples from unit %1 in %2 s. %3")
                                        .arg(silentUnits.join(QStringLiteral(", ")))
                                        .arg(job.Args.Seconds)
                                        .arg(kept));
    }
    // Where the samples of several units went is worth a word.
    if (several)
        TCliJob::Note(kept);
    job.Result(result, QString());
    return ExitDone;
}
