#include "display/lcdlayout.h"
#include "display/seg7a.h"
#include "display/u7400led.h"
#include "support/testmain.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_displaylayout {

namespace {

const TLCDFactors MainFactors{182, 142, 636, 380};
const TLCDFactors WholeControl{};

QString Name(QSize size, int row, int column)
{
    return QString("%1x%2 row %3 column %4").arg(size.width()).arg(size.height()).arg(row).arg(column);
}

bool Draws(const TLCDSegment &segment)
{
    const auto *label = dynamic_cast<const TStringSegment *>(&segment);
    return !(label && label->Text.isEmpty());
}

// The bounding box of a digit's bars and its point.
QRect DigitBox(const TSegmentGrid &grid, int digit)
{
    QRect box;
    for (const auto &segment : grid[digit - 1])
        box |= segment->Bounds();
    return box;
}

} // namespace

class TestDisplayLayout : public QObject {
    Q_OBJECT

private slots:
    void glassFromFactors()
    {
        const TGlass glass = ComputeGlass(MainFactors, 784, 368);
        QCOMPARE(glass.Left, 142);    // 182 × 784 / 1000 = 142.688
        QCOMPARE(glass.Top, 52);      // 142 × 368 / 1000 = 52.256
        QCOMPARE(glass.Width, 498);   // 636 × 784 / 1000 = 498.624
        QCOMPARE(glass.Height, 139);  // 380 × 368 / 1000 = 139.84
        // Division truncates toward zero, also below zero.
        QCOMPARE(ComputeGlass(TLCDFactors{-1, -999, 1000, 1000}, 999, 999).Left, 0);
        QCOMPARE(ComputeGlass(TLCDFactors{-1, -999, 1000, 1000}, 999, 999).Top, -998);
    }

    // One cell of 495 × 1113 pixels is one pixel per design unit, so the
    // vertices read straight off the drawing (each fraction truncated).
    void barGeometryInTheDesignCell()
    {
        const TASegment a(495, 1113, 0, 0, {});
        QCOMPARE(a.Vertices[0], QPoint(110, 28));           // box 358 × 108, shifted by (110, 0)
        QCOMPARE(a.Vertices[1], QPoint(110 + 54, 0));       // 358 × 55 / 360 = 54.69
        QCOMPARE(a.Vertices[3], QPoint(110 + 358, 30));
        const TCSegment c(495, 1113, 10, 20, {});
        QCOMPARE(c.Vertices[4], QPoint(10 + 73 + 324, 20 + 442 + 492));   // (w 73/134, h) with h = 442
        QCOMPARE(c.Vertices[5], QPoint(10 + 0 + 324, 20 + 361 + 492));    // 442 × 360 / 440 = 361.6
        const TGSegment g(990, 2226, 0, 0, {});
        QCOMPARE(g.Vertices[0], QPoint(150, 208 * 52 / 104 + 870));
        const TKSegment point(495, 1113, 5, 7, {});
        QCOMPARE(point.Bounds(), QRect(5 + 467, 7 + 862, 87, 107));
        const TLSegment label(495, 1113, 0, 0, {}, "kg ");
        QCOMPARE(label.Width, 185);
        QCOMPARE(label.Height, 94 * 13 / 8);                 // 152
        QCOMPARE(label.Left, 427);
        QCOMPARE(label.Top, 1019 - 5 * 152 / 26);            // 1019 - 29
    }

    void oneCharacterLabelsArePadded()
    {
        QCOMPARE(TLSegment(10, 10, 0, 0, {}, "g").Text, QString("  g  "));
        QCOMPARE(TLSegment(10, 10, 0, 0, {}, "kg ").Text, QString("kg "));
        QCOMPARE(TLSegment(10, 10, 0, 0, {}, "").Text, QString());
        QCOMPARE(UnitLabelText(1), QString(" g "));
        QCOMPARE(UnitLabelText(4), QString(" t "));
        QCOMPARE(UnitLabelText(5), QString());
    }

    void segmentsStayInsideTheGlass_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("mainFactors");
        for (const QSize size : {QSize(784, 368), QSize(1920, 1080), QSize(350, 100), QSize(400, 186),
                                 QSize(1000, 464), QSize(3840, 1783), QSize(123, 77), QSize(80, 40)}) {
            const QString name = QString("%1x%2").arg(size.width()).arg(size.height());
            QTest::newRow(qPrintable(name + " main")) << size << true;
            QTest::newRow(qPrintable(name + " whole")) << size << false;
        }
    }

    void segmentsStayInsideTheGlass()
    {
        QFETCH(QSize, size);
        QFETCH(bool, mainFactors);
        const TGlass glass = ComputeGlass(mainFactors ? MainFactors : WholeControl, size.width(), size.height());
        const TSegmentGrid grid = BuildSegments(glass, {});
        for (int row = 1; row <= GridRows; ++row)
            for (int column = 1; column <= GridColumns; ++column) {
                const TLCDSegment &segment = *grid[row - 1][column - 1];
                // The lamps' feet hang just below the glass on the
                // instrument's drawing: at most a hundredth of its height.
                const int hang = row == LampRow ? glass.Height / 100 + 1 : 0;
                if (Draws(segment))
                    QVERIFY2(glass.Rect().adjusted(0, 0, 0, hang).contains(segment.Bounds()),
                             qPrintable(Name(size, row, column)));
            }
    }

    // A glass of 1700 × 960 pixels: cells of 200 × 850 at top 55, lamps at
    // 55 + 850 / 5 = 225, label column at lamp 8's cell left + 200 × 3 / 8.
    void lampsAndLabelsFollowTheDrawingExactly()
    {
        const TSegmentGrid grid = BuildSegments(ComputeGlass(WholeControl, 1700, 960), {});
        // Cell lefts -100, 150, 400, 650, then 834, 944, 1054, 1164 (each
        // packed by 66 + 140 × (j - 5)); the dot sits 188, 658 into its cell.
        const int lampLeft[GridColumns] = {88, 338, 588, 838, 1022, 1132, 1242, 1352};
        for (int lamp = 1; lamp <= GridColumns; ++lamp)
            QCOMPARE(grid[LampRow - 1][lamp - 1]->Bounds(), QRect(lampLeft[lamp - 1], 883, 35, 81));
        // The dots end at 964, four pixels below the glass: not lifted.
        QCOMPARE(grid[LampRow - 1][0]->Bounds().bottom(), 963);
        // Running top starts at -1572 + 55 and grows by 212 before each label.
        QCOMPARE(grid[LabelRow - 1][0]->Bounds(), QRect(1540, 17, 130, 203));
        QCOMPARE(grid[LabelRow - 1][3]->Bounds(), QRect(1540, 653, 130, 203));
        QCOMPARE(grid[LabelRow - 1][4]->Bounds(), QRect(1411, 299, 74, 115));
        QCOMPARE(grid[LabelRow - 1][7]->Bounds(), QRect(1411, 935, 74, 115));
        // Digit 2's cell starts at 250 + 15; its point sits 188 in.
        QCOMPARE(grid[1][PointColumn - 1]->Bounds(), QRect(265 + 188, 55 + 658, 35, 81));
    }

    void digitsLampsAndLabelsDoNotOverlap()
    {
        for (const QSize size : {QSize(784, 368), QSize(1920, 1080), QSize(350, 100), QSize(3840, 1783)}) {
            for (const TLCDFactors &factors : {MainFactors, WholeControl}) {
                const TGlass glass = ComputeGlass(factors, size.width(), size.height());
                const TSegmentGrid grid = BuildSegments(glass, {});
                for (int digit = 1; digit < DisplayDigits; ++digit)
                    QVERIFY2(DigitBox(grid, digit).right() < DigitBox(grid, digit + 1).left(),
                             qPrintable(Name(size, digit, 0)));
                for (int lamp = 1; lamp < GridColumns; ++lamp)
                    QVERIFY2(grid[LampRow - 1][lamp - 1]->Bounds().right() < grid[LampRow - 1][lamp]->Bounds().left(),
                             qPrintable(Name(size, LampRow, lamp)));
                for (int label = 1; label < 4; ++label)
                    QVERIFY2(grid[LabelRow - 1][label - 1]->Bounds().bottom() < grid[LabelRow - 1][label]->Bounds().top(),
                             qPrintable(Name(size, LabelRow, label)));
                QVERIFY(DigitBox(grid, DisplayDigits).right() < grid[LabelRow - 1][0]->Bounds().left());
            }
        }
    }

    void lampsSitUnderTheFirstFourDigits()
    {
        const TGlass glass = ComputeGlass(MainFactors, 1920, 1080);
        const TSegmentGrid grid = BuildSegments(glass, {});
        for (int lamp = 1; lamp <= 4; ++lamp) {
            const QRect digit = DigitBox(grid, lamp);
            const int centre = grid[LampRow - 1][lamp - 1]->Bounds().center().x();
            QVERIFY(centre >= digit.left() && centre <= digit.right());
        }
    }

    void controlKeepsLayoutInStepWithItsSize()
    {
        TT7400LED display;
        display.SetLCDXOffsetFactor(182);
        display.SetLCDYOffsetFactor(142);
        display.SetLCDWidthFactor(636);
        display.SetLCDHeightFactor(380);
        display.resize(784, 368);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        QCOMPARE(display.GlassRect(), QRect(142, 52, 498, 139));
        display.resize(600, 300);
        QTRY_COMPARE(display.GlassRect(), ComputeGlass(MainFactors, 600, 300).Rect());
        const TSegmentGrid grid = BuildSegments(ComputeGlass(MainFactors, 600, 300), {});
        QCOMPARE(display.SegmentBounds(3, 2), grid[2][1]->Bounds());
        display.SetLCDWidthFactor(500);   // a factor change rebuilds at once
        QCOMPARE(display.GlassRect().width(), 300);
    }
};

QV_TEST_MAIN(TestDisplayLayout)
} // namespace test_displaylayout
#include "test_displaylayout.moc"
