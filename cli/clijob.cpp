#include "cli/clijob.h"

#include "cli/cliargs.h"
#include "cli/interrupt.h"
#include "cli/terminalprompts.h"
#include "link/connectionsettingsfile.h"
#include "link/dmviewer.h"
#include "link/instrumentfinder.h"
#include "link/ioiface_serial.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdio>

namespace {

// The window's connection settings are the defaults: the ports chosen there
// serve the command line too.
QString ViewerSettingsFile()
{
    return ConnectionSettingsFileFor(QCoreApplication::applicationDirPath() + QStringLiteral("/" QV_VIEWER_NAME));
}

} // namespace

TCliJob::TCliJob(const TCliArgs &args, TTerminalPrompts &prompts)
    : Args(args), Prompt(prompts), Transfer(Session, EditModel, InstrumentModel)
{
    // A read's own note counts the answers (42), not the lines of a settings
    // file (36): each command says what it did with what was read instead.
    Transfer.StatusNote = [this](const QString &note) {
        if (Session.Activity() == actReadSettings)
            return;
        TransferNotes << note;
        Note(note);
    };
    // Why the port would not open, or was lost.
    Session.LinkFailed = &TCliJob::Note;
    Interrupt.CancelOperation = [this] { Transfer.Abandon(); };
    History = THistoryRecorder::ForLocation(StoredHistoryLocation());
    History->HistoryOff = &TCliJob::Note;
    History->Attach(Transfer);
}

TCliJob::~TCliJob()
{
    // Closed before anything goes, so no event reaches a half-destroyed job.
    if (Session.IsOpen())
        Session.Transport().Close();
}

QString TCliJob::StoredPort() { return TdatViewer(ViewerSettingsFile()).SerialPort(); }

int TCliJob::StoredBaudRate() { return TdatViewer(ViewerSettingsFile()).BaudRate(); }

QString TCliJob::StoredHistoryLocation() { return HistoryLocation(TdatViewer(ViewerSettingsFile()).History()); }

int TCliJob::Connect()
{
    TdatViewer store(ViewerSettingsFile());
    auto serial = std::make_unique<TIOIfaceSerial>();
    PortName = Args.Port.value_or(store.SerialPort());
    serial->SetPortName(PortName);
    serial->SetBaudRate(Args.Baud.value_or(store.BaudRate()));
    serial->SetDataBits(Args.DataBits.value_or(store.DataBits()));
    serial->SetStopBits(Args.StopBits.value_or(store.StopBits()));
    serial->SetParity(Args.Parity.value_or(store.ParityBits()));
    Baud = serial->BaudRate();
    Data = serial->DataBits();
    Stop = serial->StopBits();
    ParityValue = serial->Parity();
    const int stored = store.SerialAddress();
    Session.SetUnitAddress(Args.Address.value_or(stored >= 1 && stored <= 31 ? stored : 99));
    Session.InstallAndOpen(std::move(serial));
    if (!Session.IsOpen())
        return ExitNoPort;   // the transport said why
    if (TOutcome startup = Session.StartupSequence(); !startup)
        return Finish(startup);
    if (TInterrupt::Raised())
        return ExitRefused;
    TOutcome identity = Session.AskText(QStringLiteral("IDN?"), QStringLiteral("IDN"));
    if (!identity)
        return Finish(identity);
    if (TInterrupt::Raised())
        return ExitRefused;
    // Whatever came back was taken as the answer; line noise at a wrong baud
    // rate, or a line that answers anything, is no instrument.
    if (!TInstrumentFinder::IsIdentityLine(Session.ReplyPrefix().toLatin1()))
        return Fail(ExitSilent, QStringLiteral("The answer from %1 at %2 baud is not an instrument's identity: "
                                               "check the baud rate and line settings.")
                                    .arg(PortName)
                                    .arg(Baud));
    const QString identityLine = QStringLiteral("IDN") + Session.ReplyPrefix();
    EditModel.ApplyLines({identityLine});
    // The address is shown where it is known; its silence fails nothing.
    if (Session.AskNumber(QStringLiteral("ADR?"), QStringLiteral("ADR")))
        EditModel.Address = Session.ReplyValue();
    History->RecordConnect({EditModel.SerialNumber.trimmed(), EditModel.Address, PortName}, identityLine);
    return Finish(TOutcome::Accept());
}

int TCliJob::ConnectAndRead()
{
    if (const int status = Connect(); status != ExitDone)
        return status;
    return Finish(Transfer.ReadSettings());
}

int TCliJob::StatusOf(const TOutcome &outcome) const
{
    // Done is done, also when a signal came during the closing commands.
    if (outcome.Ok() && !Prompt.Declined)
        return ExitDone;
    if (TInterrupt::Raised() || Prompt.Declined)
        return ExitRefused;
    switch (outcome.Kind()) {
    case TOutcome::TKind::Silent:
    case TOutcome::TKind::PortLost:
        return ExitSilent;
    case TOutcome::TKind::NotConnected:
        return ExitNoPort;
    default:
        return ExitRefused;
    }
}

int TCliJob::Finish(const TOutcome &outcome)
{
    const int status = StatusOf(outcome);
    if (const QString text = outcome.Text(); !text.isEmpty()) {
        if (!TransferNotes.contains(text))
            Note(text);
        if (status != ExitDone)
            Error = text;
    }
    return status;
}

int TCliJob::Fail(int status, const QString &text)
{
    Note(text);
    Error = text;
    return status;
}

QString TCliJob::ErrorText() const
{
    if (TInterrupt::Raised())
        return QStringLiteral("Interrupted.");
    return Error.isEmpty() ? TTerminalPrompts::LastSaid() : TTerminalPrompts::Shown(Error);
}

void TCliJob::Result(const QJsonObject &json, const QString &text) const
{
    if (Args.Json)
        std::fprintf(stdout, "%s\n", QJsonDocument(json).toJson(QJsonDocument::Compact).constData());
    else if (!text.isEmpty())
        std::fprintf(stdout, "%s\n", qPrintable(text));
    std::fflush(stdout);
}

void TCliJob::Note(const QString &text) { TTerminalPrompts::Say(text); }
