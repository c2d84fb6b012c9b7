// The fuzz targets' invariants over inputs that once were, or easily could
// be, trouble: long digit strings, too many fields, open quotes, smuggled
// commands, control characters; the same for every reader of outside data.
// Every seed file of the fuzzers runs too, and so does every input a fuzzer
// once found a fault with (kept among the seeds).
#include "fuzz/targets.h"
#include "support/testmain.h"

#include <QDir>
#include <QFile>

// A namespace of its own: the folder's test files are compiled together.
namespace test_fuzz_regression {

namespace {

int Run(int (*target)(const std::uint8_t *, std::size_t), const QByteArray &input)
{
    return target(reinterpret_cast<const std::uint8_t *>(input.constData()), std::size_t(input.size()));
}

QList<QByteArray> NastyTexts()
{
    return {
        QByteArray(),
        QByteArray(1, '\0'),
        "\"",
        "\"\"\"",
        ",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,",
        QByteArray(200, '9'),
        "2147483648,-2147483648,-2147483649,4294967297",
        "FFFFFFFF,80000000,-80000000,7fffffff",
        "1.2.3.4,.,-.,--5,+-+",
        "\"a,b\",\"c\"d\"e\",\"open",
        QByteArray("1,\"2,3\"") + QByteArray(5000, ','),
        "\x00\x01\x02\x10\x03\r\n\xff\xfe",
        "ABC",
        "AB",
    };
}

QList<QByteArray> NastyLines()
{
    return {
        "PFT\"x\";ADR5;\"\"",
        "PFT\"x;ADR5;y\"",
        "IDN\"a\tb\",\"\",\"\x85\"",
        "ADR4294967297\nCWT99999999999999999999\nIAD1,4294967296,4294967301,1,1,1",
        "LIV4,50,2,2,-99999,999999,999999,2,1,3\nLIV0,1\nLIV5,1\nLIV-1,1",
        "LBT-0,2\nLBT3.,2\nRBT1.5,3\nPST1.,\"x\"",
        "LIC1,-150,-99999\nLIC2,151,0\nLIC3,50",
        "LIS100,200,200,200,1,2,1,1,1,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9,9",
        "AFT\"" + QByteArray(21, 'a') + "\"\nPFT\"" + QByteArray(100, 'b') + "\"",
        "LIL1,\"\xe9\xff\xa0 abc\"\nLIL2,\"" + QByteArray(10, 'z') + "\"",
        "ZST1,12,4,999999\r\nENU4\r\n",
        "\n\n\nXYZ\nadr5\nAD",
        "PST3,\"open\nPST4,\"ok\"",
    };
}

void RunSeeds(const QString &folder, int (*target)(const std::uint8_t *, std::size_t))
{
    const QDir dir(QStringLiteral(QV_FUZZ_SEEDS "/") + folder);
    const QStringList files = dir.entryList(QDir::Files);
    QVERIFY2(!files.isEmpty(), qPrintable(dir.path()));
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(Run(target, file.readAll()), 0);
    }
}

using TTarget = int (*)(const std::uint8_t *, std::size_t);
struct TReader {
    const char *Seeds;
    TTarget Target;
};
const TReader Readers[] = {{"receive", FuzzReceiveOne},       {"weightline", FuzzWeightLineOne},
                           {"settingsfile", FuzzSettingsFileOne}, {"logfile", FuzzLogFileOne},
                           {"logcsv", FuzzLogCsvOne},           {"ini", FuzzIniOne},
                           {"calfile", FuzzCalFileOne}};

} // namespace

class TestFuzzRegression : public QObject {
    Q_OBJECT
private slots:
    void parserInvariants()
    {
        for (const QByteArray &text : NastyTexts()) {
            for (char flags = 0; flags < 4; ++flags)
                QCOMPARE(Run(FuzzParseOne, flags + text), 0);
        }
        RunSeeds(QStringLiteral("parse"), FuzzParseOne);
    }

    void intakeInvariants()
    {
        for (const QByteArray &lines : NastyLines())
            QCOMPARE(Run(FuzzApplyOne, lines), 0);
        for (const QByteArray &text : NastyTexts())
            QCOMPARE(Run(FuzzApplyOne, "PST2," + text), 0);
        RunSeeds(QStringLiteral("apply"), FuzzApplyOne);
    }

    void readerInvariants()
    {
        for (const TReader &reader : Readers) {
            for (const QByteArray &input : NastyTexts() + NastyLines())
                QCOMPARE(Run(reader.Target, input), 0);
            RunSeeds(QLatin1String(reader.Seeds), reader.Target);
        }
    }
};

QV_TEST_GUILESS_MAIN(TestFuzzRegression)
} // namespace test_fuzz_regression
#include "test_fuzz_regression.moc"
