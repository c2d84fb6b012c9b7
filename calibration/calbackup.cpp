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

void TCalBackup::Run(const std::function<bool()> &op)
{
    // With the link closed the buttons do nothing at all, not even say so.
    if (Session.IsOpen())
        Frame.RunStep(op);
}

void TCalBackup::CalDirect(const QString &zeroText, const QString &spanText)
{
    Run([&] {
        CalDirectSteps(zeroText, spanText);
        return true;
    });
}

void TCalBackup::Backup()
{
    Run([this] {
        BackupSteps();
        return false;
    });
}

void TCalBackup::Restore()
{
    Run([this] {
        RestoreSteps();
        return true;
    });
}

void TCalBackup::CalDirectSteps(const QString &zeroText, const QString &spanText)
{
    const std::optional<qint64> zero = ReadSignalText(zeroText);
    const std::optional<qint64> span = ReadSignalText(spanText);
    // Kept even when they go no further; the read that follows overwrites them.
    if (zero)
        EditModel.DirectZero = StoredSignal(*zero);
    if (span)
        EditModel.DirectSpan = StoredSignal(*span);
    if (!zero || !span) {
        Prompts().Message(InvalidNumbers, TPrompts::Kind::Warning);
        return;
    }
    if (!SignalsAllowed(*zero, *span)) {
        Prompts().Message(RulesBroken, TPrompts::Kind::Warning);
        return;
    }
    if (!Prompts().Confirm(OverwriteQuestion))
        return;
    // Each goes out whatever the one before answered.
    Session.SendAndWait(QStringLiteral("LDW1,%1").arg(*zero), false, {}, Session.Acknowledge());
    Session.SendAndWait(QStringLiteral("LWT1,%1").arg(*span), false, {}, Session.Acknowledge());
    Session.SendAndWait(QStringLiteral("TDD1;"), false, {}, Session.Acknowledge());
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
std::optional<QString> TCalBackup::AskCalibrationData()
{
    if (!Session.SendAndWait(QStringLiteral("MDD?1;"), false, {}, Session.Text()))
        return std::nullopt;
    return Session.ReplyPrefix;
}

// The calibration data, asked for twice: a line of noise taken for the answer
// would not come again the same. Empty, with the reason, when the data is not
// known for sure or could not be given back unchanged from a file.
QString TCalBackup::UploadCalibrationData(QString &reason)
{
    // A failure is the backup's to report, once, as "Calibration upload
    // failed"; the step's TOneFailureMessage turns the exchange's own
    // reports on again when it ends.
    Session.ReportWaitFailures = false;
    const std::optional<QString> first = AskCalibrationData();
    const std::optional<QString> second = first ? AskCalibrationData() : std::nullopt;
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

void TCalBackup::BackupSteps()
{
    const QString chosen = ChooseBackupName();
    if (chosen.isEmpty())
        return;
    QString reason;
    const QString data = UploadCalibrationData(reason);
    if (!reason.isEmpty()) {
        // A lost line has been reported by the transport already.
        if (Session.IsOpen())
            Prompts().Message(UploadFailed + QStringLiteral("\n\n") + reason + QStringLiteral("  Nothing was saved."),
                              TPrompts::Kind::Warning);
        return;
    }
    const TCalFileRecord record{CalFileProgramVersion(), InstrumentVersion(), EditModel.SerialNumber, data,
                                CalDataChecksum(data)};
    const QString path = CalFileName(chosen);
    QString error;
    if (!WriteCalFile(path, record, &error))
        Prompts().Message(QStringLiteral("The calibration data could not be saved to %1: %2.").arg(Shown(path), error),
                          TPrompts::Kind::Error);
    else
        Frame.Note(QStringLiteral("Calibration backup saved to %1").arg(Shown(path)));
}

void TCalBackup::RestoreSteps()
{
    const QString path = Prompts().OpenFileName(OpenTitle, QString(), Filter);
    if (path.isEmpty() || !QFileInfo::exists(path))
        return;
    const TCalFileRead file = ReadCalFile(path);
    if (!file.Ok) {
        Prompts().Message(QStringLiteral("%1 cannot be read as a calibration file: %2.  Nothing was sent.")
                              .arg(Shown(path), file.Error),
                          TPrompts::Kind::Error);
        return;
    }
    const TCalFileRecord &record = file.Record;
    if (record.MDD1.size() < ShortestData) {
        Prompts().Message(InvalidFile, TPrompts::Kind::Error);
        return;
    }
    // On the line the data would end the command early or start another one.
    if (!IsSendableCalData(record.MDD1)) {
        Prompts().Message(QStringLiteral("The calibration data in %1 holds \";\", a double quote or control "
                                         "characters, which the instrument would take as the end of the "
                                         "command.  Nothing was sent.")
                              .arg(Shown(path)),
                          TPrompts::Kind::Error);
        return;
    }
    if (!AcceptedDespiteDifferences(record))
        return;
    const bool taken =
        Session.SendAndWait(QStringLiteral("MDD") + record.MDD1 + QLatin1Char(';'), false, {}, Session.Acknowledge());
    // Stored whatever the answer: the instrument may have taken part of it.
    const bool stored = Session.SendAndWait(QStringLiteral("TDD1;"), false, {}, Session.Acknowledge());
    if (taken && stored)
        Frame.Note(QStringLiteral("Calibration restored from %1").arg(Shown(path)));
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
