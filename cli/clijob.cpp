#include "cli/clijob.h"

#include "cli/cliargs.h"
#include "cli/interrupt.h"
#include "cli/terminalprompts.h"
#include "link/connectionsettingsfile.h"
#include "link/dmviewer.h"
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
    Transfer.StatusNote = &TCliJob::Note;
    // No hourglass without a window.
    Session.SetBusy = [](bool) {};
    Transfer.SetBusy = [](bool) {};
}

TCliJob::~TCliJob()
{
    // Closed before anything goes, so no event reaches a half-destroyed job.
    if (Session.IsOpen())
        Session.Transport().Close();
}

QString TCliJob::StoredPort() { return TdatViewer(ViewerSettingsFile()).SerialPort(); }

int TCliJob::StoredBaudRate() { return TdatViewer(ViewerSettingsFile()).BaudRate(); }

int TCliJob::Connect()
{
    TdatViewer store(ViewerSettingsFile());
    auto serial = std::make_unique<TIOIfaceSerial>();
    PortName = Args.Port.value_or(store.SerialPort());
    serial->SetPortName(PortName);
    serial->SetBaudRate(Args.Baud.value_or(store.BaudRate()));
    serial->SetDataBits(store.DataBits());
    serial->SetStopBits(store.StopBits());
    serial->SetParity(store.ParityBits());
    const int stored = store.SerialAddress();
    Session.UnitAddress = Args.Address.value_or(stored >= 1 && stored <= 31 ? stored : 99);
    Session.InstallAndOpen(std::move(serial));
    if (!Session.IsOpen())
        return ExitNoPort;   // the transport said why
    Session.StartupSequence();
    // The start-up sequence has said it once if the instrument is silent.
    Session.ReportWaitFailures = false;
    const bool answered = Session.SendAndWait(QStringLiteral("IDN?"), false, QStringLiteral("IDN"), Session.Text());
    if (answered) {
        EditModel.ApplyLines({QStringLiteral("IDN") + Session.ReplyPrefix});
        if (Session.SendAndWait(QStringLiteral("ADR?"), false, QStringLiteral("ADR"), Session.Numeric()))
            EditModel.Address = Session.ReplyValue;
    }
    Session.ReportWaitFailures = true;
    if (answered && !TInterrupt::Raised())
        return ExitDone;
    LastExchangeSilent = answered == false;
    return TInterrupt::Raised() ? ExitRefused : ExitSilent;
}

int TCliJob::ConnectAndRead()
{
    if (const int status = Connect(); status != ExitDone)
        return status;
    return Transfer.ReadSettings() && !TInterrupt::Raised() ? ExitDone : FailureStatus();
}

int TCliJob::FailureStatus()
{
    if (TInterrupt::Raised() || Prompt.Declined)
        return ExitRefused;
    if (LastExchangeSilent || !Session.IsOpen())
        return ExitSilent;
    const TTransferEngine &engine = Transfer.Traffic().Engine;
    if (engine.Outcome == TTransferEngine::TOutcome::Failed && engine.RefusedLine.isEmpty())
        return ExitSilent;
    return ExitRefused;
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
