#include "settings/guardedsettings.h"

#include "link/session.h"
#include "ui/prompts.h"

TOutcome OpenGuardedSettings(TSession &session, bool &passcodeSent)
{
    // Without a valid answer there is no knowing whether the instrument
    // guards these settings.
    if (TOutcome asked = session.AskNumber(QStringLiteral("PCD?"), QStringLiteral("PCD")); !asked)
        return asked;
    if (session.ReplyValue() == 0)
        return TOutcome::Accept();
    const std::optional<QString> digits = Prompts().Passcode();
    // "PCD" alone would lock the instrument rather than open it.
    if (!digits || digits->isEmpty())
        return TOutcome::Cancel();
    passcodeSent = true;
    return session.Acknowledged(QStringLiteral("PCD%1").arg(*digits));
}

TOutcome LockGuardedSettings(TSession &session)
{
    return session.Acknowledged(QStringLiteral("PCD"));
}
