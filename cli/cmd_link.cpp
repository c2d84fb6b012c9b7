// ports and identify: the connection itself.

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

int RunPorts(TCliJob &job)
{
    for (const QString &port : SerialPortNames(job.Args.Port.value_or(QString())))
        job.Result({{"port", port}}, port);
    return ExitDone;
}

// Every port the connection dialog lists (the stored one first), or only
// --port, at the common baud rates (the stored one first). Nothing is
// written to an instrument; found ones are results, what was tried a note.
int RunFind(TCliJob &job)
{
    const QString stored = TCliJob::StoredPort();
    const QStringList ports = job.Args.Port ? QStringList{*job.Args.Port}
                                            : TInstrumentFinder::PortOrder(stored, SerialPortNames(stored));
    const QList<int> bauds = TInstrumentFinder::BaudOrder(TCliJob::StoredBaudRate(), TInstrumentFinder::CommonBaudRates());
    TInstrumentFinder finder;
    QEventLoop loop;
    QObject::connect(&finder, &TInstrumentFinder::Trying, [&job](const QString &port, int baud) {
        job.Prompt.Progress(QStringLiteral("Trying %1 at %2 baud").arg(port).arg(baud));
    });
    QObject::connect(&finder, &TInstrumentFinder::Found, [&job](const TFoundInstrument &found) {
        job.Result({{"port", found.Port},
                    {"baud", found.BaudRate},
                    {"dataBits", found.DataBits},
                    {"parity", found.Parity},
                    {"stopBits", found.StopBits},
                    {"address", found.UnitAddress},
                    {"identity", found.Identity}},
                   QStringLiteral("%1 %2 baud %3N%4 address %5 %6")
                       .arg(found.Port)
                       .arg(found.BaudRate)
                       .arg(found.DataBits)
                       .arg(found.StopBits)
                       .arg(found.UnitAddress)
                       .arg(found.Identity));
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
    if (finder.Results().isEmpty()) {
        job.Prompt.Message(TInstrumentFinder::NothingFoundText(finder.Tried()), TPrompts::Kind::Warning, QString());
        return ExitSilent;
    }
    return ExitDone;
}

int RunIdentify(TCliJob &job)
{
    if (const int status = job.Connect(); status != ExitDone)
        return status;
    const Tdata7410 &model = job.EditModel;
    job.Result({{"port", job.PortName},
                {"address", model.Address},
                {"serialNumber", model.SerialNumber},
                {"version", model.Version},
                {"serialId", model.SerialID}},
               InstrumentIdentityText(model));
    return ExitDone;
}
