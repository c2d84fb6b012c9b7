// Fuzz target of the reply field parser: whatever bytes arrive on the serial
// line or stand in a file, Parse must stay within its 20 slots, never report
// an impossible field, and give the same answer whatever it parsed before.
#include "fuzz/check.h"
#include "fuzz/targets.h"
#include "link/comms.h"

#include <QString>

#include <climits>

namespace {

void CheckFields(const Tcommsobj &parser, const QString &text, bool ok)
{
    const int count = parser.FieldCount();
    QV_FUZZ_CHECK(count >= 0 && count <= Tcommsobj::MaxFields);
    QV_FUZZ_CHECK(!ok || count >= 1);
    for (int i = 0; i < count; ++i) {
        QString field;
        QV_FUZZ_CHECK(parser.GetText(i, field, 0, INT_MAX));
        QV_FUZZ_CHECK(field.size() <= text.size());
        QV_FUZZ_CHECK(!field.contains(u'"'));
        qint32 value = 0;
        qint32 places = -1;
        if (parser.GetInt(i, value, INT_MIN, INT_MAX, places)) {
            QV_FUZZ_CHECK(places >= 0 && places <= text.size());
            // The bounds are inclusive and exact.
            qint32 again = 0;
            QV_FUZZ_CHECK(parser.GetInt(i, again, value, value, places) && again == value);
            if (value < INT_MAX)
                QV_FUZZ_CHECK(!parser.GetInt(i, again, value + 1, INT_MAX, places));
        }
    }
    for (int i = count; i < Tcommsobj::MaxFields + 3; ++i) {
        QString field;
        qint32 value = 0;
        qint32 places = 0;
        QV_FUZZ_CHECK(!parser.GetText(i, field, 0, INT_MAX));
        QV_FUZZ_CHECK(!parser.GetInt(i, value, INT_MIN, INT_MAX, places));
    }
}

bool SameResults(const Tcommsobj &a, const Tcommsobj &b)
{
    if (a.FieldCount() != b.FieldCount())
        return false;
    for (int i = 0; i < a.FieldCount(); ++i) {
        QString ta, tb;
        qint32 va = 0, vb = 0, pa = 0, pb = 0;
        a.GetText(i, ta, 0, INT_MAX);
        b.GetText(i, tb, 0, INT_MAX);
        const bool na = a.GetInt(i, va, INT_MIN, INT_MAX, pa);
        const bool nb = b.GetInt(i, vb, INT_MIN, INT_MAX, pb);
        if (ta != tb || na != nb || va != vb || pa != pb)
            return false;
    }
    return true;
}

} // namespace

int FuzzParseOne(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool hex = data[0] & 1;
    const bool skipPrefix = data[0] & 2;
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data + 1),
                                             qsizetype(size - 1));
    Tcommsobj fresh;
    const bool ok = fresh.Parse(text, hex, skipPrefix);
    CheckFields(fresh, text, ok);

    // A parser that has seen a busy reply before must answer the same.
    Tcommsobj reused;
    reused.Parse(QStringLiteral("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,\"x,y\""),
                 true, false);
    QV_FUZZ_CHECK(reused.Parse(text, hex, skipPrefix) == ok);
    QV_FUZZ_CHECK(SameResults(fresh, reused));
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzParseOne(data, size);
}
#endif
