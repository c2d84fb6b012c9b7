// The reply field parser: every weight reply, status word, settings reply and
// file line goes through it, so its corner cases decide what the program
// believes the instrument said.
#include "link/comms.h"
#include "support/testmain.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_comms {

namespace {

struct TNumber {
    bool ok = false;
    qint32 value = 0;
    qint32 places = 0;
};

TNumber NumberAt(const Tcommsobj &parser, int index)
{
    TNumber n;
    n.ok = parser.GetInt(index, n.value, INT_MIN, INT_MAX, n.places);
    return n;
}

QString TextAt(const Tcommsobj &parser, int index)
{
    QString text = QStringLiteral("<none>");
    parser.GetText(index, text, 0, INT_MAX);
    return text;
}

} // namespace

class TestComms : public QObject {
    Q_OBJECT
private slots:
    void numbersTextsAndQuotedCommas();
    void hexStatusWords();
    void placesCountCharactersAfterThePoint();
    void valueComesFromDigitsAfterTheLastOtherCharacter();
    void skipPrefix();
    void emptyAndUnbalancedTexts();
    void boundsOfGetIntAndGetText();
    void resultsReplacePreviousParse();
    void longDigitStringsNeverWrap_data();
    void longDigitStringsNeverWrap();
    void fieldsBeyondTwentyAreDropped();
    void weightLinesAndSingleNumbers_data();
    void weightLinesAndSingleNumbers();
};

void TestComms::numbersTextsAndQuotedCommas()
{
    Tcommsobj parser;
    QVERIFY(parser.Parse(QStringLiteral("-12.345,\"AB,C\",0F"), false, false));
    QCOMPARE(parser.FieldCount(), 3);
    const TNumber first = NumberAt(parser, 0);
    QVERIFY(first.ok);
    QCOMPARE(first.value, -12345);
    QCOMPARE(first.places, 3);
    QCOMPARE(TextAt(parser, 0), QStringLiteral("-12.345"));
    QVERIFY(!NumberAt(parser, 1).ok);
    QCOMPARE(TextAt(parser, 1), QStringLiteral("AB,C"));
    QVERIFY(!NumberAt(parser, 2).ok);
    QCOMPARE(TextAt(parser, 2), QStringLiteral("0F"));

    // A quoted text of digits is a number too; text before the quote is dropped.
    QVERIFY(parser.Parse(QStringLiteral("xy\"42\""), false, false));
    QCOMPARE(NumberAt(parser, 0).value, 42);
    QCOMPARE(TextAt(parser, 0), QStringLiteral("42"));
}

void TestComms::hexStatusWords()
{
    Tcommsobj parser;
    QVERIFY(parser.Parse(QStringLiteral("-12.345,\"AB,C\",0F"), true, false));
    QCOMPARE(NumberAt(parser, 2).value, 15);
    QVERIFY(parser.Parse(QStringLiteral("00A4"), true, false));
    QCOMPARE(NumberAt(parser, 0).value, 164);
    QVERIFY(parser.Parse(QStringLiteral("-00a4"), true, false));
    QCOMPARE(NumberAt(parser, 0).value, -164);
    // Without hex, the same letters make the field not a number.
    QVERIFY(parser.Parse(QStringLiteral("00A4"), false, false));
    QCOMPARE(NumberAt(parser, 0).value, 4);
    QVERIFY(parser.Parse(QStringLiteral("00A"), false, false));
    QVERIFY(!NumberAt(parser, 0).ok);
}

void TestComms::placesCountCharactersAfterThePoint()
{
    Tcommsobj parser;
    QVERIFY(parser.Parse(QStringLiteral("123"), false, false));
    QCOMPARE(NumberAt(parser, 0).value, 123);
    QCOMPARE(NumberAt(parser, 0).places, 0);
    QVERIFY(parser.Parse(QStringLiteral("1.25"), false, false));
    QCOMPARE(NumberAt(parser, 0).value, 125);
    QCOMPARE(NumberAt(parser, 0).places, 2);
    // A trailing blank counts as a place, before a comma and at the end.
    QVERIFY(parser.Parse(QStringLiteral("1.5 ,7.25 "), false, false));
    QCOMPARE(NumberAt(parser, 0).value, 15);
    QCOMPARE(NumberAt(parser, 0).places, 2);
    QCOMPARE(NumberAt(parser, 1).value, 725);
    QCOMPARE(NumberAt(parser, 1).places, 3);
    // The point of one field does not leak into the next.
    QVERIFY(parser.Parse(QStringLiteral("1.5,20"), false, false));
    QCOMPARE(NumberAt(parser, 1).places, 0);
}

void TestComms::valueComesFromDigitsAfterTheLastOtherCharacter()
{
    Tcommsobj parser;
    QVERIFY(parser.Parse(QStringLiteral("AB12,12AB,1-2,+ 7"), false, false));
    QCOMPARE(NumberAt(parser, 0).value, 12);
    QVERIFY(!NumberAt(parser, 1).ok);
    QCOMPARE(NumberAt(parser, 2).value, -12); // the minus may stand anywhere
    QCOMPARE(NumberAt(parser, 3).value, 7);
    QCOMPARE(TextAt(parser, 3), QStringLiteral("+ 7"));
}

void TestComms::skipPrefix()
{
    Tcommsobj parser;
    QVERIFY(parser.Parse(QStringLiteral("ENU2"), false, true));
    QCOMPARE(parser.FieldCount(), 1);
    QCOMPARE(NumberAt(parser, 0).value, 2);
    QCOMPARE(TextAt(parser, 0), QStringLiteral("2"));
    // Positions count over the whole text: places are right after a prefix.
    QVERIFY(parser.Parse(QStringLiteral("CWT1.50,3"), false, true));
    QCOMPARE(NumberAt(parser, 0).value, 150);
    QCOMPARE(NumberAt(parser, 0).places, 2);
    QVERIFY(parser.Parse(QStringLiteral("EN"), false, true));
    QCOMPARE(parser.FieldCount(), 1);
    QVERIFY(!NumberAt(parser, 0).ok);
    QCOMPARE(TextAt(parser, 0), QString());
}

void TestComms::emptyAndUnbalancedTexts()
{
    Tcommsobj parser;
    QVERIFY(parser.Parse(QString(), false, false));
    QCOMPARE(parser.FieldCount(), 1);
    QVERIFY(!NumberAt(parser, 0).ok);
    QCOMPARE(TextAt(parser, 0), QString());

    QVERIFY(!parser.Parse(QStringLiteral("5,6,\"open"), false, false));
    QCOMPARE(parser.FieldCount(), 2); // fields before the quote stay readable
    QCOMPARE(NumberAt(parser, 1).value, 6);
    QVERIFY(!NumberAt(parser, 2).ok);
}

void TestComms::boundsOfGetIntAndGetText()
{
    Tcommsobj parser;
    QVERIFY(parser.Parse(QStringLiteral("50,\"abcd\""), false, false));
    qint32 value = -1;
    qint32 places = -1;
    QVERIFY(!parser.GetInt(0, value, 0, 49, places));
    QVERIFY(!parser.GetInt(0, value, 51, 60, places));
    QCOMPARE(value, -1); // untouched on failure
    QCOMPARE(places, -1);
    QVERIFY(parser.GetInt(0, value, 50, 50, places));
    QCOMPARE(value, 50);
    QVERIFY(!parser.GetInt(1, value, INT_MIN, INT_MAX, places)); // a text
    QVERIFY(!parser.GetInt(-1, value, INT_MIN, INT_MAX, places));
    QVERIFY(!parser.GetInt(20, value, INT_MIN, INT_MAX, places));

    QString text = QStringLiteral("kept");
    QVERIFY(!parser.GetText(1, text, 0, 3));
    QVERIFY(!parser.GetText(1, text, 5, 9));
    QVERIFY(!parser.GetText(2, text, 0, 100));
    QVERIFY(!parser.GetText(20, text, 0, 100));
    QCOMPARE(text, QStringLiteral("kept"));
    QVERIFY(parser.GetText(1, text, 4, 4));
    QCOMPARE(text, QStringLiteral("abcd"));
}

void TestComms::resultsReplacePreviousParse()
{
    Tcommsobj parser;
    QVERIFY(parser.Parse(QStringLiteral("1,2,3,\"long text\""), false, false));
    QString kept;
    QVERIFY(parser.GetText(3, kept, 0, 100));
    QVERIFY(parser.Parse(QStringLiteral("9"), false, false));
    QCOMPARE(parser.FieldCount(), 1);
    QVERIFY(!NumberAt(parser, 1).ok);
    QCOMPARE(TextAt(parser, 1), QStringLiteral("<none>"));
    QCOMPARE(kept, QStringLiteral("long text")); // a copy taken earlier survives
}

void TestComms::longDigitStringsNeverWrap_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<qint32>("value");
    QTest::newRow("largest") << "2147483647" << false << true << 2147483647;
    QTest::newRow("smallest") << "-2147483648" << false << true << qint32(INT_MIN);
    QTest::newRow("one past largest") << "2147483648" << false << false << 0;
    QTest::newRow("wraps to 5 in 32 bits") << "4294967301" << false << false << 0;
    QTest::newRow("forty digits") << QString(40, u'9') << false << false << 0;
    QTest::newRow("hex largest") << "7FFFFFFF" << true << true << 2147483647;
    QTest::newRow("hex too long") << "1000000005" << true << false << 0;
    QTest::newRow("digits restart after a letter") << "99999999999X5" << false << true << 5;
}

void TestComms::longDigitStringsNeverWrap()
{
    QFETCH(QString, field);
    QFETCH(bool, hex);
    QFETCH(bool, isNumber);
    QFETCH(qint32, value);
    Tcommsobj parser;
    QVERIFY(parser.Parse(field + QStringLiteral(",1"), hex, false));
    const TNumber n = NumberAt(parser, 0);
    QCOMPARE(n.ok, isNumber);
    if (isNumber)
        QCOMPARE(n.value, value);
    QCOMPARE(TextAt(parser, 0), field);
    QCOMPARE(NumberAt(parser, 1).value, 1);
}

void TestComms::fieldsBeyondTwentyAreDropped()
{
    QStringList fields;
    for (int i = 0; i < 25; ++i)
        fields << QString::number(i);
    Tcommsobj parser;
    QVERIFY(parser.Parse(fields.join(u','), false, false));
    QCOMPARE(parser.FieldCount(), 20);
    QCOMPARE(NumberAt(parser, 19).value, 19);
    QCOMPARE(TextAt(parser, 19), QStringLiteral("19"));
    QVERIFY(!NumberAt(parser, 20).ok);
    // The parser is still sound afterwards.
    QVERIFY(parser.Parse(QStringLiteral("7"), false, false));
    QCOMPARE(parser.FieldCount(), 1);
    QCOMPARE(NumberAt(parser, 0).value, 7);
}

// What the parser would still read numbers from, but is no weight line (or
// no answer of one value): pieces of two lines joined, noise, other forms.
void TestComms::weightLinesAndSingleNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("weightLine");
    QTest::addColumn<bool>("singleNumber");
    QTest::newRow("weight line") << "     650,00,002" << true << false;
    QTest::newRow("negative, high resolution") << " -12.345,31,130" << true << false;
    QTest::newRow("sign apart from digits") << "-    5.0,01,001" << true << false;
    QTest::newRow("cut line joined to the next") << "     65     650,00,002" << false << false;
    QTest::newRow("two weights run together") << "12345.612345.67,00,002" << false << false;
    QTest::newRow("short address and status") << "12.5,1,2" << false << false;
    QTest::newRow("three-digit address") << "     650,100,002" << false << false;
    QTest::newRow("a field more") << "     650,00,002,1" << false << false;
    QTest::newRow("weight in quotes") << "\"650\",00,002" << false << false;
    QTest::newRow("noise before the weight") << "x650,00,002" << false << false;
    QTest::newRow("no weight") << ",00,002" << false << false;
    QTest::newRow("one number") << "12500" << false << true;
    QTest::newRow("one number with blanks around") << "  -12.5 " << false << true;
    QTest::newRow("two pieces of numbers") << "12 500" << false << false;
    QTest::newRow("refusal") << "?" << false << false;
    QTest::newRow("empty") << "" << false << false;
}

void TestComms::weightLinesAndSingleNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, weightLine);
    QFETCH(bool, singleNumber);
    QCOMPARE(IsWeightLine(text), weightLine);
    QCOMPARE(IsSingleNumber(text), singleNumber);
}

QV_TEST_GUILESS_MAIN(TestComms)
} // namespace test_comms
#include "test_comms.moc"
