#include "link/receiver.h"
#include "support/testmain.h"

#include <QRandomGenerator>

// A namespace of its own: the folder's test files are compiled together.
namespace test_receiver {

namespace {

const QString STX(QChar(0x02)), ETX(QChar(0x03)), DLE(QChar(0x10));

QString Latin1(const QByteArray &bytes) { return QString::fromLatin1(bytes); }

// Everything a receiver hands out, in order, tagged by kind.
struct TCapture {
    QStringList Events;
    explicit TCapture(TReplyReceiver &r)
    {
        r.OnReply = [this](const QString &s) { Events << "reply:" + s; };
        r.OnRecord = [this](const QString &s) { Events << "record:" + s; };
        r.OnTrafficPiece = [this](const QString &s) { Events << "piece:" + s; };
    }
    QStringList Of(const QString &kind) const
    {
        QStringList out;
        for (const QString &e : Events)
            if (e.startsWith(kind + ':'))
                out << e.mid(kind.size() + 1);
        return out;
    }
};

// A record with the payload's DLE bytes doubled, as the instrument sends it.
QString Record(const QByteArray &payload)
{
    QByteArray wire("\x10\x02");
    for (char c : payload) {
        wire += c;
        if (c == 0x10)
            wire += c;
    }
    wire += "\x10\x03";
    return Latin1(wire);
}

} // namespace

class TestReceiver : public QObject {
    Q_OBJECT
private slots:
    void textRepliesEndAtLineEndsAndStxDiscards()
    {
        TReplyReceiver r;
        TCapture c(r);
        r.Feed("12.5\r\n");           // the LF after CR finds nothing to dispatch
        r.Feed("  -3,1,");
        r.Feed("2\n\n\r");             // split across feeds; empty lines ignored
        r.Feed("junk" + STX + "0" + ETX);
        r.Feed("?\r");
        QCOMPARE(c.Of("reply"), (QStringList{"12.5", "  -3,1,2", "0", "?"}));
        QVERIFY(c.Of("piece").isEmpty());
        QVERIFY(r.ReplyBuffer.isEmpty());
    }

    void recordWithDoubledDleIsDecoded()
    {
        TReplyReceiver r;
        TCapture c(r);
        // status byte 0x10, status word 0x00000102, weight -2 (0xFFFFFFFE)
        const QByteArray payload("\x10\x00\x00\x01\x02\xFF\xFF\xFF\xFE", 9);
        r.Feed("5.0\r" + Record(payload) + "6.0\r");
        QCOMPARE(c.Events, (QStringList{"reply:5.0", "record:" + Latin1(payload), "reply:6.0"}));
        TWeightRecord w;
        QVERIFY(DecodeWeightRecord(Latin1(payload), w));
        QCOMPARE(int(w.StatusByte), 0x10);
        QCOMPARE(w.StatusWord, 0x102);
        QCOMPARE(w.Weight, -2);
        // Most significant byte first, the sign in the top bit.
        QVERIFY(DecodeWeightRecord(Latin1(QByteArray("\x00\x80\x00\x00\x00\x00\x01\x00\x00", 9)), w));
        QCOMPARE(w.StatusWord, qint32(0x80000000));
        QCOMPARE(w.Weight, 65536);
    }

    void recordSplitAtEveryByteStillArrives()
    {
        TReplyReceiver r;
        TCapture c(r);
        const QByteArray payload("\x01\x10\x10\x00\x00\x00\x00\x00\x07", 9);
        for (QChar ch : Record(payload))
            r.Feed(QString(ch));
        QCOMPARE(c.Events, QStringList{"record:" + Latin1(payload)});
    }

    void overlongRecordIsAbandonedAndTheNextOneReceived()
    {
        TReplyReceiver r;
        TCapture c(r);
        const QByteArray good("\x02\x00\x00\x00\x00\x00\x00\x00\x2A", 9);
        // 20 payload bytes: not a record, and it must not stop the next
        // record being seen.
        r.Feed(Record(QByteArray(20, 'A')));
        r.Feed(Record(good));
        r.Feed("1.5\r");
        QCOMPARE(c.Of("record"), QStringList{Latin1(good)});
        // Its rest is skipped up to its DLE ETX: none of it is a reply.
        QCOMPARE(c.Of("reply"), QStringList{"1.5"});
        QCOMPARE(r.BinaryMode, false);
        // A DLE STX of noise never ends: text is read again after the skip.
        r.Feed(DLE + STX + QString(TReplyReceiver::MaxRecordCount + TReplyReceiver::MaxSkippedBytes + 1, 'x') + "\r2\r");
        QCOMPARE(c.Of("reply").last(), QString("2"));
    }

    void shortOrLongPayloadIsDroppedNotDecoded()
    {
        TReplyReceiver r;
        TCapture c(r);
        r.Feed(Record(QByteArray(8, 'B')));
        r.Feed(Record(QByteArray(10, 'C')));
        r.Feed(Record(QByteArray()));
        QVERIFY(c.Of("record").isEmpty());
        TWeightRecord w;
        QVERIFY(!DecodeWeightRecord(QString(8, QChar('B')), w));
        // and the receiver still works afterwards
        r.Feed(Record(QByteArray(9, 'D')) + "7\r");
        QCOMPARE(c.Events, (QStringList{"record:DDDDDDDDD", "reply:7"}));
    }

    void strayDleDoesNotSwallowText()
    {
        TReplyReceiver r;
        TCapture c(r);
        r.Feed("1" + DLE + "2.5\r" + DLE + ETX + "3\r");
        QCOMPARE(c.Of("reply"), (QStringList{"12.5", "3"}));
        QVERIFY(c.Of("record").isEmpty());
    }

    // A DLE in text may start a record: the session gives it up after a
    // pause like any partial line, so a later STX is not read as its record.
    void aDleBeforeAPauseIsNotJoinedToWhatFollows()
    {
        const QString after = STX + "000000009" + DLE + ETX + "1.5\r";
        TReplyReceiver r, fresh;
        TCapture c(r), f(fresh);
        r.Feed(DLE);
        QVERIFY(r.MidLine());
        r.DropPartial();
        r.Feed(after);
        fresh.Feed(after);
        QCOMPARE(c.Events, f.Events);
    }

    void longTextWithoutLineEndShowsInPiecesOf101()
    {
        TReplyReceiver r;
        TCapture c(r);
        QString line;
        for (int i = 0; i < 250; ++i)
            line += QChar('0' + i % 10);
        r.Feed(line.left(30));
        r.Feed(line.mid(30, 150));
        r.Feed(line.mid(180));
        QCOMPARE(c.Of("piece"), (QStringList{line.left(101), line.mid(101, 101)}));
        QVERIFY(c.Of("reply").isEmpty());
        r.Feed("\r");
        QCOMPARE(c.Of("reply"), QStringList{line});
        QCOMPARE(c.Of("piece").size(), 2);
    }

    void aLineThatNeverEndsIsDroppedNotGatheredWithoutBound()
    {
        TReplyReceiver r;
        TCapture c(r);
        const QString noise(3 * TReplyReceiver::MaxReplyLength, QChar('x'));
        for (int i = 0; i < 3; ++i)
            r.Feed(noise);
        QVERIFY(r.ReplyBuffer.size() <= TReplyReceiver::MaxReplyLength);
        r.Feed("tail\r\n");
        QVERIFY(c.Of("reply").isEmpty()); // the runaway line is not a reply
        QVERIFY(!c.Of("piece").isEmpty()); // but the user saw it go by
        r.Feed("12.5\r\n"); // the next line is received as usual
        QCOMPARE(c.Of("reply"), QStringList{"12.5"});
        const QString longest(TReplyReceiver::MaxReplyLength, QChar('7'));
        r.Feed(longest + "\r");
        QCOMPARE(c.Of("reply").last(), longest);
    }

    // Replies and records must not depend on how the bytes were cut into
    // pieces: the bulk path for plain text and the byte path must agree.
    void arbitraryChunkingGivesTheSameResult()
    {
        QRandomGenerator rng(4620);
        const char alphabet[] = {'1', '2', '.', ',', '-', 'A', '\r', '\n', 0x02, 0x03, 0x10};
        for (int round = 0; round < 200; ++round) {
            QByteArray bytes;
            const int length = int(rng.bounded(400));
            for (int i = 0; i < length; ++i)
                bytes += rng.bounded(4) == 0 ? char(rng.bounded(256)) : alphabet[rng.bounded(int(sizeof alphabet))];
            TReplyReceiver whole, pieces;
            TCapture a(whole), b(pieces);
            whole.Feed(Latin1(bytes));
            for (int i = 0; i < bytes.size();) {
                const int n = 1 + int(rng.bounded(7));
                pieces.Feed(Latin1(bytes.mid(i, n)));
                i += n;
            }
            QCOMPARE(b.Events, a.Events);
            for (const QString &rec : a.Of("record"))
                QCOMPARE(rec.size(), 9);
        }
    }
};

QV_TEST_GUILESS_MAIN(TestReceiver)
} // namespace test_receiver
#include "test_receiver.moc"
