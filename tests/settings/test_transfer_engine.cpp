// The line engine on its own: what goes out on which tick, when it gives up,
// and what a refusal, a stray reply, a cancel or a closed line do.

#include "settings/transferengine.h"
#include "support/testmain.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_transfer_engine {

namespace {

struct TEngineRig {
    TTransferEngine Engine;
    QStringList Sent;
    bool Open = true;
    int FinishedCalls = 0;

    TEngineRig(const QStringList &commands, const QStringList &expected)
    {
        Engine.Send = [this](const QString &line) { Sent << line; };
        Engine.IsLinkOpen = [this] { return Open; };
        Engine.Finished = [this](TTransferEngine::TResult) { ++FinishedCalls; };
        Engine.LoadTransfer(commands, expected);
        Engine.Activate();
    }
    // Ticks until something was sent or the transfer ended; returns the ticks.
    int TicksToNextSend()
    {
        const qsizetype before = Sent.size();
        int ticks = 0;
        while (Engine.Running() && Sent.size() == before && ticks < 100000) {
            Engine.Tick();
            ++ticks;
        }
        return ticks;
    }
};

using TOutcome = TTransferEngine::TResult;

} // namespace

class TestTransferEngine : public QObject {
    Q_OBJECT
private slots:
    void answeredLinesCompleteWithExpectedTextAndReply()
    {
        TEngineRig rig({"ENU?", "TDD0", "LBT?1"}, {"ENU", "", "LBT1,"});
        QCOMPARE(rig.TicksToNextSend(), 3); // two start ticks, then the send
        rig.Engine.TakeReply("3");
        QCOMPARE(rig.TicksToNextSend(), 1);
        QCOMPARE(rig.Sent.last(), QStringLiteral("TDD0"));
        // A line that expects nothing is followed by a 100 ms pause only.
        QCOMPARE(rig.TicksToNextSend(), 6);
        rig.Engine.TakeReply("2");
        QCOMPARE(rig.Engine.ProgressPosition, 2);
        QCOMPARE(rig.Engine.ProgressMax, 3);
        rig.Engine.Tick();
        QCOMPARE(rig.Engine.Outcome, TOutcome::Done);
        QCOMPARE(rig.Engine.Replies(), (QStringList{"ENU3", "", "LBT1,2"}));
        QCOMPARE(rig.Engine.ProgressPosition, 3); // a finished transfer shows a full bar
        QCOMPARE(rig.FinishedCalls, 1);
    }

    void aSilentLineIsSentFourTimesAndEachSendGetsItsFullWait()
    {
        TEngineRig rig({"ADR?"}, {"ADR"});
        rig.TicksToNextSend();
        for (int send = 2; send <= 4; ++send)
            QCOMPARE(rig.TicksToNextSend(), TTransferEngine::LineWaitTicks + 1);
        QCOMPARE(rig.Sent.size(), 4);
        // The fourth send still has its 4 s to be answered.
        for (int i = 0; i < TTransferEngine::LineWaitTicks; ++i)
            rig.Engine.Tick();
        QVERIFY(rig.Engine.Running());
        rig.Engine.Tick();
        QCOMPARE(rig.Engine.Outcome, TOutcome::Failed);
        QVERIFY(rig.Engine.TransferCommands.isEmpty());
        QVERIFY(rig.Engine.TransferReplies.isEmpty());
        QCOMPARE(rig.Sent.size(), 4);
    }

    void aLateAnswerToAnEarlierSendStillCompletesTheLine()
    {
        TEngineRig rig({"ADR?"}, {"ADR"});
        rig.TicksToNextSend();
        rig.TicksToNextSend();
        rig.Engine.TakeReply("7");
        rig.Engine.Tick();
        QCOMPARE(rig.Engine.Outcome, TOutcome::Done);
        QCOMPARE(rig.Engine.Replies(), QStringList{"ADR7"});
    }

    void aRefusalRepeatsTheLineAtOnceFourSendsInAll()
    {
        TEngineRig rig({"ENU3"}, {"ENU3"});
        rig.TicksToNextSend();
        for (int send = 2; send <= 4; ++send) {
            rig.Engine.TakeReply("?");
            QCOMPARE(rig.TicksToNextSend(), 1);
        }
        rig.Engine.TakeReply("?");
        rig.Engine.Tick();
        QCOMPARE(rig.Engine.Outcome, TOutcome::Failed);
        QCOMPARE(rig.Sent, QStringList(4, "ENU3"));
    }

    void refusedMaterialQueriesAreTakenAsEmptyAnswers()
    {
        TEngineRig rig({"LIS?", "LIL?1"}, {"LIS", "LIL1,"});
        rig.TicksToNextSend();
        rig.Engine.TakeReply("?");
        rig.TicksToNextSend();
        rig.Engine.TakeReply("?");
        rig.Engine.Tick();
        QCOMPARE(rig.Engine.Outcome, TOutcome::Done);
        QCOMPARE(rig.Engine.Replies(), (QStringList{"LIS", "LIL1,"}));
        QCOMPARE(rig.Sent.size(), 2);
    }

    void strayRepliesMoveTheBarButNeverPastItsEnd()
    {
        TEngineRig rig({"ADR?"}, {"ADR"});
        for (int i = 0; i < 5; ++i)
            rig.Engine.TakeReply("1");
        QCOMPARE(rig.Engine.ProgressPosition, 1);
        QVERIFY(rig.Engine.Running());
        QCOMPARE(rig.Engine.TransferReplies, QStringList{"ADR"}); // nothing was awaited
    }

    void aWrittenLineIsAcceptedOnlyByZero()
    {
        TEngineRig rig({"ENU3", "ADR5"}, {"ENU3", "ADR5"});
        rig.Engine.RequiredReply = QStringLiteral("0");
        rig.TicksToNextSend();
        rig.Engine.TakeReply("3"); // a stray answer, not an acceptance
        QCOMPARE(rig.Engine.TransferIndex, 0);
        QVERIFY(rig.Engine.TransferAwaiting);
        rig.Engine.TakeReply("0");
        QCOMPARE(rig.Engine.TransferIndex, 1);
        rig.Engine.TakeReply("?"); // refusal of a line not yet sent: no effect beyond the next tick
        QCOMPARE(rig.Engine.TransferIndex, 1);
        rig.TicksToNextSend();
        rig.Engine.TakeReply("0");
        rig.Engine.Tick();
        QCOMPARE(rig.Engine.Outcome, TOutcome::Done);
        QCOMPARE(rig.Engine.Replies(), (QStringList{"ENU30", "ADR50"}));
    }

    void cancelAndAClosedLineEndTheTransferOnce()
    {
        TEngineRig cancelled({"ADR?", "ENU?"}, {"ADR", "ENU"});
        cancelled.TicksToNextSend();
        cancelled.Engine.Cancel();
        cancelled.Engine.Cancel();
        QCOMPARE(cancelled.Engine.Outcome, TOutcome::Cancelled);
        QVERIFY(cancelled.Engine.TransferCommands.isEmpty());
        QCOMPARE(cancelled.FinishedCalls, 1);
        cancelled.Engine.Tick();
        cancelled.Engine.TakeReply("1");
        QCOMPARE(cancelled.Sent.size(), 1);

        TEngineRig lost({"ADR?", "ENU?"}, {"ADR", "ENU"});
        lost.TicksToNextSend();
        lost.Open = false;
        lost.Engine.Tick();
        QCOMPARE(lost.Engine.Outcome, TOutcome::LinkLost);
        QCOMPARE(lost.FinishedCalls, 1);
    }

    void anEmptyTransferIsDoneAtOnce()
    {
        TEngineRig rig({}, {});
        QCOMPARE(rig.TicksToNextSend(), 3);
        QCOMPARE(rig.Engine.Outcome, TOutcome::Done);
        QVERIFY(rig.Sent.isEmpty());
    }
};

QV_TEST_GUILESS_MAIN(TestTransferEngine)
} // namespace test_transfer_engine
#include "test_transfer_engine.moc"
