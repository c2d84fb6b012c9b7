#include "link/receiver.h"

#include <algorithm>

namespace {

constexpr QChar CR = QChar(0x0D);
constexpr QChar LF = QChar(0x0A);

// Characters that change the text state; everything else is plain reply text.
bool IsTextControl(QChar c)
{
    const char16_t u = c.unicode();
    return u == 0x02 || u == 0x03 || u == 0x0A || u == 0x0D || u == 0x10;
}

} // namespace

void TReplyReceiver::Feed(const QString &text)
{
    const QChar *p = text.constData();
    const QChar *const end = p + text.size();
    const quint64 resets = Resets;
    while (p < end && resets == Resets) {
        if (!BinaryMode && !DlePending && !SkippingRecord) {
            // Runs of plain text are the common case (weight lines): take
            // them in one piece instead of byte by byte.
            const QChar *run = p;
            while (run < end && !IsTextControl(*run))
                ++run;
            if (run > p) {
                AppendText(p, run - p);
                p = run;
                continue;
            }
        }
        Byte(*p++);
    }
}

void TReplyReceiver::Byte(QChar b)
{
    if (BinaryMode && BinaryCount > MaxRecordCount)
        AbandonRecord();
    if (SkippingRecord) {
        SkipByte(b);
        return;
    }
    if (!BinaryMode) {
        if (DlePending) {
            // A DLE in text mode opens a record only when STX follows it;
            // otherwise it is dropped and this byte is ordinary text.
            DlePending = false;
            if (b == STX) {
                StartRecord();
                return;
            }
        }
        TextByte(b);
        return;
    }
    if (DlePending) {
        RecordControl(b);
        return;
    }
    if (b == DLE) {
        DlePending = true;
        return;
    }
    AppendRecordByte(b);
}

void TReplyReceiver::TextByte(QChar b)
{
    if (b == DLE) {
        DlePending = true;
    } else if (b == STX) {
        ClearBuffers();
    } else if (b == ETX || b == LF || b == CR) {
        if (!DroppingLine && !ReplyBuffer.isEmpty() && OnReply)
            OnReply(ReplyBuffer);
        ClearBuffers();
    } else {
        AppendText(&b, 1);
    }
}

void TReplyReceiver::AppendText(const QChar *chars, qsizetype count)
{
    if (!DroppingLine && ReplyBuffer.size() + count > MaxReplyLength) {
        DroppingLine = true;
        ReplyBuffer.resize(0);
        ReplyBuffer.squeeze();
    }
    if (!DroppingLine)
        ReplyBuffer.append(chars, count);
    // The traffic view shows long text without a line end in pieces of
    // TrafficPiece + 1 characters while it is still open.
    while (count > 0) {
        const qsizetype room = TrafficPiece + 1 - RawBuffer.size();
        const qsizetype take = count < room ? count : room;
        RawBuffer.append(chars, take);
        chars += take;
        count -= take;
        if (RawBuffer.size() > TrafficPiece) {
            if (OnTrafficPiece)
                OnTrafficPiece(RawBuffer);
            RawBuffer.resize(0);
        }
    }
}

void TReplyReceiver::RecordControl(QChar b)
{
    DlePending = false;
    if (b == STX) {
        StartRecord();
    } else if (b == ETX) {
        EndRecord();
    } else if (b == DLE) {
        AppendRecordByte(DLE);
    }
    // Anything else after a DLE is not part of the protocol: dropped.
}

void TReplyReceiver::StartRecord()
{
    ClearBuffers();
    BinaryMode = true;
    BinaryCount = 0;
}

void TReplyReceiver::AppendRecordByte(QChar b)
{
    ReplyBuffer.append(b);
    RawBuffer.append(b);
    ++BinaryCount;
}

void TReplyReceiver::EndRecord()
{
    BinaryMode = false;
    // Only a whole payload is a record; a short one would be decoded from
    // bytes that are not there.
    if (RawBuffer.size() == RecordPayload && OnRecord)
        OnRecord(RawBuffer);
    ClearBuffers();
    BinaryCount = 0;
}

void TReplyReceiver::AbandonRecord()
{
    // Too long for a record: give it up and start counting afresh, so the
    // next DLE STX is recognised again. Its bytes never reach the text path:
    // the rest of it is skipped up to its DLE ETX. A DLE just received stays
    // pending: it may be the one before that ETX.
    BinaryMode = false;
    BinaryCount = 0;
    ClearBuffers();
    SkippingRecord = true;
    SkippedBytes = 0;
}

void TReplyReceiver::SkipByte(QChar b)
{
    if (DlePending) {
        DlePending = false;
        if (b == ETX || b == STX) {
            SkippingRecord = false;
            if (b == STX)
                StartRecord();
            return;
        }
        // DLE DLE is a payload DLE of the record being skipped.
    } else if (b == DLE) {
        DlePending = true;
        return;
    }
    if (++SkippedBytes > MaxSkippedBytes) {
        SkippingRecord = false;
        TextByte(b);
    }
}

void TReplyReceiver::Reset()
{
    ++Resets;
    ClearBuffers();
    BinaryMode = false;
    DlePending = false;
    BinaryCount = 0;
    SkippingRecord = false;
    SkippedBytes = 0;
}

int TReplyReceiver::PartialLineLimitMs(int baud)
{
    if (baud <= 0)
        return PartialLineFloorMs;
    const qint64 lineMs = (qint64(LineBytes) * 10 * 1000 + baud - 1) / baud;
    return int(std::max<qint64>(PartialLineFloorMs, lineMs));
}

void TReplyReceiver::DropPartial()
{
    if (!MidLine())
        return;
    const bool text = !BinaryMode && !SkippingRecord && !DroppingLine && !ReplyBuffer.isEmpty();
    const QString rest = RawBuffer;
    ClearBuffers();
    BinaryMode = false;
    DlePending = false;
    BinaryCount = 0;
    SkippingRecord = false;
    SkippedBytes = 0;
    if (text && OnNoise)
        OnNoise(rest);
}

void TReplyReceiver::ClearBuffers()
{
    // resize(0) keeps the allocation for the next reply.
    ReplyBuffer.resize(0);
    RawBuffer.resize(0);
    DroppingLine = false;
}

bool DecodeWeightRecord(const QString &record, TWeightRecord &out)
{
    if (record.size() != TReplyReceiver::RecordPayload)
        return false;
    auto byteAt = [&record](int i) { return quint32(record.at(i).unicode() & 0xFF); };
    auto wordAt = [&byteAt](int i) {
        return qint32(byteAt(i) << 24 | byteAt(i + 1) << 16 | byteAt(i + 2) << 8 | byteAt(i + 3));
    };
    out.StatusByte = quint8(byteAt(0));
    out.StatusWord = wordAt(1);
    out.Weight = wordAt(5);
    return true;
}
