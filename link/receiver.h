#pragma once
// Assembles the bytes that arrive from the instrument into text replies and
// DLE-framed binary weight records. Bytes come as Latin-1 text in pieces of
// any size; nothing assumes one piece holds one line.
//
// Text replies end at CR, LF or ETX; STX throws away what was gathered; empty
// lines are dropped. A record is DLE STX, payload with every DLE doubled,
// DLE ETX. Long text without a line end is also handed out for the traffic
// view in pieces of 101 characters, so the user sees it while it is open.

#include <QString>
#include <functional>

class TReplyReceiver {
public:
    static constexpr QChar STX = QChar(0x02);
    static constexpr QChar ETX = QChar(0x03);
    static constexpr QChar DLE = QChar(0x10);
    static constexpr int RecordPayload = 9;
    // A record longer than this is not one: the receiver gives it up.
    static constexpr int MaxRecordCount = 10;
    static constexpr int TrafficPiece = 100; // shown once longer than this
    // No reply is anywhere near this long. A line that grows past it (noise at
    // the wrong baud rate, a stuck sender) is dropped whole instead of being
    // gathered without bound; the traffic view still shows its pieces.
    static constexpr int MaxReplyLength = 4096;
    // After an overlong record is given up, the rest of it is skipped up to
    // its DLE ETX, so its bytes cannot reach the text path as a reply. A DLE
    // STX that was only noise has no DLE ETX: after this many bytes the
    // skip ends and text is read again.
    static constexpr int MaxSkippedBytes = 256;
    // The instrument sends a line in one burst. A partial line that has had
    // no byte for longer than a line takes at the line's speed (LineBytes of
    // ten bits; at least PartialLineFloorMs, for adapters that deliver in
    // packets) will never be completed: it is noise, and must not become
    // the start of whatever comes next.
    static constexpr int LineBytes = 32;
    static constexpr int PartialLineFloorMs = 100;
    static int PartialLineLimitMs(int baud);

    std::function<void(const QString &reply)> OnReply;
    std::function<void(const QString &record)> OnRecord; // exactly 9 payload bytes
    std::function<void(const QString &piece)> OnTrafficPiece;
    // A partial line given up by DropPartial: the part of it not yet handed
    // out as a traffic piece.
    std::function<void(const QString &text)> OnNoise;

    void Feed(const QString &text);
    // Forgets a partial line or record: the bytes that follow come from a new
    // connection and must not be joined to those of the old one. Called from
    // a handler during Feed, it also drops the rest of the piece being fed.
    void Reset();
    // Gives up a partial line or record (see PartialLineLimitMs): the next
    // byte starts afresh in text mode. A partial text line goes to OnNoise.
    void DropPartial();
    // Part of a line or record has come and its end has not. A DLE in text
    // mode counts: it may be the start of a record.
    bool MidLine() const
    {
        return BinaryMode || DlePending || SkippingRecord || DroppingLine || !ReplyBuffer.isEmpty();
    }

    // State, readable for tests.
    QString ReplyBuffer;
    QString RawBuffer;
    bool BinaryMode = false;
    bool DlePending = false;
    int BinaryCount = 0;
    bool DroppingLine = false; // the current line grew past MaxReplyLength
    bool SkippingRecord = false; // the rest of an abandoned record is passing
    int SkippedBytes = 0;

private:
    quint64 Resets = 0;

    void Byte(QChar b);
    void TextByte(QChar b);
    void AppendText(const QChar *chars, qsizetype count);
    void RecordControl(QChar b);
    void StartRecord();
    void AppendRecordByte(QChar b);
    void EndRecord();
    void AbandonRecord();
    void SkipByte(QChar b);
    void ClearBuffers();
};

// The decoded payload of a binary weight record.
struct TWeightRecord {
    quint8 StatusByte = 0;
    qint32 StatusWord = 0;
    qint32 Weight = 0;
};

// Decodes 9 payload bytes (status byte, status word and weight, most
// significant byte first). False when the record does not hold 9 bytes.
bool DecodeWeightRecord(const QString &record, TWeightRecord &out);
