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
    TOutcome opened = session.Acknowledged(QStringLiteral("PCD%1").arg(*digits));
    if (opened.Is(TOutcome::TKind::Refused))
        opened.Saying(QStringLiteral("The instrument refused the passcode: its guarded settings stay locked."),
                      TOutcome::TSeverity::Error);
    return opened;
}

TOutcome LockGuardedSettings(TSession &session)
{
    TOutcome locked = session.Acknowledged(QStringLiteral("PCD"));
    if (locked.Is(TOutcome::TKind::Refused))
        locked.Saying(QStringLiteral("The instrument refused to lock its guarded settings again (\"PCD\"): they "
                                     "stay open until it is switched off."),
                      TOutcome::TSeverity::Error);
    return locked;
}
