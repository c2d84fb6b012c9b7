// Fuzz target of the receive state machine: whatever bytes the line carries,
// in whatever pieces they arrive, the receiver hands out the same replies and
// records, never a reply holding a line end or grown past its cap, never a
// record of other than nine bytes, and keeps its buffers bounded.
#include "fuzz/check.h"
#include "fuzz/targets.h"
#include "link/receiver.h"

#include <QString>
#include <QStringList>

namespace {

struct TReceived {
    QStringList Replies;
    QStringList Records;
};

void CheckBounded(const TReplyReceiver &r)
{
    QV_FUZZ_CHECK(r.ReplyBuffer.size() <= TReplyReceiver::MaxReplyLength);
    QV_FUZZ_CHECK(r.RawBuffer.size() <= TReplyReceiver::TrafficPiece + 1);
    QV_FUZZ_CHECK(r.BinaryCount >= 0 && r.BinaryCount <= TReplyReceiver::MaxRecordCount + 1);
}

// Feeds text in pieces of step characters (all of it at once for step 0).
TReceived Receive(const QString &text, qsizetype step)
{
    TReceived got;
    TReplyReceiver r;
    r.OnReply = [&got](const QString &reply) {
        QV_FUZZ_CHECK(!reply.isEmpty() && reply.size() <= TReplyReceiver::MaxReplyLength);
        for (QChar c : {QChar(0x0A), QChar(0x0D), TReplyReceiver::STX, TReplyReceiver::ETX,
                        TReplyReceiver::DLE})
            QV_FUZZ_CHECK(!reply.contains(c));
        got.Replies << reply;
    };
    r.OnRecord = [&got](const QString &record) {
        TWeightRecord decoded;
        QV_FUZZ_CHECK(DecodeWeightRecord(record, decoded));
        got.Records << record;
    };
    r.OnTrafficPiece = [](const QString &piece) {
        QV_FUZZ_CHECK(piece.size() == TReplyReceiver::TrafficPiece + 1);
    };
    if (step == 0)
        step = text.size() + 1;
    for (qsizetype at = 0; at < text.size(); at += step) {
        r.Feed(text.mid(at, step));
        CheckBounded(r);
    }
    return got;
}

} // namespace

int FuzzReceiveOne(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype step = data[0] % 17;
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data + 1),
                                             qsizetype(size - 1));
    const TReceived whole = Receive(text, 0);
    const TReceived pieces = Receive(text, step);
    QV_FUZZ_CHECK(whole.Replies == pieces.Replies);
    QV_FUZZ_CHECK(whole.Records == pieces.Records);
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzReceiveOne(data, size);
}
#endif
