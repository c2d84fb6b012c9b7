#include "settings/guardedsettings.h"

#include "link/session.h"
#include "settings/passcode.h"
#include "ui/prompts.h"

#include <QLineEdit>

bool OpenGuardedSettings(TSession &session, TFrmPasscode &dialog, bool &passcodeSent)
{
    // Without a valid answer there is no knowing whether the instrument
    // guards these settings; the time-out has been reported.
    if (!session.SendAndWait(QStringLiteral("PCD?"), false, QStringLiteral("PCD"), session.Numeric()))
        return false;
    if (session.ReplyValue == 0)
        return true;
    dialog.EdtPasscode->clear();
    if (Prompts().Exec(dialog) != QDialog::Accepted)
        return false;
    const QString digits = dialog.Digits();
    // "PCD" alone would lock the instrument rather than open it.
    if (digits.isEmpty())
        return false;
    passcodeSent = true;
    return session.SendAndWait(QStringLiteral("PCD%1").arg(digits), false, QString(), session.Acknowledge());
}

bool LockGuardedSettings(TSession &session)
{
    return session.SendAndWait(QStringLiteral("PCD"), false, QString(), session.Acknowledge());
}
