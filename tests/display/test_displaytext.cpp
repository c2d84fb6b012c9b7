#include "fontreading.h"
#include "support/testmain.h"

#include <limits>

// A namespace of its own: the folder's test files are compiled together.
namespace test_displaytext {

class TestDisplayText : public QObject {
    Q_OBJECT

private slots:
    void showNumber_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("reading");
        QTest::newRow("0.05: zero before the point stays") << 5 << 2 << "   0.05";
        QTest::newRow("zero") << 0 << 0 << "     0";
        QTest::newRow("minus on digit 1") << -5 << 0 << "-    5";
        QTest::newRow("six-digit negative does not fit") << -123456 << 0 << "------";
        QTest::newRow("five-digit negative fits") << -99999 << 0 << "-99999";
        QTest::newRow("negative below one keeps its value") << -12345 << 5 << "-.12345";
        QTest::newRow("123.45") << 12345 << 2 << " 123.45";
        QTest::newRow("1234.50") << 123450 << 2 << "1234.50";
        QTest::newRow("negative with decimals") << -7 << 3 << "- 0.007";
        QTest::newRow("five decimals: point right of digit 1") << 7 << 5 << "0.00007";
        QTest::newRow("six decimals: no point, zeros stay") << 7 << 6 << "000007";
        QTest::newRow("nine decimals: no point") << 7 << 9 << "000007";
        QTest::newRow("negative decimals: no point") << 5 << -1 << "     5";
        QTest::newRow("seven digits: the first six show") << 1234567 << 0 << "123456";
        QTest::newRow("most negative 32-bit value") << std::numeric_limits<int>::min() << 0 << "------";
        QTest::newRow("absurd decimals") << 5 << std::numeric_limits<int>::min() << "     5";
    }

    void showNumber()
    {
        QFETCH(int, value);
        QFETCH(int, decimals);
        QFETCH(QString, reading);
        TT7400LED display;
        display.ShowText("1.2.3.4.5.6");   // leftover points must go
        display.ShowNumber(value, decimals);
        QCOMPARE(Reading(display), reading);
    }

    void showText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reading");
        QTest::newRow("dashes") << "------" << "------";
        QTest::newRow("point from the text") << "12.3456" << "12.3456";
        QTest::newRow("point before the last digit") << "12345.6" << "12345.6";
        QTest::newRow("short text blanks the right") << "12" << "12    ";
        QTest::newRow("empty") << "" << "      ";
        QTest::newRow("leading point lights nothing") << ".5" << "5     ";
        QTest::newRow("second point shows as a character") << "1..2" << "1. 2   ";
        QTest::newRow("point after the sixth digit ignored") << "123456." << "123456";
        QTest::newRow("beyond six characters ignored") << "1234567" << "123456";
        QTest::newRow("error code") << " E0010" << " E0010";
        QTest::newRow("characters outside the font are blank") << QString("1\u00e92\u20ac3") << "1 2 3 ";
    }

    void showText()
    {
        QFETCH(QString, text);
        QFETCH(QString, reading);
        TT7400LED display;
        display.SetDecimalPoints(0x1F);
        display.ShowText(text);
        QCOMPARE(Reading(display), reading);
    }

    void dashesLightOnlyTheMiddleBar()
    {
        TT7400LED display;
        display.AllSegmentsOn();
        display.ShowText("------");
        for (int digit = 1; digit <= DisplayDigits; ++digit) {
            QCOMPARE(LitBars(display, digit), QString("g"));
            QVERIFY(!display.SegmentLit(digit, PointColumn));
        }
    }

    void decimalPointBits()
    {
        TT7400LED display;
        for (int k = 0; k <= 4; ++k) {
            display.SetDecimalPoints(uint8_t(1u << k));
            for (int digit = 1; digit <= DisplayDigits; ++digit)
                QCOMPARE(display.SegmentLit(digit, PointColumn), digit == 5 - k);
        }
        display.SetDecimalPoints(0x1F);
        display.SetDecimalPoints(0xE0);   // bits 5..7 mean nothing
        for (int digit = 1; digit <= DisplayDigits; ++digit)
            QVERIFY(!display.SegmentLit(digit, PointColumn));
        display.SetSegmentLit(6, PointColumn, true);
        display.SetDecimalPoints(0xFF);
        for (int digit = 1; digit <= 5; ++digit)
            QVERIFY(display.SegmentLit(digit, PointColumn));
        QVERIFY2(!display.SegmentLit(6, PointColumn), "digit 6 has no point of its own");
    }

    void numbersAndTextsLeaveLampsAndLabelsAlone()
    {
        TT7400LED display;
        display.SetSegmentLit(LampRow, 2, true);
        display.SetSegmentLit(LabelRow, 3, true);
        display.ShowNumber(42, 1);
        display.ShowText("------");
        QVERIFY(display.SegmentLit(LampRow, 2));
        QVERIFY(display.SegmentLit(LabelRow, 3));
        QVERIFY(!display.SegmentLit(LampRow, 1));
    }

    void allSegmentsOnAndOff()
    {
        TT7400LED display;
        display.AllSegmentsOn();
        for (int row = 1; row <= GridRows; ++row)
            for (int column = 1; column <= GridColumns; ++column)
                QVERIFY(display.SegmentLit(row, column));
        display.AllSegmentsOff();
        for (int row = 1; row <= GridRows; ++row)
            for (int column = 1; column <= GridColumns; ++column)
                QVERIFY(!display.SegmentLit(row, column));
    }

    void gridOutsideOneToEightIsIgnored()
    {
        TT7400LED display;
        display.AllSegmentsOn();
        for (const auto &[row, column] : {std::pair{0, 1}, {9, 1}, {1, 0}, {1, 9}, {-1, -1}}) {
            display.SetSegmentLit(row, column, false);
            QVERIFY(!display.SegmentLit(row, column));
        }
        QVERIFY(display.SegmentLit(1, 1));
        QVERIFY(display.SegmentLit(8, 8));
    }

    void litStateSurvivesAResize()
    {
        TT7400LED display;
        display.ShowNumber(12345, 2);
        display.SetSegmentLit(LabelRow, 2, true);
        display.resize(900, 400);
        display.UpdateLayout();
        QCOMPARE(Reading(display), QString(" 123.45"));
        QVERIFY(display.SegmentLit(LabelRow, 2));
    }
};

QV_TEST_MAIN(TestDisplayText)
} // namespace test_displaytext
#include "test_displaytext.moc"
