// Number helpers: every weight-like value the user sees or types passes
// through them, so a wrong digit here is a wrong setting in the instrument.
#include "settings/tools.h"
#include "support/testmain.h"

#include <QLocale>

#include <bit>

// A namespace of its own: the folder's test files are compiled together.
namespace test_tools {

class TestTools : public QObject {
    Q_OBJECT
private slots:
    void formatCounts_data();
    void formatCounts();
    void formatCountsIgnoresLocale();
    void parseCounts_data();
    void parseCounts();
    void fixDecimals_data();
    void fixDecimals();
    void typedNumberRoundTrip();
    void parseDecimal_data();
    void parseDecimal();
    void fixDecimalsTakesTheLocalesPoint();
    void removeCommon();
};

void TestTools::formatCounts_data()
{
    QTest::addColumn<qint32>("counts");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("two decimals") << 1250 << 2 << "12.50";
    QTest::newRow("negative below one") << -5 << 1 << "-0.5";
    QTest::newRow("no decimals") << 7 << 0 << "7";
    QTest::newRow("zero with decimals") << 0 << 3 << "0.000";
    QTest::newRow("five decimals") << 123456789 << 5 << "1234.56789";
    QTest::newRow("largest") << 2147483647 << 4 << "214748.3647";
    QTest::newRow("smallest") << qint32(INT_MIN) << 2 << "-21474836.48";
    QTest::newRow("smallest no decimals") << qint32(INT_MIN) << 0 << "-2147483648";
    QTest::newRow("six decimals") << 5 << 6 << "";
    QTest::newRow("negative decimals") << 5 << -1 << "";
}

void TestTools::formatCounts()
{
    QFETCH(qint32, counts);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(FormatCounts(counts, decimals), text);
}

void TestTools::formatCountsIgnoresLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString text = FormatCounts(1234567, 3);
    QLocale::setDefault(previous);
    QCOMPARE(text, QStringLiteral("1234.567"));
}

void TestTools::parseCounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint32>("counts");
    QTest::newRow("two decimals") << "12.50" << 1250;
    QTest::newRow("negative") << "-1.5" << -15;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("blanks, plus, comma, letters") << " +1,2x3" << 123;
    QTest::newRow("minus anywhere") << "15-" << -15;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << qint32(INT_MIN);
    QTest::newRow("too large saturates") << "4294967301" << 2147483647;
    QTest::newRow("too small saturates") << "-99999999999999999999" << qint32(INT_MIN);
}

void TestTools::parseCounts()
{
    QFETCH(QString, text);
    QFETCH(qint32, counts);
    QCOMPARE(ParseCounts(text), counts);
}

void TestTools::fixDecimals_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("fixed");
    QTest::newRow("whole") << "123" << 2 << "123.00";
    QTest::newRow("fill") << "1.5" << 2 << "1.50";
    QTest::newRow("truncate, never round") << "1.567" << 2 << "1.56";
    QTest::newRow("no integer part") << ".5" << 2 << "0.50";
    QTest::newRow("no decimals") << "12.7" << 0 << "12";
    QTest::newRow("empty") << "" << 1 << "0.0";
    QTest::newRow("negative below one") << "-.5" << 1 << "-.5";
}

void TestTools::fixDecimals()
{
    QFETCH(QString, text);
    QFETCH(int, decimals);
    QFETCH(QString, fixed);
    QCOMPARE(FixDecimals(text, decimals), fixed);
}

void TestTools::typedNumberRoundTrip()
{
    // What the editor does with a typed value: fix, parse, show again.
    for (int decimals = 0; decimals <= 5; ++decimals) {
        for (const qint32 counts : {0, 1, -1, 999999, -99999, 1250}) {
            const QString shown = FormatCounts(counts, decimals);
            QCOMPARE(ParseCounts(FixDecimals(shown, decimals)), counts);
        }
    }
}

void TestTools::parseDecimal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("plain") << "12.34" << 12.34;
    QTest::newRow("negative") << "-0.5" << -0.5;
    QTest::newRow("whole") << "20" << 20.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("mV/V") << "2.0000" << 2.0;
    QTest::newRow("other characters skipped") << "1 2.5x" << 12.5;
    // A log's "-0.00" weight keeps its sign, and a number of more digits
    // than a double counts exactly is still the nearest double, as a saved
    // log must read back.
    QTest::newRow("negative zero") << "-0.00" << -0.0;
    QTest::newRow("beyond exact counting") << "123456789012345678.9" << 123456789012345678.9;
    QTest::newRow("many decimals") << "0.1234567890123456789012345" << 0.1234567890123456789012345;
}

void TestTools::parseDecimal()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(std::bit_cast<quint64>(ParseDecimal(text)), std::bit_cast<quint64>(value));
}

// A German "12,5" was 12,5.00 once, and 12500 counts on the wire.
void TestTools::fixDecimalsTakesTheLocalesPoint()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QStringList fixed{FixDecimals(QStringLiteral("12,5"), 2), FixDecimals(QStringLiteral("12.5"), 2)};
    const QStringList dotted{WithDotDecimal(QStringLiteral("-0,0125")), WithDotDecimal(QStringLiteral("2.5")),
                             WithDotDecimal(QStringLiteral("1.000,5"))};
    QLocale::setDefault(previous);
    QCOMPARE(fixed, (QStringList{"12.50", "12.50"}));
    QCOMPARE(dotted, (QStringList{"-0.0125", "2.5", "1.000,5"}));
}

void TestTools::removeCommon()
{
    // A text's letter case is a change; a mnemonic's is not.
    QStringList first{"PST1,\"abc\"", "ADR5", "enu2", "ADR5", "IDN\"SILO4\""};
    RemoveCommon(first, {"PST1,\"ABC\"", "adr5", "ENU2", "IDN\"silo4\""});
    QCOMPARE(first, (QStringList{"PST1,\"abc\"", "IDN\"SILO4\""}));

    QStringList untouched{"B", "A", "C"};
    RemoveCommon(untouched, {});
    QCOMPARE(untouched, (QStringList{"B", "A", "C"}));
    RemoveCommon(untouched, {"c"});
    QCOMPARE(untouched, (QStringList{"B", "A"}));
}

QV_TEST_GUILESS_MAIN(TestTools)
} // namespace test_tools
#include "test_tools.moc"
