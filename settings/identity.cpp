#include "settings/identity.h"

#include "settings/database.h"

QString InstrumentIdentityText(const Tdata7410 &model)
{
    if (model.SerialNumber.isEmpty())
        return {};
    // One pass over the pattern: a "%1" inside an instrument's text stays as it is.
    return QStringLiteral("Unit %1  SN: %2, Version %3, ID: %4")
        .arg(QString::number(model.Address), model.SerialNumber, model.Version, model.SerialID);
}
