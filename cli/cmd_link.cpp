// ports, find and identify: the connection itself.

#include "cli/cliargs.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "cli/terminalprompts.h"
#include "link/connectionsettingsfile.h"
#include "link/instrumentfinder.h"
#include "link/portlist.h"
#include "settings/identity.h"

#include <QEventLoop>
#include <QJsonObject>

namespace {

QString ParityName(int parity)
{
    return parity == 1 ? QStringLiteral("odd") : parity == 2 ? QStringLiteral("even") : QStringLiteral("none");
}

struct TLine {
    QString Port;
    int Baud = 0;
    int DataBits = 8;
    int Parity = 0;
    int StopBits = 1;
};

// An instrument as find and identify give it: the same fields in both.
QJsonObject InstrumentJson(const TLine &line, int address, const Tdata7410 &identity)
{
    return {{"port", line.Port},
            {"baud", line.Baud},
            {"dataBits", line.DataBits},
            {"parity", ParityName(line.Parity)},
            {"stopBits", line.StopBits},
            {"address", address},
            {"serialId", identity.SerialID},
            {"serialNumber", identity.SerialNumber},
            {"version", identity.Version}};
}

QString LineText(const TLine &line)
{
    return QStringLiteral("%1 %2 baud %3%4%5")
        .arg(line.Port)
        .arg(line.Baud)
        .arg(line.DataBits)
        .arg(ParityName(line.Parity).at(0).toUpper())
        .arg(line.StopBits);
}

} // namespace

int RunPorts(TCliJob &job)
{
    for (const QString &port : SerialPortNames(job.Args.Port.value_or(QString())))
        job.Result({{"port", port}}, port);
    return ExitDone;
}

// Every port the connection dialog lists (the stored one first), or only
// --port, at the common baud rates (the stored one first) or only --baud.
// Nothing is written to an instrument; found ones are results (every unit
// of a bus, one a line), what was tried a note.
int RunFind(TCliJob &job)
{
    const TCliArgs &args = job.Args;
    const QString stored = TCliJob::StoredPort();
    const QStringList ports =
        args.Port ? QStringList{*args.Port} : TInstrumentFinder::PortOrder(stored, SerialPortNames(stored));
    const QList<int> bauds = args.Baud ? QList<int>{*args.Baud}
                                       : TInstrumentFinder::BaudOrder(TCliJob::StoredBaudRate(),
                                                                      TInstrumentFinder::CommonBaudRates());
    const int dataBits = args.DataBits.value_or(8);
    const int parity = args.Parity.value_or(0);
    const int stopBits = args.StopBits.value_or(1);
    TInstrumentFinder finder;
    finder.SetUnitAddress(args.Address.value_or(99));
    finder.SetLineSettings(dataBits, parity, stopBits);
    QEventLoop loop;
    QObject::connect(&finder, &TInstrumentFinder::Trying, [&job](const QString &port, int baud) {
        job.Prompt.Progress(QStringLiteral("Trying %1 at %2 baud").arg(port).arg(baud));
    });
    QObject::connect(&finder, &TInstrumentFinder::Asking, [&job](const QString &port, int baud, int unit) {
        job.Prompt.Progress(QStringLiteral("Several answered on %1 at %2 baud: asking unit %3 of %4")
                                .arg(port)
                                .arg(baud)
                                .arg(unit)
                                .arg(TInstrumentFinder::LastScanUnit));
    });
    QObject::connect(&finder, &TInstrumentFinder::Found, [&job](const TFoundInstrument &found) {
        Tdata7410 identity;
        identity.ApplyLines({QStringLiteral("IDN") + found.Identity});
        const TLine line{found.Port, found.BaudRate, found.DataBits, found.Parity, found.StopBits};
        job.Prompt.EndProgress();
        job.Result(InstrumentJson(line, found.UnitAddress, identity),
                   QStringLiteral("%1 address %2 %3").arg(LineText(line)).arg(found.UnitAddress).arg(found.Identity));
    });
    QObject::connect(&finder, &TInstrumentFinder::Finished, &loop, &QEventLoop::quit);
    job.Interrupt.OnRaised = [&finder] { finder.Cancel(); };
    finder.Start(ports, bauds);
    if (finder.IsRunning())
        loop.exec();
    job.Interrupt.OnRaised = nullptr;
    job.Prompt.EndProgress();
    if (TInterrupt::Raised())
        return ExitRefused;
    const QList<TFinderTry> tried = finder.Tried();
    bool searched = false;
    for (const TFinderTry &port : tried) {
        searched = searched || port.Searched();
        if (port.InUse && !finder.Results().isEmpty())
            TCliJob::Note(QStringLiteral("%1: skipped, in use by another program").arg(port.Port));
    }
    if (finder.Results().isEmpty())
        return job.Fail(searched ? ExitSilent : ExitNoPort,
                        TInstrumentFinder::NothingFoundText(tried, dataBits, parity, stopBits));
    return ExitDone;
}

int RunIdentify(TCliJob &job)
{
    if (const int status = job.Connect(); status != ExitDone)
        return status;
    const Tdata7410 &model = job.EditModel;
    const TLine line{job.PortName, job.BaudRate(), job.DataBits(), job.Parity(), job.StopBits()};
    job.Result(InstrumentJson(line, model.Address, model), InstrumentIdentityText(model));
    return ExitDone;
}
