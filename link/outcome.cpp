#include "link/outcome.h"

#include "ui/prompts.h"

#include <QRegularExpression>

const QString &TOutcome::NotRespondingText()
{
    static const QString text = QStringLiteral("Instrument not responding");
    return text;
}

const QString &TOutcome::InvalidSettingText()
{
    static const QString text = QStringLiteral("Invalid Setting");
    return text;
}

const QString &TOutcome::NotConnectedText()
{
    static const QString text = QStringLiteral("Instrument not Connected");
    return text;
}

const QString &TOutcome::BusyText()
{
    static const QString text =
        QStringLiteral("The instrument is still answering another request. Please try again in a moment.");
    return text;
}

TOutcome &TOutcome::About(const QString &command)
{
    FailedCommand = MaskPasscode(command);
    return *this;
}

TOutcome &TOutcome::Saying(const QString &text, TSeverity severity)
{
    OwnText = text;
    OwnSeverity = severity;
    HasOwnText = true;
    return *this;
}

QString TOutcome::Text() const
{
    if (HasOwnText)
        return OwnText;
    switch (OutcomeKind) {
    case TKind::Refused:
        return InvalidSettingText();
    case TKind::Silent:
        return NotRespondingText();
    case TKind::NotConnected:
        return NotConnectedText();
    case TKind::Busy:
        return BusyText();
    case TKind::Accepted:
    case TKind::PortLost:
    case TKind::Cancelled:
    case TKind::Failed:
        break;
    }
    return {};
}

TOutcome::TSeverity TOutcome::Severity() const
{
    if (HasOwnText)
        return OwnSeverity;
    switch (OutcomeKind) {
    case TKind::Refused:
        return TSeverity::Error;
    case TKind::Busy:
        return TSeverity::Warning;
    default:
        return TSeverity::Plain;
    }
}

QString MaskPasscode(const QString &command)
{
    // "PCD" followed by digits, alone or after a unit selection, with or
    // without its ";": the digits are the secret. "PCD?" and "PCD" alone
    // carry none.
    // Four stars whatever the length, so that not even that is shown. The
    // instrument takes its mnemonics in either case, so "pcd1234" is one too.
    static const QRegularExpression passcode(QStringLiteral("PCD[0-9]+"),
                                             QRegularExpression::CaseInsensitiveOption);
    QString masked = command;
    return masked.replace(passcode, QStringLiteral("PCD****"));
}

void Tell(const TOutcome &outcome)
{
    const QString text = outcome.Text();
    if (text.isEmpty())
        return;
    TPrompts::Kind kind = TPrompts::Kind::Plain;
    switch (outcome.Severity()) {
    case TOutcome::TSeverity::Plain: kind = TPrompts::Kind::Plain; break;
    case TOutcome::TSeverity::Information: kind = TPrompts::Kind::Information; break;
    case TOutcome::TSeverity::Warning: kind = TPrompts::Kind::Warning; break;
    case TOutcome::TSeverity::Error: kind = TPrompts::Kind::Error; break;
    }
    Prompts().Message(text, kind);
}
