#include "settings/transferengine.h"

#include <algorithm>

void TTransferEngine::LoadTransfer(const QStringList &commands, const QStringList &expected)
{
    TransferCommands.clear();
    TransferReplies.clear();
    ProgressMax = 0;
    ProgressPosition = 0;
    TransferIndex = 0;
    LineRefused = false;
    RefusedLine.clear();
    const qsizetype count = std::min(commands.size(), expected.size());
    for (qsizetype i = 0; i < count; ++i) {
        TransferCommands << commands[i];
        TransferReplies << expected[i];
        ++ProgressMax;
    }
    Outcome = TResult::Idle;
    if (ProgressChanged)
        ProgressChanged();
}

void TTransferEngine::Activate()
{
    TransferAwaiting = false;
    TransferCountdown = StartTicks;
    TransferAttempts = 0;
    Outcome = TResult::Running;
}

void TTransferEngine::Tick()
{
    if (!Running())
        return;
    // A closed line cannot answer; waiting out four sends would only hide
    // that the connection is gone.
    if (IsLinkOpen && !IsLinkOpen()) {
        Finish(TResult::LinkLost);
        return;
    }
    if (TransferCountdown > 0) {
        --TransferCountdown;
        return;
    }
    if (TransferIndex >= TransferCommands.size()) {
        Finish(TResult::Done);
        return;
    }
    // The fourth send is given its full wait (or its refusal) before the
    // transfer gives up, so every send has had the chance of an answer.
    if (TransferAttempts >= MaxSends) {
        RefusedLine = LineRefused ? TransferCommands[TransferIndex] : QString();
        Finish(TResult::Failed);
        return;
    }
    SendCurrentLine();
}

void TTransferEngine::SendCurrentLine()
{
    if (Send)
        Send(TransferCommands[TransferIndex]);
    if (!TransferReplies[TransferIndex].isEmpty()) {
        TransferCountdown = LineWait;
        ++TransferAttempts;
        TransferAwaiting = true;
    } else {
        TransferCountdown = NoReplyPauseTicks;
        TransferAttempts = 0;
        TransferAwaiting = false;
        ++TransferIndex;
    }
}

bool TTransferEngine::RefusalMeansEmpty(const QString &command)
{
    // An instrument without these optional settings refuses their queries;
    // the empty answer is what they hold then. Only the queries: a written
    // line that is refused was not taken, whatever its text holds.
    return command.startsWith(QLatin1String("LIS?")) || command.startsWith(QLatin1String("LIL?"));
}

void TTransferEngine::TakeReply(const QString &reply)
{
    if (!Running())
        return;
    QString taken = reply;
    if (reply == QLatin1String("?")) {
        const bool current = TransferIndex < TransferReplies.size();
        if (!current || !TransferAwaiting || !RefusalMeansEmpty(TransferCommands[TransferIndex])) {
            TransferCountdown = 0; // sent again on the next tick, as a further attempt
            LineRefused = LineRefused || (current && TransferAwaiting);
            return;
        }
        taken.clear();
    } else if (!RequiredReply.isEmpty() && reply != RequiredReply) {
        // Not an acceptance: a late answer to an earlier send or noise must
        // not count as this line's success.
        return;
    } else if (RequiredReply.isEmpty() && IsAnswer && TransferAwaiting && TransferIndex < TransferReplies.size()
               && !IsAnswer(TransferReplies[TransferIndex] + reply)) {
        // Noise taken for this answer would shift every later answer by one.
        // Sending again at once would not help: the answer to the first send
        // may still be on its way and would be taken for the next line.
        return;
    }
    if (TransferAwaiting && TransferIndex < TransferReplies.size()) {
        TransferAwaiting = false;
        TransferAttempts = 0;
        LineRefused = false;
        TransferReplies[TransferIndex] += taken;
        ++TransferIndex;
    }
    Advance();
    TransferCountdown = 0;
}

void TTransferEngine::Advance()
{
    // A stray reply also moves the bar, but never past its end.
    ProgressPosition = std::min(ProgressPosition + 1, ProgressMax);
    if (ProgressChanged)
        ProgressChanged();
}

void TTransferEngine::Cancel()
{
    if (!Running())
        return;
    TransferCountdown = 0;
    Finish(TResult::Cancelled);
}

void TTransferEngine::Finish(TResult outcome)
{
    if (outcome != TResult::Done) {
        TransferCommands.clear();
        TransferReplies.clear();
    } else if (ProgressPosition != ProgressMax) {
        // Lines that expect no answer never moved the bar.
        ProgressPosition = ProgressMax;
        if (ProgressChanged)
            ProgressChanged();
    }
    TransferAwaiting = false;
    Outcome = outcome;
    if (Finished)
        Finished(outcome);
}
