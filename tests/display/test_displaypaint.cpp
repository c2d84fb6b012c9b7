#include "display/backgroundpicture.h"
#include "display/u7400led.h"
#include "support/testmain.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <limits>

// A namespace of its own: the folder's test files are compiled together.
namespace test_displaypaint {

namespace {

const QColor Lit(0, 255, 0);
const QColor Unlit(0, 64, 0);

void MakeMainDisplay(TT7400LED &display, QSize size)
{
    display.resize(size);
    display.SetLCDXOffsetFactor(182);
    display.SetLCDYOffsetFactor(142);
    display.SetLCDWidthFactor(636);
    display.SetLCDHeightFactor(380);
    display.SetOnColor(Lit);
    display.SetOnLineColor(Lit);
    display.SetOffColor(Unlit);
    display.SetOffLineColor(Unlit);
    // Shown, so the resize has been delivered before a test changes colours
    // (a resize rebuilds the segments with the colours of the moment).
    display.show();
    QVERIFY(QTest::qWaitForWindowExposed(&display));
}

QColor Pixel(const QImage &image, QPoint at)
{
    return image.pixelColor(at);
}

// The middle of a bar: well inside its outline.
QPoint Inside(const TT7400LED &display, int row, int column)
{
    return display.SegmentBounds(row, column).center();
}

bool WriteSolidBmp(const QString &path, QColor color)
{
    QImage image(60, 40, QImage::Format_RGB32);
    image.fill(color);
    return image.save(path, "BMP");
}

int CountColor(const QImage &image, QRect area, QColor color)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixelColor(x, y) == color;
    return count;
}

} // namespace

class TestDisplayPaint : public QObject {
    Q_OBJECT

private slots:
    void litAndUnlitSegmentsTakeTheirColours()
    {
        TT7400LED display;
        MakeMainDisplay(display, QSize(784, 368));
        display.ShowText("8");
        display.SetSegmentLit(LampRow, 2, true);
        const QImage image = display.grab().toImage();
        QCOMPARE(Pixel(image, Inside(display, 1, 7)), Lit);
        QCOMPARE(Pixel(image, Inside(display, 2, 7)), Unlit);
        QCOMPARE(Pixel(image, Inside(display, LampRow, 2)), Lit);
        QCOMPARE(Pixel(image, Inside(display, LampRow, 1)), Unlit);
        QCOMPARE(Pixel(image, display.GlassRect().topLeft() + QPoint(2, 2)), Unlit);
    }

    // The glass follows OffColor at once; segments keep the colours they
    // were built with until the next layout.
    void offColourReachesSegmentsOnlyAtTheNextLayout()
    {
        TT7400LED display;
        MakeMainDisplay(display, QSize(784, 368));
        display.SetOffColor(Qt::red);
        QImage image = display.grab().toImage();
        QCOMPARE(Pixel(image, display.GlassRect().topLeft() + QPoint(2, 2)), QColor(Qt::red));
        QCOMPARE(Pixel(image, Inside(display, 3, 7)), Unlit);
        display.UpdateLayout();
        image = display.grab().toImage();
        QCOMPARE(Pixel(image, Inside(display, 3, 7)), QColor(Qt::red));
    }

    void labelShowsItsTextOnlyWhenLit()
    {
        TT7400LED display;
        MakeMainDisplay(display, QSize(1400, 650));
        display.SetSegmentLit(LabelRow, 2, true);
        const QImage image = display.grab().toImage();
        const QRect kg = display.SegmentBounds(LabelRow, 2);
        const QRect lb = display.SegmentBounds(LabelRow, 3);
        QVERIFY(CountColor(image, kg, Lit) > kg.width() * kg.height() / 20);
        QCOMPARE(CountColor(image, lb, Lit), 0);
    }

    void backgroundPictureUnderTheGlass()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("front.bmp");
        QVERIFY(WriteSolidBmp(path, Qt::blue));
        TT7400LED display;
        MakeMainDisplay(display, QSize(784, 368));
        display.SetBackGroundFileName(path);
        QImage image = display.grab().toImage();
        QCOMPARE(Pixel(image, QPoint(5, 5)), QColor(Qt::blue));
        QCOMPARE(Pixel(image, QPoint(780, 364)), QColor(Qt::blue));
        QCOMPARE(Pixel(image, display.GlassRect().topLeft() + QPoint(2, 2)), Unlit);

        // A picture that is replaced shows at the next repaint.
        QVERIFY(WriteSolidBmp(path, Qt::yellow));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        file.close();
        image = display.grab().toImage();
        QCOMPARE(Pixel(image, QPoint(5, 5)), QColor(Qt::yellow));

        // A picture that disappears is simply not painted.
        QVERIFY(QFile::remove(path));
        image = display.grab().toImage();
        QVERIFY(Pixel(image, QPoint(5, 5)) != QColor(Qt::yellow));
    }

    void missingOrBrokenPictureIsNotAnError()
    {
        QTemporaryDir folder;
        const QString broken = folder.filePath("broken.bmp");
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("BM not a picture");
        file.close();
        for (const QString &name : {folder.filePath("missing.bmp"), broken, QString()}) {
            TT7400LED display;
            MakeMainDisplay(display, QSize(400, 186));
            display.SetBackGroundFileName(name);
            display.ShowText("------");
            const QImage image = display.grab().toImage();
            QCOMPARE(Pixel(image, Inside(display, 1, 7)), Lit);
        }
    }

    // The picture is decoded once and scaled once per size, not on every
    // repaint.
    void backgroundIsDecodedOnlyWhenTheFileChanges()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath("front.bmp");
        QVERIFY(WriteSolidBmp(path, Qt::blue));
        TBackgroundPicture picture;
        const qint64 first = picture.Stretched(path, QSize(300, 200)).cacheKey();
        QCOMPARE(picture.Stretched(path, QSize(300, 200)).cacheKey(), first);
        QCOMPARE(picture.Stretched(path, QSize(300, 200)).size(), QSize(300, 200));
        const qint64 resized = picture.Stretched(path, QSize(320, 200)).cacheKey();
        QVERIFY(resized != first);
        QCOMPARE(picture.Stretched(path, QSize(320, 200)).cacheKey(), resized);

        QVERIFY(WriteSolidBmp(path, Qt::green));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        file.close();
        QCOMPARE(picture.Stretched(path, QSize(320, 200)).pixelColor(3, 3), QColor(Qt::green));
        QVERIFY(picture.Stretched(QString(), QSize(320, 200)).isNull());
    }

    // Factors far beyond the control neither crash nor build giant sprites.
    void absurdFactorsStillPaint()
    {
        TT7400LED display;
        MakeMainDisplay(display, QSize(400, 200));
        display.SetLCDXOffsetFactor(-20000);
        display.SetLCDWidthFactor(100000);
        display.SetLCDHeightFactor(60000);
        display.AllSegmentsOn();
        QCOMPARE(display.grab().size(), QSize(400, 200));
        display.SetLCDWidthFactor(std::numeric_limits<int32_t>::max());
        display.SetLCDXOffsetFactor(std::numeric_limits<int32_t>::min());
        QCOMPARE(display.grab().size(), QSize(400, 200));
    }

    void paintSegmentsDrawsOnlyTheSegments()
    {
        TT7400LED display;
        MakeMainDisplay(display, QSize(784, 368));
        display.AllSegmentsOn();
        QImage canvas(display.size(), QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            display.PaintSegments(painter);
        }
        QCOMPARE(Pixel(canvas, Inside(display, 4, 1)), Lit);
        QCOMPARE(Pixel(canvas, display.GlassRect().topLeft() + QPoint(2, 2)), QColor(Qt::white));
        QCOMPARE(Pixel(canvas, QPoint(3, 3)), QColor(Qt::white));
    }
};

QV_TEST_MAIN(TestDisplayPaint)
} // namespace test_displaypaint
#include "test_displaypaint.moc"
