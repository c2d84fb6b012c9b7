// Fuzz target of the ini file reader (connection settings and calibration
// backups are both hand-editable): any bytes parse, what is saved reads back
// the same, and a value written reads back as the format promises.
#include "fuzz/check.h"
#include "fuzz/targets.h"
#include "link/inifile.h"

#include <QByteArray>
#include <QString>

namespace {

void CheckSameValues(const TIniFile &a, const TIniFile &b)
{
    QV_FUZZ_CHECK(a.Sections() == b.Sections());
    for (const QString &section : a.Sections()) {
        QV_FUZZ_CHECK(a.Keys(section) == b.Keys(section));
        for (const QString &key : a.Keys(section)) {
            QV_FUZZ_CHECK(a.ReadString(section, key, QString()) == b.ReadString(section, key, QString()));
            QV_FUZZ_CHECK(a.ReadInteger(section, key, -7) == b.ReadInteger(section, key, -7));
        }
    }
}

// What a value turns into when written (it must fit one line of a file).
QString AsSaved(QString value)
{
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    return value.trimmed();
}

} // namespace

int FuzzIniOne(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    TIniFile first;
    first.Parse(bytes);

    TIniFile again;
    again.Parse(first.ToBytes());
    CheckSameValues(first, again);
    QV_FUZZ_CHECK(again.ToBytes() == first.ToBytes());

    // A value from the input, written beside whatever the file holds.
    const QString value = QString::fromLatin1(bytes.left(64));
    first.WriteString(QStringLiteral("Probe"), QStringLiteral("Value"), value);
    QV_FUZZ_CHECK(first.ReadString(QStringLiteral("Probe"), QStringLiteral("Value"), QString()) == AsSaved(value));
    TIniFile saved;
    saved.Parse(first.ToBytes());
    QV_FUZZ_CHECK(saved.ReadString(QStringLiteral("Probe"), QStringLiteral("Value"), QString()) == AsSaved(value));
    return 0;
}

#ifdef QV_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzIniOne(data, size);
}
#endif
