#include "fontreading.h"
#include "support/testmain.h"

#include "display/segmentfont.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_segmentfont {

class TestSegmentFont : public QObject {
    Q_OBJECT

private slots:
    void manualListsEveryPrintableCharacterOnce()
    {
        QString all;
        for (const auto &entry : ManualFont())
            all += entry.second;
        QCOMPARE(all.size(), 126 - 32 + 1);
        for (char16_t code = 32; code <= 126; ++code)
            QVERIFY2(all.count(QChar(code)) == 1, qPrintable(QString("character %1").arg(int(code))));
    }

    void everyPrintableCharacterLightsTheManualsBars()
    {
        for (const auto &[bars, chars] : ManualFont()) {
            uint8_t expected = 0;
            for (const QChar bar : bars)
                expected |= uint8_t(1u << (bar.unicode() - u'a'));
            for (const QChar c : chars)
                QVERIFY2(SegmentFontBits(c) == expected,
                         qPrintable(QString("'%1' should light \"%2\"").arg(c).arg(bars)));
        }
    }

    void charactersOutsideThePrintableRangeAreBlank()
    {
        for (const char16_t code : {char16_t(0), char16_t(9), char16_t(31), char16_t(127), char16_t(0xB0),
                                    char16_t(0xE9), char16_t(0x20AC)})
            QCOMPARE(SegmentFontBits(QChar(code)), uint8_t(0));
    }

    void setDigitCharLightsOnlyThatDigitsBars()
    {
        TT7400LED display;
        display.AllSegmentsOn();
        display.SetDigitChar(3, QLatin1Char('7'));
        QCOMPARE(LitBars(display, 3), QString("abc"));
        QCOMPARE(LitBars(display, 2), QString("abcdefg"));
        QVERIFY(display.SegmentLit(3, PointColumn));   // the point is not a bar of the digit

        display.SetDigitChar(3, QChar(0xE9));
        QCOMPARE(LitBars(display, 3), QString());

        display.SetDigitChar(0, QLatin1Char('8'));     // outside 1..6: nothing happens
        display.SetDigitChar(7, QLatin1Char('8'));
        QCOMPARE(LitBars(display, 1), QString("abcdefg"));
        QVERIFY(display.SegmentLit(LampRow, 1));
    }
};

QV_TEST_MAIN(TestSegmentFont)
} // namespace test_segmentfont
#include "test_segmentfont.moc"
