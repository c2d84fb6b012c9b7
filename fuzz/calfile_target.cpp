// Fuzz target of the calibration file reader: whatever a file holds, reading
// it must not crash, the checksum must be the plain byte sum, data the
// restore would send must stay one command on the line, and writing the
// keys back into the file must read back as the same record, the second
// time without changing a byte.
#include "calibration/calfile.h"
#include "fuzz/check.h"
#include "fuzz/targets.h"
#include "link/inifile.h"

namespace {

QByteArray WrittenBack(const QByteArray &bytes, const TCalFileRecord &record)
{
    TIniFile ini;
    ini.Parse(bytes);
    StoreCalRecord(ini, record);
    return ini.ToBytes();
}

void CheckSendable(const QString &data)
{
    if (!IsSendableCalData(data))
        return;
    const QString command = QStringLiteral("MDD") + data + QLatin1Char(';');
    QV_FUZZ_CHECK(command.count(QLatin1Char(';')) == 1 && !command.contains(QLatin1Char('"')));
    for (const QChar c : command)
        QV_FUZZ_CHECK(c.unicode() >= 0x20 && c.unicode() <= 0xFF && c.unicode() != 0x7F);
}

} // namespace

int FuzzCalFileOne(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TCalFileRead read = ReadCalFileBytes(bytes);
    QV_FUZZ_CHECK(read.Ok == !bytes.contains('\0'));
    if (!read.Ok)
        return 0;
    const TCalFileRecord &record = read.Record;
    for (const QString *value : {&record.VerProg, &record.Ver4620, &record.SerialNo, &record.MDD1})
        QV_FUZZ_CHECK(!value->contains(QLatin1Char('\n')) && !value->contains(QLatin1Char('\r')));
    CheckSendable(record.MDD1);

    quint32 sum = 165;
    for (const QChar c : record.MDD1)
        sum += c.unicode();
    QV_FUZZ_CHECK(CalDataChecksum(record.MDD1) == qint32(sum));

    const QByteArray once = WrittenBack(bytes, record);
    const TCalFileRead again = ReadCalFileBytes(once);
    QV_FUZZ_CHECK(again.Ok && again.Record == record);
    QV_FUZZ_CHECK(WrittenBack(once, record) == once);
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzCalFileOne(data, size);
}
#endif
