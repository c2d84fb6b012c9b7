// verify: a verification with test weights, as the Verification page takes
// it, one load after another placed at the operator's word.

#include "cli/cliargs.h"
#include "cli/clifiles.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/terminalprompts.h"
#include "ui/printfont.h"
#include "verification/certificate.h"
#include "verification/certificateprint.h"
#include "verification/verification.h"

#include <QJsonObject>

namespace {

// A scale that never settles (a draught, a load still swinging) is given
// up after this long; the operator may stop sooner with Ctrl+C.
constexpr int StableWaitLimitMs = 60000;

// Where to write the certificate, checked before the instrument is asked
// anything. ExitDone when it can be written (or none is wanted).
int PrepareCertificate(TCliJob &job, TCliOutput &output)
{
    const QString &operand = job.Args.Certificate;
    if (operand.isEmpty())
        return ExitDone;
    if (operand == QLatin1String("-"))
        return job.Fail(ExitUsage, QStringLiteral("the certificate cannot go to standard output, where the results go"));
    if (const QString wrong = TCliOutput::WrongKind(operand, QStringLiteral("verify"), {".pdf"}); !wrong.isEmpty())
        return job.Fail(ExitUsage, wrong);
    QString error;
    if (!output.Prepare(operand, QStringLiteral(".pdf"), {}, &error))
        return job.Fail(ExitRefused, error);
    return ExitDone;
}

// The setup from the instrument, and from the command line over it.
int PrepareSetup(TCliJob &job, TVerification &verification)
{
    TVerificationSetup &setup = verification.Setup;
    const TOutcome scale = verification.ReadInstrumentScale(setup);
    if (!scale)
        return job.Finish(scale);
    const TCliArgs &args = job.Args;
    setup.Class = AccuracyClassNamed(args.AccuracyClass).value_or(TAccuracyClass::III);
    setup.InService = args.InService;
    // A given weight may have more decimals than the instrument shows.
    for (const std::optional<double> &given : {args.ScaleInterval, args.Capacity})
        if (given)
            FitDecimals(setup, *given);
    for (const double load : args.Loads)
        FitDecimals(setup, load);
    setup.E = args.ScaleInterval.value_or(setup.E);
    setup.Max = args.Capacity.value_or(setup.Max);
    if (const QString problem = setup.Problem(); !problem.isEmpty())
        return job.Fail(ExitRefused, problem);
    for (const double load : args.Loads)
        if (load > setup.Max && !SameLoad(load, setup.Max, setup.E))
            return job.Fail(ExitRefused, QStringLiteral("The load %1 is above Max (%2).")
                                             .arg(setup.WithUnits(load), setup.WithUnits(setup.Max)));
    verification.SetIdentity({job.EditModel.SerialID, job.EditModel.SerialNumber, job.EditModel.Version,
                              job.EditModel.Address});
    verification.Rows().clear();
    for (const double load : args.Loads)
        verification.Rows().append({TTestKind::Weighing, 0, RoundToDecimals(load, setup.Decimals), {}, 0, {}});
    return ExitDone;
}

void PrintResult(const TCliJob &job, const TVerificationSetup &setup, const TTestRow &row)
{
    const TRowResult result = ResultOf(setup, row);
    const QString verdict = result.Pass ? QStringLiteral("pass") : QStringLiteral("fail");
    job.Result({{"load", row.Load},
                {"indication", *row.Indication},
                {"error", RoundToDecimals(result.Error, std::max(setup.Decimals, row.Places))},
                {"mpe", result.Mpe},
                {"pass", result.Pass}},
               QStringLiteral("%1: indication %2, error %3, MPE %4, %5")
                   .arg(setup.WithUnits(row.Load), IndicationText(setup, row), ErrorText(setup, row, result.Error),
                        setup.MpeText(result.Mpe), verdict));
}

} // namespace

int RunVerify(TCliJob &job)
{
    if (job.Args.Loads.isEmpty())
        return job.Fail(ExitUsage, QStringLiteral("verify needs --loads L1,L2,..."));
    TCliOutput certificate;
    if (const int status = PrepareCertificate(job, certificate); status != ExitDone)
        return status;
    if (const int status = job.Connect(); status != ExitDone)
        return status;
    TVerification verification(job.Session);
    verification.WaitLimitMs = StableWaitLimitMs;
    if (const int status = PrepareSetup(job, verification); status != ExitDone)
        return status;
    const TVerificationSetup &setup = verification.Setup;
    verification.ShowWait = [&job, &setup](const TStableWait &wait) {
        wait.Done ? job.Prompt.EndProgress() : job.Prompt.Progress(StableWaitText(wait, setup.Units));
    };
    job.Interrupt.CancelOperation = [&verification] { verification.CancelTake(); };

    int status = ExitDone;
    int failed = 0;
    for (int row = 0; row < verification.Rows().size(); ++row) {
        const double load = verification.Rows()[row].Load;
        TCliJob::Note(QStringLiteral("Place %1, then press Enter").arg(setup.WithUnits(load)));
        if (!TTerminalPrompts::ReadLine()) {
            status = TInterrupt::Raised() ? ExitRefused
                                          : job.Fail(ExitRefused, QStringLiteral("Standard input ended before %1 "
                                                                                 "was placed.")
                                                                      .arg(setup.WithUnits(load)));
            break;
        }
        const TOutcome taken = verification.Take(row);
        if (!taken) {
            status = job.Finish(taken);
            break;
        }
        PrintResult(job, setup, verification.Rows()[row]);
        failed += ResultOf(setup, verification.Rows()[row]).Pass ? 0 : 1;
    }

    // What was taken is kept also when the run was cut short.
    const TVerdict verdict = VerdictOf(setup, verification.Rows());
    QString error;
    if (!job.Args.Certificate.isEmpty() && verification.HasReadings()
        && !WriteCertificatePdf(certificate.Path(), CertificateLines(verification), ReportFont(), &error))
        status = job.Fail(ExitRefused, error);
    if (status != ExitDone)
        return status;
    QJsonObject summary{{"verdict", VerdictText(verdict)}, {"loads", int(verification.Rows().size())},
                        {"failed", failed}};
    if (!job.Args.Certificate.isEmpty())
        summary.insert("certificate", job.Args.Certificate);
    const QString verdictLine = QStringLiteral("Verdict: %1 (%2 of %3 loads failed)")
                                    .arg(VerdictText(verdict))
                                    .arg(failed)
                                    .arg(verification.Rows().size());
    if (failed == 0) {
        job.Result(summary, verdictLine);
        return ExitDone;
    }
    // Under --json the failure object is the summary.
    if (!job.Args.Json)
        job.Result({}, verdictLine);
    job.FailureFields = summary;
    return job.Fail(ExitRefused, QStringLiteral("%1 of %2 loads failed.").arg(failed).arg(verification.Rows().size()));
}
