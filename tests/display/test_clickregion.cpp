#include "display/mouseregion.h"
#include "display/u7400led.h"
#include "support/testmain.h"

#include <vector>

// A namespace of its own: the folder's test files are compiled together.
namespace test_clickregion {

namespace {

struct TPress {
    int32_t Id;
    QString Handler;
};

// A region whose four handlers record which of them ran.
void AddRecorded(TClickRegion &regions, std::vector<TPress> &log, int32_t id, QRect r)
{
    auto recorder = [&log](const char *name) {
        return [&log, name](int32_t pressed, Qt::KeyboardModifiers) { log.push_back({pressed, name}); };
    };
    regions.AddRegion(r.left(), r.top(), r.right(), r.bottom(), id, recorder("plain"), recorder("shift"),
                      recorder("ctrl"), recorder("alt"));
}

// The main display's keys as the main window sets them.
void SetFrontKeys(TT7400LED &display)
{
    for (int k = 1; k <= 4; ++k)
        display.SetRegionRect(k, {100 + 98 * (k - 1), 260, 92 + 98 * k, 350});
    display.SetRegionRect(5, {520, 320, 560, 370});
}

} // namespace

class TestClickRegion : public QObject {
    Q_OBJECT

private slots:
    void overlappingRegionsAllFireNewestFirst()
    {
        TClickRegion regions;
        std::vector<TPress> log;
        AddRecorded(regions, log, 1, QRect(QPoint(0, 0), QPoint(50, 50)));
        AddRecorded(regions, log, 2, QRect(QPoint(40, 40), QPoint(90, 90)));
        AddRecorded(regions, log, 3, QRect(QPoint(45, 0), QPoint(60, 100)));
        regions.MouseDownAt(45, 45, Qt::NoModifier);
        QCOMPARE(log.size(), size_t(3));
        QCOMPARE(log[0].Id, 3);
        QCOMPARE(log[1].Id, 2);
        QCOMPARE(log[2].Id, 1);
        log.clear();
        regions.MouseDownAt(10, 10, Qt::NoModifier);
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(log[0].Id, 1);
    }

    void edgesAreInclusive()
    {
        TClickRegion regions;
        std::vector<TPress> log;
        AddRecorded(regions, log, 7, QRect(QPoint(10, 20), QPoint(30, 40)));
        for (const QPoint inside : {QPoint(10, 20), QPoint(30, 40), QPoint(10, 40), QPoint(30, 20)})
            regions.MouseDownAt(inside.x(), inside.y(), Qt::NoModifier);
        QCOMPARE(log.size(), size_t(4));
        for (const QPoint outside : {QPoint(9, 20), QPoint(31, 40), QPoint(10, 19), QPoint(30, 41)})
            regions.MouseDownAt(outside.x(), outside.y(), Qt::NoModifier);
        QCOMPARE(log.size(), size_t(4));
    }

    void modifierChoosesTheHandler_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("handler");
        QTest::newRow("none") << int(Qt::NoModifier) << "plain";
        QTest::newRow("shift") << int(Qt::ShiftModifier) << "shift";
        QTest::newRow("ctrl") << int(Qt::ControlModifier) << "ctrl";
        QTest::newRow("alt") << int(Qt::AltModifier) << "alt";
        QTest::newRow("shift wins over ctrl and alt")
            << int(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier) << "shift";
        QTest::newRow("ctrl wins over alt") << int(Qt::ControlModifier | Qt::AltModifier) << "ctrl";
        QTest::newRow("keypad flag alone is plain") << int(Qt::KeypadModifier) << "plain";
    }

    void modifierChoosesTheHandler()
    {
        QFETCH(int, modifiers);
        QFETCH(QString, handler);
        TClickRegion regions;
        std::vector<TPress> log;
        AddRecorded(regions, log, 4, QRect(0, 0, 10, 10));
        regions.MouseDownAt(5, 5, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(log[0].Handler, handler);
    }

    void missingHandlerIsSkippedOthersStillFire()
    {
        TClickRegion regions;
        std::vector<TPress> log;
        AddRecorded(regions, log, 1, QRect(0, 0, 10, 10));
        regions.AddRegion(0, 0, 10, 10, 2, nullptr, nullptr, nullptr, nullptr);
        regions.MouseDownAt(5, 5, Qt::ControlModifier);
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(log[0].Id, 1);
    }

    void disabledAndRemovedRegionsDoNothing()
    {
        TClickRegion regions;
        std::vector<TPress> log;
        AddRecorded(regions, log, 1, QRect(0, 0, 10, 10));
        AddRecorded(regions, log, 1, QRect(20, 0, 10, 10));
        AddRecorded(regions, log, 2, QRect(0, 0, 10, 10));
        regions.Enabled = false;
        regions.MouseDownAt(5, 5, Qt::NoModifier);
        QVERIFY(log.empty());
        regions.Enabled = true;
        regions.RemoveRegion(1);
        QCOMPARE(regions.Count(), 1);
        regions.MouseDownAt(5, 5, Qt::NoModifier);
        regions.MouseDownAt(25, 5, Qt::NoModifier);
        QCOMPARE(log.size(), size_t(1));
        QCOMPARE(log[0].Id, 2);
    }

    // A handler may rebuild the very list it was called from (a key that
    // opens a dialog during which the window is resized).
    void handlerMayRebuildTheList()
    {
        TClickRegion regions;
        int calls = 0;
        auto rebuild = [&](int32_t, Qt::KeyboardModifiers) {
            ++calls;
            regions.RemoveRegion(1);
            regions.RemoveRegion(2);
            regions.AddRegion(0, 0, 10, 10, 1, nullptr, nullptr, nullptr, nullptr);
        };
        regions.AddRegion(0, 0, 10, 10, 1, rebuild, nullptr, nullptr, nullptr);
        regions.AddRegion(0, 0, 10, 10, 2, rebuild, nullptr, nullptr, nullptr);
        regions.MouseDownAt(5, 5, Qt::NoModifier);
        QCOMPARE(calls, 2);
    }

    void frontKeysFireTheirOwnHandlers()
    {
        TT7400LED display;
        SetFrontKeys(display);
        display.resize(600, 400);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        QStringList fired;
        for (int k = 1; k <= 4; ++k) {
            display.SetOnRegionClick(k, [&fired, k] { fired << QString("click%1").arg(k); });
            display.SetOnRegionShiftClick(k, [&fired, k] { fired << QString("shift%1").arg(k); });
        }
        QTest::mouseClick(&display, Qt::LeftButton, Qt::ControlModifier, QPoint(341, 305));
        QCOMPARE(fired, QStringList{"shift3"});
        QTest::mouseClick(&display, Qt::LeftButton, Qt::NoModifier, QPoint(145, 305));
        QTest::mouseClick(&display, Qt::RightButton, Qt::AltModifier, QPoint(439, 305));
        QTest::mouseClick(&display, Qt::LeftButton, Qt::ShiftModifier, QPoint(243, 305));
        QCOMPARE(fired, (QStringList{"shift3", "click1", "shift4", "shift2"}));
        QTest::mouseClick(&display, Qt::LeftButton, Qt::NoModifier, QPoint(194, 305));   // between keys
        QTest::mouseClick(&display, Qt::LeftButton, Qt::NoModifier, QPoint(540, 340));   // region 5: no handler
        QCOMPARE(fired.size(), 4);
    }

    void keyRegionsFollowTheSize()
    {
        TT7400LED display;
        SetFrontKeys(display);
        display.resize(1200, 800);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        int presses = 0;
        display.SetOnRegionClick(1, [&presses] { ++presses; });
        // Region 1 spans 100..190 × 260..350 design units: 200..380 × 520..700 here.
        for (const QPoint hit : {QPoint(200, 520), QPoint(380, 700), QPoint(290, 610)})
            QTest::mouseClick(&display, Qt::LeftButton, Qt::NoModifier, hit);
        QCOMPARE(presses, 3);
        for (const QPoint miss : {QPoint(199, 600), QPoint(381, 600), QPoint(290, 519), QPoint(290, 701)})
            QTest::mouseClick(&display, Qt::LeftButton, Qt::NoModifier, miss);
        QCOMPARE(presses, 3);

        display.resize(300, 200);
        QTRY_COMPARE(display.size(), QSize(300, 200));
        QTest::mouseClick(&display, Qt::LeftButton, Qt::NoModifier, QPoint(50, 130));
        QCOMPARE(presses, 4);
        QTest::mouseClick(&display, Qt::LeftButton, Qt::NoModifier, QPoint(200, 520));
        QCOMPARE(presses, 4);
    }

    void overlappingKeysFireHigherIdFirst()
    {
        TT7400LED display;
        display.SetRegionRect(3, {0, 0, 300, 200});
        display.SetRegionRect(7, {100, 100, 400, 300});
        display.UpdateLayout();
        display.resize(600, 400);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        QStringList fired;
        display.SetOnRegionClick(3, [&fired] { fired << "3"; });
        display.SetOnRegionClick(7, [&fired] { fired << "7"; });
        QTest::mouseClick(&display, Qt::LeftButton, Qt::NoModifier, QPoint(150, 150));
        QCOMPARE(fired, (QStringList{"7", "3"}));
    }

    void handlerMayResizeTheDisplay()
    {
        TT7400LED display;
        SetFrontKeys(display);
        display.resize(600, 400);
        display.show();
        QVERIFY(QTest::qWaitForWindowExposed(&display));
        int presses = 0;
        display.SetOnRegionClick(1, [&] {
            ++presses;
            display.resize(display.width() + 10, display.height() + 10);
            display.UpdateLayout();
        });
        QTest::mouseClick(&display, Qt::LeftButton, Qt::NoModifier, QPoint(145, 305));
        QCOMPARE(presses, 1);
    }

    void regionNumbersOutsideOneToTwentyAreIgnored()
    {
        TT7400LED display;
        display.SetRegionRect(0, {0, 0, 600, 400});
        display.SetRegionRect(21, {0, 0, 600, 400});
        QCOMPARE(display.RegionRect(21).Right, 0);
        bool fired = false;
        display.SetOnRegionClick(21, [&fired] { fired = true; });
        display.RegionPressed(21, Qt::NoModifier);
        display.RegionPressed(0, Qt::NoModifier);
        QVERIFY(!fired);
    }
};

QV_TEST_MAIN(TestClickRegion)
} // namespace test_clickregion
#include "test_clickregion.moc"
