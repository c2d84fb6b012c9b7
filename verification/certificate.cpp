#include "verification/certificate.h"

#include "verification/verification.h"

#include <QDir>
#include <QSaveFile>

namespace {

const QString Title = QStringLiteral("Verification with test weights");

QString ResultWord(const TRowResult &result)
{
    return !result.Taken ? QStringLiteral("-") : result.Pass ? QStringLiteral("pass") : QStringLiteral("fail");
}

// Columns in one pass, so that a text typed with "%1" in it stays as typed.
QString Left(const QString &text, int width) { return text.leftJustified(width); }
QString Right(const QString &text, int width) { return text.rightJustified(width); }

QString TableLine(const QString &step, const QString &load, const QString &indication, const QString &error,
                  const QString &mpe, const QString &result)
{
    return QStringLiteral("    %1 %2 %3 %4 %5  %6")
        .arg(Left(step, 10), Right(load, 11), Right(indication, 11), Right(error, 9), Right(mpe, 9), result);
}

QString SetupLine(const TVerificationSetup &setup)
{
    const double n = setup.E > 0 ? setup.Max / setup.E : 0;
    return QStringLiteral("Accuracy class %1, e = %2, Max = %3 (n = %4)")
        .arg(AccuracyClassName(setup.Class), setup.WithUnits(setup.E), setup.WithUnits(setup.Max),
             QString::number(n, 'f', 0));
}

QString KindLine(const TVerificationSetup &setup)
{
    return setup.InService ? QStringLiteral("In service: the MPE is twice that of initial verification")
                           : QStringLiteral("Initial verification");
}

// The date of the first reading of the deciding run, else today.
QString VerificationDate(const TVerification &verification)
{
    for (const TTestRow &row : verification.Runs[size_t(verification.DecidingRun())])
        if (row.Taken.isValid())
            return row.Taken.date().toString(Qt::ISODate);
    return QDate::currentDate().toString(Qt::ISODate);
}

class TCertificate {
public:
    explicit TCertificate(const TVerification &verification) : V(verification), S(verification.Setup) {}
    QStringList Lines;

    void Heading();
    void Run(int run);
    void Verdict();

private:
    const TVerification &V;
    const TVerificationSetup &S;

    void Add(const QString &line = {}) { Lines << line; }
    void Table(const QList<TTestRow> &rows, TTestKind kind, const QString &stepHeading);
};

void TCertificate::Heading()
{
    Add(Title);
    Add(QString(Title.size(), QLatin1Char('=')));
    Add();
    Add(QStringLiteral("Instrument:        %1").arg(V.Identity().Text()));
    Add(QStringLiteral("Customer / site:   %1").arg(S.Customer));
    Add(QStringLiteral("Technician:        %1").arg(S.Technician));
    Add(QStringLiteral("Date:              %1").arg(VerificationDate(V)));
    Add();
    Add(QStringLiteral("Setup"));
    Add(QStringLiteral("  ") + SetupLine(S));
    Add(QStringLiteral("  ") + KindLine(S));
    Add(QStringLiteral("  Test weights:"));
    if (S.Weights.isEmpty())
        Add(QStringLiteral("    none listed"));
    else
        Add(QStringLiteral("    %1 %2 %3 %4")
                .arg(Left(QStringLiteral("Identifier"), 14), Left(QStringLiteral("Nominal"), 12),
                     Left(QStringLiteral("Class"), 6), QStringLiteral("Certificate")));
    for (const TTestWeight &weight : S.Weights)
        Add(QStringLiteral("    %1 %2 %3 %4")
                .arg(Left(weight.Id, 14), Left(weight.Nominal, 12), Left(weight.WeightClass, 6), weight.Certificate));
}

void TCertificate::Table(const QList<TTestRow> &rows, TTestKind kind, const QString &stepHeading)
{
    Add(TableLine(stepHeading, QStringLiteral("Load"), QStringLiteral("Indication"), QStringLiteral("Error"),
                  QStringLiteral("MPE"), QStringLiteral("Result")));
    for (const TTestRow &row : rows) {
        if (row.Kind != kind)
            continue;
        const TRowResult result = ResultOf(S, row);
        Add(TableLine(StepName(row), S.Weight(row.Load),
                      result.Taken ? IndicationText(S, row) : QStringLiteral("-"),
                      result.Taken ? ErrorText(S, row, result.Error) : QStringLiteral("-"), S.MpeText(result.Mpe),
                      ResultWord(result)));
    }
}

void TCertificate::Run(int run)
{
    const QList<TTestRow> &rows = V.Runs[size_t(run)];
    const auto has = [&rows](TTestKind kind) {
        return std::any_of(rows.begin(), rows.end(), [kind](const TTestRow &row) { return row.Kind == kind; });
    };
    Add();
    Add(RunName(run) + QStringLiteral(" (weights in %1)").arg(S.Units.isEmpty() ? QStringLiteral("units") : S.Units));
    if (has(TTestKind::Weighing)) {
        Add(QStringLiteral("  Weighing test"));
        Table(rows, TTestKind::Weighing, QStringLiteral("Step"));
    }
    if (has(TTestKind::Repeatability)) {
        const TRepeatability repeat = RepeatabilityOf(S, rows);
        Add(QStringLiteral("  Repeatability at %1").arg(S.WithUnits(repeat.Load)));
        Table(rows, TTestKind::Repeatability, QStringLiteral("Loading"));
        if (repeat.Complete)
            Add(QStringLiteral("    Spread %1, MPE %2: %3")
                    .arg(S.WithUnits(repeat.Spread), S.MpeText(repeat.Mpe),
                         repeat.Pass ? QStringLiteral("pass") : QStringLiteral("fail")));
    }
    if (has(TTestKind::Eccentricity)) {
        const auto first = std::find_if(rows.begin(), rows.end(),
                                        [](const TTestRow &row) { return row.Kind == TTestKind::Eccentricity; });
        Add(QStringLiteral("  Eccentricity at %1").arg(S.WithUnits(first->Load)));
        Table(rows, TTestKind::Eccentricity, QStringLiteral("Position"));
    }
    Add(QStringLiteral("  Verdict %1: %2").arg(RunName(run).toLower(), VerdictText(VerdictOf(S, rows))));
}

void TCertificate::Verdict()
{
    const int run = V.DecidingRun();
    Add();
    Add(QStringLiteral("Verdict: %1 (%2)").arg(VerdictText(VerdictOf(S, V.Runs[size_t(run)])), RunName(run).toLower()));
}

QByteArray Quoted(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

QByteArray CsvRow(const QStringList &fields)
{
    QByteArray row;
    for (const QString &field : fields) {
        if (!row.isEmpty())
            row += ',';
        const bool plain = !field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"'))
                           && !field.contains(QLatin1Char('\n')) && !field.contains(QLatin1Char('\r'));
        row += plain ? field.toUtf8() : Quoted(field);
    }
    return row + "\r\n";
}

} // namespace

QStringList CertificateLines(const TVerification &verification)
{
    TCertificate certificate(verification);
    certificate.Heading();
    certificate.Run(rkAsFound);
    if (verification.DecidingRun() == rkAsLeft)
        certificate.Run(rkAsLeft);
    certificate.Verdict();
    return certificate.Lines;
}

QByteArray VerificationCsv(const TVerification &verification)
{
    const TVerificationSetup &setup = verification.Setup;
    QByteArray csv;
    csv += Quoted(Title + QStringLiteral(": ") + verification.Identity().Text()) + "\r\n";
    csv += Quoted(SetupLine(setup) + QStringLiteral("; ") + KindLine(setup)) + "\r\n";
    csv += Quoted(QStringLiteral("Customer / site: %1; technician: %2").arg(setup.Customer, setup.Technician)) + "\r\n";
    csv += CsvRow({"run", "test", "step", "load", "indication", "error", "mpe", "result"});
    for (int run : {int(rkAsFound), int(rkAsLeft)}) {
        const QList<TTestRow> &rows = verification.Runs[size_t(run)];
        if (run == rkAsLeft && verification.DecidingRun() != rkAsLeft)
            break;
        for (const TTestRow &row : rows) {
            const TRowResult result = ResultOf(setup, row);
            csv += CsvRow({RunName(run), TestName(row.Kind), StepName(row), setup.Weight(row.Load),
                           IndicationText(setup, row), result.Taken ? ErrorText(setup, row, result.Error) : QString(),
                           setup.MpeText(result.Mpe), result.Taken ? ResultWord(result) : QString()});
        }
        const TRepeatability repeat = RepeatabilityOf(setup, rows);
        if (repeat.Complete)
            csv += CsvRow({RunName(run), TestName(TTestKind::Repeatability), "spread", setup.Weight(repeat.Load), {},
                           setup.Weight(repeat.Spread), setup.MpeText(repeat.Mpe),
                           repeat.Pass ? QStringLiteral("pass") : QStringLiteral("fail")});
        csv += CsvRow({RunName(run), "verdict", {}, {}, {}, {}, {}, VerdictText(VerdictOf(setup, rows))});
    }
    return csv;
}

bool WriteVerificationCsv(const QString &path, const TVerification &verification, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(VerificationCsv(verification)) >= 0 && file.commit())
        return true;
    if (error)
        *error = QStringLiteral("The results could not be written to %1: %2")
                     .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}
