// ports and identify: the connection itself.

#include "cli/cliargs.h"
#include "cli/clijob.h"
#include "cli/commands.h"
#include "link/connectionsettingsfile.h"
#include "link/portlist.h"
#include "settings/identity.h"

#include <QJsonObject>

int RunPorts(TCliJob &job)
{
    for (const QString &port : SerialPortNames(job.Args.Port.value_or(QString())))
        job.Result({{"port", port}}, port);
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
