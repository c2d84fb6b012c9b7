// Fuzz target of the weight-line intake: bytes arrive in pieces with pauses
// between some of them, as a serial port delivers them, and the session
// gives up a partial line or record that has waited longer than a line takes
// at the port's speed. Whatever the bytes, a line is never joined to what
// came before such a pause: the replies and records are those of each burst
// received on its own. And a reply in the weight line's form reads as the
// number it shows, never one put together from digits with blanks between.
//
// Input: the first byte picks the baud rate; in the rest, 0xFE and the byte
// after it are a pause of 4 ms times that byte.
#include "fuzz/check.h"
#include "fuzz/targets.h"
#include "link/comms.h"
#include "link/receiver.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <limits>

namespace {

constexpr char PauseMark = char(0xFE);
constexpr int PauseUnitMs = 4;
constexpr std::array<int, 8> Bauds{1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

struct TPiece {
    int PauseMs = 0;   // before the piece
    QString Text;
};

struct TIntake {
    QStringList Replies;
    QStringList Records;
};

QList<TPiece> Pieces(const QByteArray &bytes)
{
    QList<TPiece> pieces{TPiece()};
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != PauseMark) {
            pieces.last().Text += QChar(uchar(bytes[i]));
        } else if (i + 1 < bytes.size()) {
            pieces << TPiece{uchar(bytes[i + 1]) * PauseUnitMs, QString()};
            ++i;
        }
    }
    return pieces;
}

// As the session receives: a piece that comes after a pause longer than
// the line's limit first drops a partial line or record.
TIntake Receive(const QList<TPiece> &pieces, int limitMs)
{
    TIntake got;
    TReplyReceiver receiver;
    receiver.OnReply = [&got](const QString &reply) { got.Replies << reply; };
    receiver.OnRecord = [&got](const QString &record) { got.Records << record; };
    for (const TPiece &piece : pieces) {
        if (receiver.MidLine() && piece.PauseMs > limitMs)
            receiver.DropPartial();
        receiver.Feed(piece.Text);
    }
    return got;
}

// The same bytes, each burst (the pieces between long pauses) received by a
// receiver of its own.
TIntake ReceiveBursts(const QList<TPiece> &pieces, int limitMs)
{
    TIntake all;
    QString burst;
    const auto take = [&] {
        const TIntake got = Receive({TPiece{0, burst}}, limitMs);
        all.Replies << got.Replies;
        all.Records << got.Records;
        burst.clear();
    };
    for (const TPiece &piece : pieces) {
        if (piece.PauseMs > limitMs)
            take();
        burst += piece.Text;
    }
    take();
    return all;
}

// A reply that has the weight line's form gives the weight it shows: its
// digits as one number (none put together across blanks), the places after
// its point (characters, as the parser counts them), its address and status.
void CheckWeightLine(const QString &reply)
{
    if (!IsWeightLine(reply))
        return;
    const QStringList fields = reply.split(u',');
    QV_FUZZ_CHECK(fields.size() == 3 && fields[1].size() == 2 && fields[2].size() == 3);
    QString number = fields[0].trimmed();
    const bool negative = number.startsWith(u'-');
    if (negative || number.startsWith(u'+'))
        number = number.mid(1).trimmed();
    QV_FUZZ_CHECK(number.count(u'.') <= 1);
    qint64 magnitude = 0;
    int digits = 0;
    for (const QChar c : number) {
        QV_FUZZ_CHECK(c == u'.' || (c >= u'0' && c <= u'9'));
        if (c != u'.' && magnitude <= (qint64(1) << 31)) {
            magnitude = magnitude * 10 + (c.unicode() - u'0');
            ++digits;
        }
    }
    QV_FUZZ_CHECK(digits > 0);
    const qsizetype point = fields[0].indexOf(u'.');
    const qsizetype afterPoint = point < 0 ? 0 : fields[0].size() - point - 1;

    Tcommsobj parser;
    QV_FUZZ_CHECK(parser.Parse(reply, false, false));
    constexpr qint32 Lowest = std::numeric_limits<qint32>::min(), Highest = std::numeric_limits<qint32>::max();
    qint32 weight = 0, unit = 0, status = 0, places = -1;
    if (magnitude <= (negative ? -qint64(Lowest) : qint64(Highest))) {
        QV_FUZZ_CHECK(parser.GetInt(0, weight, Lowest, Highest, places));
        QV_FUZZ_CHECK(weight == (negative ? -magnitude : magnitude) && places == afterPoint);
    } else {
        QV_FUZZ_CHECK(!parser.GetInt(0, weight, Lowest, Highest, places));
    }
    QV_FUZZ_CHECK(parser.GetInt(1, unit, 0, 99, places) && unit == fields[1].toInt());
    QV_FUZZ_CHECK(parser.GetInt(2, status, 0, 999, places) && status == fields[2].toInt());
}

} // namespace

int FuzzWeightLineOne(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const int limitMs = TReplyReceiver::PartialLineLimitMs(Bauds[data[0] % Bauds.size()]);
    const QList<TPiece> pieces = Pieces(QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));
    const TIntake got = Receive(pieces, limitMs);
    const TIntake bursts = ReceiveBursts(pieces, limitMs);
    QV_FUZZ_CHECK(got.Replies == bursts.Replies);
    QV_FUZZ_CHECK(got.Records == bursts.Records);
    for (const QString &reply : got.Replies)
        CheckWeightLine(reply);
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzWeightLineOne(data, size);
}
#endif
