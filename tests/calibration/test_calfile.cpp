// Calibration files and typed signals: rounding, limits, names, exact bytes,
// what a write keeps, what a read refuses, and the fuzz target's invariants.
#include "calibration/calfile.h"
#include "calibration/calsignal.h"
#include "fuzz/targets.h"
#include "support/file_size_limit.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QByteArray Slurp(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}
bool Put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
const qint64 NaN = -1; // "not a number" in the table
} // namespace

class TestCalFile : public QObject {
    Q_OBJECT
private slots:
    void typedSignals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("units");   // 0.0001 mV/V; NaN: refused as no number
        for (const auto &[text, units] : std::initializer_list<std::pair<const char *, qint64>>{
                 {"0.1234", 1234}, {" 2 ", 20000}, {"-3.2", -32000}, {".5", 5000}, {"+1.", 10000},
                 {"0.00005", 0}, {"0.00015", 2}, {"-0.00025", -2}, {"0.000250001", 3}, {"1.23449", 12345},
                 {"1,5", NaN}, {"1e3", NaN}, {"0x10", NaN}, {"", NaN}, {".", NaN}, {"1.2.3", NaN}, {"--1", NaN},
                 {"\u0661", NaN}, {"99999999999999999999", 10'000'000'000'000}})
            QTest::newRow(text) << QString::fromUtf8(text) << units;
    }
    void typedSignals()
    {
        QFETCH(QString, text);
        QFETCH(qint64, units);
        QCOMPARE(ReadSignalText(text).value_or(NaN), units);
    }

    void limitsChecksumAndName()
    {
        QVERIFY(SignalsAllowed(-32000, 32000) && SignalsAllowed(31999, -32000));
        for (const auto &[zero, span] : {std::pair{32000, 0}, {-32001, 0}, {0, 32001}, {0, -32001}, {7, 7}})
            QVERIFY2(!SignalsAllowed(zero, span), qPrintable(QStringLiteral("%1 %2").arg(zero).arg(span)));
        QCOMPARE(StoredSignal(10'000'000'000'000), std::numeric_limits<qint32>::max());
        QCOMPARE(CalDataChecksum("abc"), 459);
        QCOMPARE(CalDataChecksum(""), 165);
        QCOMPARE(CalDataChecksum(QString::fromLatin1("\xff")), 420);
        const QStringList names{"/d/NAME.txt", "/d.x/NAME", "/d/a.b.CAL", "/d/.hidden"};
        QStringList written;
        for (const QString &name : names)
            written << CalFileName(name);
        QCOMPARE(written, (QStringList{"/d/NAME.cal", "/d.x/NAME.cal", "/d/a.b.cal", "/d/.hidden.cal"}));
    }

    void writeKeepsOtherContentAndFailsWithoutHarm()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("b.cal");
        const TCalFileRecord record{"View4620:X", "KD4620:1.04", "46200001", "DATA", 433};
        QString error;
        QVERIFY(WriteCalFile(path, record, &error));
        QCOMPARE(Slurp(path), "[Header]\nVerProg=View4620:X\nVer4620=KD4620:1.04\nSerialNo=46200001\n\n"
                              "[CalData]\nMDD1=DATA\nCheckSum1=433\n");
        QVERIFY(Put(path, "; note\r\n[CalData]\r\nCheckSum1=1\r\nOwn=kept\r\n[Mine]\r\nA=1\r\n"));
        QVERIFY(WriteCalFile(path, record, &error));
        QCOMPARE(Slurp(path), "; note\r\n[CalData]\r\nCheckSum1=433\r\nOwn=kept\r\nMDD1=DATA\r\n[Mine]\r\nA=1\r\n\r\n"
                              "[Header]\r\nVerProg=View4620:X\r\nVer4620=KD4620:1.04\r\nSerialNo=46200001\r\n");
        QCOMPARE(ReadCalFile(path).Record, record);

        const QByteArray before = Slurp(path);
        {
            TFileSizeLimit limit(16);
            QVERIFY(!WriteCalFile(path, {"", "", "", QString(200, 'x'), 0}, &error));
        }
        QVERIFY(!WriteCalFile(dir.filePath("no/such/dir/b.cal"), record, &error));
        QVERIFY(Put(dir.filePath("bin.cal"), QByteArray("[CalData]\0", 10)));
        QVERIFY(!WriteCalFile(dir.filePath("bin.cal"), record, &error));
        QCOMPARE(Slurp(dir.filePath("bin.cal")), QByteArray("[CalData]\0", 10));
        QCOMPARE(Slurp(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), (QStringList{"b.cal", "bin.cal"}));
    }

    void unreadableFilesAreRefused()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder.cal"));
        QVERIFY(Put(dir.filePath("huge.cal"), "[CalData]\nMDD1=" + QByteArray(MaxCalFileBytes, 'x')));
        QVERIFY(Put(dir.filePath("bin.cal"), QByteArray("[CalData]\nMDD1=ab\0cd", 21)));
        for (const QString &path : {dir.filePath("folder.cal"), dir.filePath("huge.cal"), dir.filePath("bin.cal"),
                                    QStringLiteral("/dev/zero"), dir.filePath("missing.cal")}) {
            const TCalFileRead read = ReadCalFile(path);
            QVERIFY2(!read.Ok && !read.Error.isEmpty(), qPrintable(path));
        }
    }

    void fuzzTargetInvariants()
    {
        const QList<QByteArray> nasty{"", "[CalData]\nMDD1=a;b\"c\x01", "[calDATA]\nmdd1 = x\nCheckSum1=0x1CB",
                                      "[Header\nVerProg==\n[]\n=\n[CalData]]\nMDD1\n", "\xEF\xBB\xBF\r[CalData]\rMDD1=\xff\r",
                                      QByteArray("a\0b", 3), "[CalData]\nCheckSum1=99999999999\nMDD1=" + QByteArray(500, '\xff')};
        QList<QByteArray> inputs = nasty;
        const QDir seeds(QStringLiteral(QV_FUZZ_SEEDS "/calfile"));
        for (const QString &name : seeds.entryList(QDir::Files))
            inputs << Slurp(seeds.filePath(name));
        QVERIFY(inputs.size() > nasty.size());
        for (const QByteArray &input : inputs)
            QCOMPARE(FuzzCalFileOne(reinterpret_cast<const std::uint8_t *>(input.constData()), size_t(input.size())), 0);
    }
};

QTEST_GUILESS_MAIN(TestCalFile)
#include "test_calfile.moc"
