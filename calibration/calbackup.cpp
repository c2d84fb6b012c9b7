#include "calibration/calbackup.h"

#include "calibration/calfile.h"
#include "calibration/calsignal.h"
#include "calibration/calsteps.h"
#include "link/session.h"
#include "settings/database.h"
#include "ui/prompts.h"

#include <QDir>
#include <QFileInfo>
#include <optional>

namespace {

const QString InvalidNumbers = QStringLiteral("Invalid Numbers.  Calibration failed.");
const QString RulesBroken = QStringLiteral("Zero or span value error. Calibration Failed.\r\n"
                                           "Rules: -3.2 <= Zero < 3.2; -3.2 <= Span <= 3.2; Zero <> Span");
const QString OverwriteQuestion = QStringLiteral("This will overwrite existing calibration.  Continue?");
const QString UploadFailed = QStringLiteral("Calibration upload failed");
const QString InvalidFile = QStringLiteral("Invalid database file");
const QString ChecksumQuestion = QStringLiteral("Stored checksum is incorrect.  Continue?");
const QString ViewerQuestion = QStringLiteral("Viewer version is different.  Continue?");
const QString InstrumentQuestion = QStringLiteral("KD4620 version is different.  Continue?");
const QString SerialQuestion = QStringLiteral("KD4620 serial number is different.  Continue?");
const QString SaveTitle = QStringLiteral("Select filename for calibration data");
const QString OpenTitle = QStringLiteral("Select filename containing calibration data");
const QString Filter = QStringLiteral("Calibration files (*.cal);;All files (*.*)");

// The instrument gives out more than this; anything shorter is no
// calibration data (a refusal, a cut line).
constexpr int ShortestData = 40;

QString Shown(const QString &path) { return QDir::toNativeSeparators(path); }

} // namespace

TCalBackup::TCalBackup(TSession &session, Tdata7410 &editModel, TCalibrationSteps &frame)
    : Session(session), EditModel(editModel), Frame(frame)
{
}

TOutcome TCalBackup::Run(const std::function<TOutcome(bool &readBack)> &op)
{
    // With the link closed the buttons do nothing at all, not even say so.
    if (!Session.IsOpen())
        return TOutcome::Cancel();
    return Frame.RunStep(op);
}

TOutcome TCalBackup::CalDirect(const QString &zeroText, const QString &spanText)
{
    return Run([&](bool &) { return CalDirectSteps(zeroText, spanText); });
}

TOutcome TCalBackup::Backup()
{
    return Run([this](bool &readBack) {
        readBack = false;
        return BackupSteps();
    });
}

TOutcome TCalBackup::Restore()
{
    return Run([this](bool &) { return RestoreSteps(); });
}

TOutcome TCalBackup::CalDirectSteps(const QString &zeroText, const QString &spanText)
{
    const std::optional<qint64> zero = ReadSignalText(zeroText);
    const std::optional<qint64> span = ReadSignalText(spanText);
    // Kept even when they go no further; the read that follows overwrites them.
    if (zero)
        EditModel.DirectZero = StoredSignal(*zero);
    if (span)
        EditModel.DirectSpan = StoredSignal(*span);
    if (!zero || !span)
        return TOutcome::Fail(InvalidNumbers);
    if (!SignalsAllowed(*zero, *span))
        return TOutcome::Fail(RulesBroken);
    if (!Prompts().Confirm(OverwriteQuestion))
        return TOutcome::Cancel();
    // Each goes out whatever the one before answered; the first failure is
    // the outcome.
    Frame.BeginStepRecord();
    const std::optional<qint32> before = Frame.SignalForHistory();
    const QString zeroCommand = QStringLiteral("LDW1,%1").arg(*zero);
    const QString spanCommand = QStringLiteral("LWT1,%1").arg(*span);
    Frame.StepSent(zeroCommand);
    Frame.StepSent(spanCommand);
    TOutcome outcome = Session.Acknowledged(zeroCommand);
    const TOutcome spanSet = Session.Acknowledged(spanCommand);
    const TOutcome stored = Session.Acknowledged(QStringLiteral("TDD1;"));
    if (outcome)
        outcome = spanSet ? stored : spanSet;
    Frame.RecordStep(QStringLiteral("direct mV/V"), before, outcome);
    return outcome;
}

QString TCalBackup::InstrumentVersion() const { return EditModel.SerialID + QLatin1Char(':') + EditModel.Version; }

// The save dialog suggests the instrument's serial number as the name. It
// asks nothing about an existing file: the file written is the chosen name
// with ".cal", which need not be the one the dialog would ask about.
QString TCalBackup::ChooseBackupName() const
{
    QString suggested = CalFileStoredForm(EditModel.SerialNumber);
    suggested.remove(QLatin1Char('/'));
    suggested.remove(QLatin1Char('\\'));
    return Prompts().SaveFileName(SaveTitle, suggested.isEmpty() ? QString() : suggested + QStringLiteral(".cal"),
                                  Filter, nullptr, TPrompts::Overwrite::Replace);
}

// One answer to "MDD?1;".
std::optional<QString> TCalBackup::AskCalibrationData(TOutcome &outcome)
{
    outcome = Session.AskText(QStringLiteral("MDD?1;"), {});
    if (!outcome)
        return std::nullopt;
    return Session.ReplyPrefix();
}

// The calibration data, asked for twice: a line of noise taken for the answer
// would not come again the same. Empty, with the reason, when the data is not
// known for sure or could not be given back unchanged from a file.
QString TCalBackup::UploadCalibrationData(QString &reason, TOutcome &outcome)
{
    const std::optional<QString> first = AskCalibrationData(outcome);
    const std::optional<QString> second = first ? AskCalibrationData(outcome) : std::nullopt;
    if (!first || !second) {
        reason = QStringLiteral("The instrument did not answer the request, or refused it.");
        return {};
    }
    if (*first != *second) {
        reason = QStringLiteral("The instrument gave two different answers: the line may be disturbed.");
        return {};
    }
    if (first->size() <= ShortestData) {
        reason = QStringLiteral("The answer is too short to be calibration data.");
        return {};
    }
    reason = CalDataProblem(*first);
    return reason.isEmpty() ? *first : QString();
}

TOutcome TCalBackup::BackupSteps()
{
    const QString chosen = ChooseBackupName();
    if (chosen.isEmpty())
        return TOutcome::Cancel();
    QString reason;
    TOutcome asked;
    const QString data = UploadCalibrationData(reason, asked);
    if (!reason.isEmpty()) {
        // A lost line has been reported by the transport already.
        if (asked.Is(TOutcome::TKind::PortLost) || !Session.IsOpen())
            return TOutcome::Lost();
        // The failure is the backup's to say, once, as "Calibration upload
        // failed", whatever the exchange would have said.
        TOutcome failed = asked ? TOutcome::Fail({}) : asked;
        return failed.Saying(UploadFailed + QStringLiteral("\n\n") + reason + QStringLiteral("  Nothing was saved."),
                             TOutcome::TSeverity::Warning);
    }
    const TCalFileRecord record{CalFileProgramVersion(), InstrumentVersion(), EditModel.SerialNumber, data,
                                CalDataChecksum(data)};
    const QString path = CalFileName(chosen);
    QString error;
    const TOutcome outcome =
        WriteCalFile(path, record, &error)
            ? TOutcome::Accept()
            : TOutcome::Fail(QStringLiteral("The calibration data could not be saved to %1: %2.").arg(Shown(path), error),
                             TOutcome::TSeverity::Error);
    if (outcome)
        Frame.Note(QStringLiteral("Calibration backup saved to %1").arg(Shown(path)));
    if (DataRecorded)
        DataRecorded({false, data, record.CheckSum1, true, path, outcome});
    return outcome;
}

TOutcome TCalBackup::RestoreSteps()
{
    const QString path = Prompts().OpenFileName(OpenTitle, QString(), Filter);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return TOutcome::Cancel();
    const TCalFileRead file = ReadCalFile(path);
    if (!file.Ok)
        return TOutcome::Fail(QStringLiteral("%1 cannot be read as a calibration file: %2.  Nothing was sent.")
                                  .arg(Shown(path), file.Error),
                              TOutcome::TSeverity::Error);
    const TCalFileRecord &record = file.Record;
    if (record.MDD1.size() < ShortestData)
        return TOutcome::Fail(InvalidFile, TOutcome::TSeverity::Error);
    // On the line the data would end the command early or start another one.
    if (!IsSendableCalData(record.MDD1))
        return TOutcome::Fail(QStringLiteral("The calibration data in %1 holds \";\", a double quote or control "
                                             "characters, which the instrument would take as the end of the "
                                             "command.  Nothing was sent.")
                                  .arg(Shown(path)),
                              TOutcome::TSeverity::Error);
    if (!AcceptedDespiteDifferences(record))
        return TOutcome::Cancel();
    TOutcome outcome = Session.Acknowledged(QStringLiteral("MDD") + record.MDD1 + QLatin1Char(';'));
    // Stored whatever the answer: the instrument may have taken part of it.
    const TOutcome stored = Session.Acknowledged(QStringLiteral("TDD1;"));
    if (outcome)
        outcome = stored;
    if (outcome)
        Frame.Note(QStringLiteral("Calibration restored from %1").arg(Shown(path)));
    if (DataRecorded) {
        const qint32 checksum = CalDataChecksum(record.MDD1);
        DataRecorded({true, record.MDD1, checksum, record.CheckSum1 == checksum, path, outcome});
    }
    return outcome;
}

bool TCalBackup::AcceptedDespiteDifferences(const TCalFileRecord &record)
{
    const struct {
        bool Differs;
        const QString &Question;
    } checks[] = {
        {record.CheckSum1 != CalDataChecksum(record.MDD1), ChecksumQuestion},
        {record.VerProg != CalFileProgramVersion(), ViewerQuestion},
        // The identity as a file can hold it: spaces around a value do not
        // make the same instrument a different one.
        {record.Ver4620 != CalFileStoredForm(InstrumentVersion()), InstrumentQuestion},
        {record.SerialNo != CalFileStoredForm(EditModel.SerialNumber), SerialQuestion},
    };
    for (const auto &check : checks)
        if (check.Differs && !Prompts().Confirm(check.Question, {}, TPrompts::Kind::Warning))
            return false;
    return true;
}
