// Looking at the logging chart: zoom by rectangle and by percentage with
// undo, the navigation keys, fitting to the data, the two cursors and their
// read-out, and the chart set-up dialog with its checks.

#include "link/session.h"
#include "logging/chartcursors.h"
#include "logging/chartsetup.h"
#include "logging/chartview.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "settings/database.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <qcustomplot.h>

// A namespace of its own: the folder's test files are compiled together.
namespace test_chart_view {

namespace {

struct TViewRig {
    TSession Session;
    TLoggingSession Logging{Session};
    TFrmLogDialog Dialog;
    Tdata7410 EditModel;
    TLogPage Page{Logging, Dialog, EditModel};

    TViewRig()
    {
        EditModel.Units = 2;            // kg
        EditModel.DecimalPoint = 2;
        EditModel.FullScale1 = 100000;  // 1000.00 kg
        Page.resize(900, 600);
        Page.show();
        Page.layout()->activate();
        Page.PrepareChart();
        Page.RedrawNow();
    }

    void SetAxes(double t0, double t1, double w0, double w1)
    {
        Logging.TimeMin = t0;
        Logging.TimeMax = t1;
        Logging.WeightMin = w0;
        Logging.WeightMax = w1;
        Page.RedrawNow();
    }

    void Mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent event(type, QPointF(pos), QPointF(Page.Chart->mapToGlobal(pos)), button, held, mods);
        QCoreApplication::sendEvent(Page.Chart, &event);
    }

    void Click(QPoint pos, Qt::MouseButton button, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        Mouse(QEvent::MouseButtonPress, pos, button, button, mods);
        Mouse(QEvent::MouseButtonRelease, pos, button, Qt::NoButton, mods);
    }

    void Drag(QPoint from, QPoint to, Qt::MouseButton button)
    {
        Mouse(QEvent::MouseButtonPress, from, button, button);
        Mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, button);
        Mouse(QEvent::MouseMove, to, Qt::NoButton, button);
        Mouse(QEvent::MouseButtonRelease, to, button, Qt::NoButton);
    }

    bool Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, mods);
        return Page.FormKeyDown(&event);
    }

    QRect Plot() const { return Page.Chart->axisRect()->rect(); }
};

void ExpectAxes(const TLoggingSession &l, double t0, double t1, double w0, double w1)
{
    QCOMPARE(l.TimeMin, t0);
    QCOMPARE(l.TimeMax, t1);
    QCOMPARE(l.WeightMin, w0);
    QCOMPARE(l.WeightMax, w1);
}

std::function<int(QDialog &)> FillSetup(QString t0, QString t1, QString w0, QString w1, QString comment = {})
{
    return [=](QDialog &d) {
        auto &dialog = static_cast<TFrmChartSetup &>(d);
        dialog.EdtTstart->setText(t0);
        dialog.EdtTend->setText(t1);
        dialog.Edtminwgt->setText(w0);
        dialog.EdtMaxWgt->setText(w1);
        if (!comment.isNull())
            dialog.EdtComment->setText(comment);
        dialog.BtnOkClick();
        return dialog.result();
    };
}

} // namespace

class TestChartView : public QObject {
    Q_OBJECT
private slots:
    // Labels and read-outs follow the user's locale; these tests read them in C.
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void percentageZoomKeepsCentreAndUndoRestoresTheFirstRanges()
    {
        TViewRig rig;
        rig.SetAxes(0, 100, -10, 10);
        QVERIFY(rig.Key(Qt::Key_PageUp));
        ExpectAxes(rig.Logging, 25, 75, -5, 5);
        QVERIFY(rig.Logging.Zoomed);
        QCOMPARE(rig.Logging.TimeStep, 5.0);      // the tail ran: step of the span 50
        QVERIFY(rig.Key(Qt::Key_PageDown, Qt::ShiftModifier));
        QVERIFY(rig.Key(Qt::Key_PageDown));
        ExpectAxes(rig.Logging, -50, 150, -20, 20);
        QCOMPARE(rig.Logging.ChannelScale, 40.0 / 15);
        QCOMPARE(rig.Page.Chart->xAxis->range().lower, -50.0);

        // The axis set-up (page shown again, settings read) keeps the zoom.
        rig.Page.PrepareChart();
        QVERIFY(rig.Logging.Zoomed);
        rig.Logging.ManualView = true;
        ChartView::UndoZoom(rig.Logging);
        ExpectAxes(rig.Logging, 0, 100, -10, 10);
        QVERIFY(!rig.Logging.Zoomed);
        QVERIFY(!rig.Logging.ManualView);
        // A new zoom after the undo keeps the ranges of its own start.
        rig.SetAxes(200, 300, -10, 10);
        ChartView::ZoomByPercentage(rig.Logging, 125);
        ChartView::UndoZoom(rig.Logging);
        ExpectAxes(rig.Logging, 200, 300, -10, 10);
    }

    void rectangleDragZoomsDownRightAndUndoesOtherwise()
    {
        TViewRig rig;
        rig.SetAxes(0, 100, -10, 10);
        const QRect plot = rig.Plot();
        const QPoint from = plot.topLeft() + QPoint(100, 50);
        const QPoint to = from + QPoint(200, 150);
        const double t0 = rig.Page.Chart->xAxis->pixelToCoord(from.x());
        const double t1 = rig.Page.Chart->xAxis->pixelToCoord(to.x());
        const double w1 = rig.Page.Chart->yAxis->pixelToCoord(from.y());
        const double w0 = rig.Page.Chart->yAxis->pixelToCoord(to.y());
        rig.Drag(from, to, Qt::LeftButton);
        QVERIFY(rig.Logging.Zoomed);
        ExpectAxes(rig.Logging, t0, t1, w0, w1);

        // Too small a rectangle does nothing either way.
        rig.Drag(from, from + QPoint(16, 40), Qt::LeftButton);
        QVERIFY(rig.Logging.Zoomed);
        rig.Drag(to, from, Qt::LeftButton);     // up and to the left: undo
        QVERIFY(!rig.Logging.Zoomed);
        ExpectAxes(rig.Logging, 0, 100, -10, 10);
    }

    void rightDragScrollsAndHoldsTheView()
    {
        TViewRig rig;
        rig.SetAxes(0, 100, -10, 10);
        const QRect plot = rig.Plot();
        const QPoint from = plot.center();
        const int dx = plot.width() / 4;
        rig.Drag(from, from + QPoint(dx, 0), Qt::RightButton);
        QVERIFY(rig.Logging.ManualView);
        QVERIFY(!rig.Logging.Zoomed);
        const double shift = 100.0 * dx / plot.width();
        QVERIFY2(qAbs(rig.Logging.TimeMin + shift) < 1e-9, qPrintable(QString::number(rig.Logging.TimeMin)));
        QVERIFY(qAbs(rig.Logging.TimeMax - (100 - shift)) < 1e-9);
        QCOMPARE(rig.Logging.WeightMin, -10.0);
    }

    void arrowKeysScrollByATenthOrAWholeSpan()
    {
        TViewRig rig;
        rig.SetAxes(100, 200, -10, 10);
        QVERIFY(rig.Key(Qt::Key_Left, Qt::ShiftModifier));
        ExpectAxes(rig.Logging, 0, 100, -10, 10);
        QVERIFY(rig.Key(Qt::Key_Right));
        ExpectAxes(rig.Logging, 10, 110, -10, 10);
        QVERIFY(rig.Key(Qt::Key_Up));
        ExpectAxes(rig.Logging, 10, 110, -8, 12);
        QVERIFY(rig.Key(Qt::Key_Down, Qt::ShiftModifier));
        ExpectAxes(rig.Logging, 10, 110, -28, -8);
        QVERIFY(!rig.Logging.Zoomed);          // scrolling is no zoom
        QVERIFY(!rig.Key(Qt::Key_A));

        rig.Page.hide();                        // other pages keep their keys
        QVERIFY(!rig.Key(Qt::Key_Left));
        ExpectAxes(rig.Logging, 10, 110, -28, -8);
    }

    void homeFitsTheShownTracesAndCopesWithNoPoints()
    {
        TViewRig rig;
        rig.SetAxes(30, 40, -1, 1);
        // No points: the axes stay usable (no empty spans).
        QVERIFY(rig.Key(Qt::Key_Home));
        QVERIFY(rig.Logging.TimeMax > rig.Logging.TimeMin);
        QVERIFY(rig.Logging.WeightMax > rig.Logging.WeightMin);
        QCOMPARE(rig.Logging.TimeMin, 0.0);

        const auto weight = [&](double t, double w) { rig.Logging.AddPoint(TLoggingSession::SeriesWeight, {t, w}); };
        weight(0, 5);
        weight(250, 5);      // flat: still a band around it
        QVERIFY(rig.Key(Qt::Key_Home));
        ExpectAxes(rig.Logging, 0, 250, 4.5, 5.5);

        weight(300, 25);
        QVERIFY(rig.Key(Qt::Key_Home));
        ExpectAxes(rig.Logging, 0, 300, 3, 27);
        // A channel level counts as drawn: times the channel scale.
        rig.Logging.ChannelScale = 10;
        rig.Logging.AddPoint(3, TLogPoint(10, 5.5));
        QVERIFY(rig.Key(Qt::Key_Home));
        ExpectAxes(rig.Logging, 0, 300, 0, 60);
        // The fit changes the view only: the label step that spaces binary
        // records stays, and the labels are thinned out instead.
        const double step = rig.Logging.TimeStep;
        weight(100000, 25);
        QVERIFY(rig.Key(Qt::Key_Home));
        QCOMPARE(rig.Logging.TimeStep, step);
        rig.Page.RedrawNow();
        QVERIFY(rig.Page.Chart->xAxis->tickVector().size() <= 20);
    }

    void cursorsReadOutOnePointAndTheDifference()
    {
        TViewRig rig;
        // Without a session the legend is empty, yet the plot spans the page.
        QVERIFY(rig.Plot().width() > rig.Page.width() * 3 / 4);
        // Ranges of 0.1 per pixel that put 12.5 s and 3.2 kg on whole pixels
        // (again once the new labels have settled the margins).
        for (int i = 0; i < 3; ++i) {
            const int w = rig.Plot().width(), h = rig.Plot().height();
            rig.SetAxes(12.5 - 0.1 * (w / 2), 12.5 - 0.1 * (w / 2) + 0.1 * w, 3.2 - 0.1 * (h / 2),
                        3.2 - 0.1 * (h / 2) + 0.1 * h);
        }
        const QRect plot = rig.Plot();
        const QPoint at(qRound(rig.Page.Chart->xAxis->coordToPixel(12.5)),
                        qRound(rig.Page.Chart->yAxis->coordToPixel(3.2)));
        QVERIFY(plot.contains(at));
        rig.Click(at, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(rig.Page.LblCsrPos->text(), QString("3.2 kg   at   12.5 sec"));
        QVERIFY(!rig.Logging.ManualView);

        rig.Click(at + QPoint(-30, 12), Qt::RightButton, Qt::ShiftModifier);
        QCOMPARE(rig.Page.LblCsrPos->text(), QString("1.2 kg   over   3 secs"));
        QVERIFY(rig.Logging.ManualView);
        // Another Shift + right press moves cursor 2.
        rig.Click(at + QPoint(20, -5), Qt::RightButton, Qt::ShiftModifier);
        QCOMPARE(rig.Page.LblCsrPos->text(), QString("0.5 kg   over   2 secs"));

        // The cross-hairs outlast a repaint: cursor 1's vertical line and
        // cursor 2's horizontal one are in the picture, across the plot.
        rig.Page.RedrawNow();
        QCOMPARE(rig.Page.LblCsrPos->text(), QString("0.5 kg   over   2 secs"));
        const QImage shot = rig.Page.Chart->grab().toImage();
        auto marked = [&shot](QPoint from, QPoint step, int count) {
            int found = 0;
            for (QPoint p = from; count-- > 0; p += step)
                for (const QPoint near : {p, p + QPoint(step.y(), step.x()), p - QPoint(step.y(), step.x())})
                    if (shot.pixelColor(near) == TChartCursors::Colour()) {
                        ++found;
                        break;
                    }
            return found;
        };
        QVERIFY(marked(QPoint(at.x(), plot.top() + 2), QPoint(0, 1), plot.height() - 4) > plot.height() * 3 / 4);
        QVERIFY(marked(QPoint(plot.left() + 2, at.y() - 5), QPoint(1, 0), plot.width() - 4) > plot.width() * 3 / 4);
        // Cursor 1 is still there for the next Shift + right press.
        rig.Click(at, Qt::RightButton, Qt::ShiftModifier);
        QCOMPARE(rig.Page.LblCsrPos->text(), QString("0 kg   over   0 secs"));

        rig.Click(at, Qt::LeftButton, Qt::ShiftModifier);
        rig.Click(at, Qt::LeftButton);
        QCOMPARE(rig.Page.LblCsrPos->text(), QString());
        // Outside the plot area no cursor is set.
        rig.Click(QPoint(2, 2), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(rig.Page.LblCsrPos->text(), QString());
    }

    void timeLabelsStayReadableAtEverySpan_data()
    {
        QTest::addColumn<double>("t0");
        QTest::addColumn<double>("t1");
        QTest::newRow("1 s") << 0.0 << 1.0;
        QTest::newRow("Home after 33 s") << 0.0 << 33.0;
        QTest::newRow("Home after 50 s") << 0.0 << 50.0;
        QTest::newRow("zoomed to 7 s") << 12.0 << 19.0;
        QTest::newRow("scrolled to hour 10") << 35990.0 << 36000.0;
        QTest::newRow("an hour") << 0.0 << 3600.0;
        QTest::newRow("10 hours") << 0.0 << 36000.0;
    }
    void timeLabelsStayReadableAtEverySpan()
    {
        QFETCH(double, t0);
        QFETCH(double, t1);
        TViewRig rig;   // "Auto": the set-up's label step is 1 s
        rig.Page.resize(400, 300);
        rig.Page.layout()->activate();
        rig.SetAxes(t0, t1, -10, 10);
        rig.Page.RedrawNow();   // again, once the margins have met the labels
        const QCPAxis &axis = *rig.Page.Chart->xAxis;
        const QFontMetrics metrics(axis.tickLabelFont());
        QVector<double> shown;
        int widest = 0;
        for (int i = 0; i < axis.tickVector().size(); ++i)
            if (axis.range().contains(axis.tickVector()[i])) {
                shown << axis.coordToPixel(axis.tickVector()[i]);
                widest = std::max(widest, metrics.horizontalAdvance(axis.tickVectorLabels()[i]));
            }
        QVERIFY2(shown.size() >= 2, qPrintable(QString::number(shown.size())));
        // Neighbouring labels keep at least a digit's width apart.
        QVERIFY2(shown[1] - shown[0] >= widest + metrics.horizontalAdvance('0'),
                 qPrintable(QStringLiteral("%1 labels of %2 px").arg(shown.size()).arg(widest)));
    }

    void axisValuesAreGroupedWithUpToThreeDecimals()
    {
        using ChartView::FormatAxisValue;
        QCOMPARE(FormatAxisValue(1234567.891, QLocale::c()), QString("1,234,567.891"));
        QCOMPARE(FormatAxisValue(-1234.5, QLocale::c()), QString("-1,234.5"));
        QCOMPARE(FormatAxisValue(-1234.5, QLocale(QLocale::German)), QString("-1.234,5"));
        QCOMPARE(FormatAxisValue(999.9996), QString("1,000"));
        QCOMPARE(FormatAxisValue(-0.0001), QString("0"));
        QCOMPARE(FormatAxisValue(12), QString("12"));
        QCOMPARE(FormatAxisValue(-123), QString("-123"));
        // The chart's own axis labels use the same format.
        TViewRig rig;
        rig.SetAxes(0, 5000, -2500, 2500);
        QVERIFY(rig.Page.Chart->xAxis->tickVectorLabels().contains("1,000"));
        QVERIFY(rig.Page.Chart->yAxis->tickVectorLabels().contains("-2,000"));
    }

    void tracesDrawTheirExtremesAndBreaks_data()
    {
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<double>("spikeAt");   // the view's spike; NaN when none is in view
        QTest::addColumn<double>("silentAt");  // a time inside the silence; NaN when none is in view
        QTest::newRow("every point") << 495.0 << 505.0 << 500.0 << qQNaN();
        QTest::newRow("silence, every point") << 990.0 << 1010.0 << qQNaN() << 1005.0;
        QTest::newRow("overview columns") << 0.0 << 5000.0 << 500.0 << 2500.0;
    }

    // 200,000 samples of 0 and 1 with one spike of 99 and a silence from
    // 1000 to 4000 s: the spike reaches its height and no line crosses the
    // silence, whether the view draws every point or the overview; a value
    // far beyond any axis draws without harm.
    void tracesDrawTheirExtremesAndBreaks()
    {
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(double, spikeAt);
        QFETCH(double, silentAt);
        TViewRig rig;
        for (int i = 0; i < 200'000; ++i) {
            if (i == 100'000)
                rig.Logging.AddPoint(TLoggingSession::SeriesWeight, TLogPoint(2500, qQNaN()));
            const double t = (i < 100'000 ? 0 : 3000) + i * 0.01;
            const double value = i == 50'000 ? 99 : i == 150'000 ? 1e300 : i % 2;   // 1e300: hand-edited
            rig.Logging.AddPoint(TLoggingSession::SeriesWeight, TLogPoint(t, value));
        }
        rig.SetAxes(from, to, -10, 110);
        const QImage image = rig.Page.Chart->toPixmap().toImage();
        const QRect plot = rig.Page.Chart->axisRect()->rect();
        const auto redIn = [&](double t, int top, int bottom) {
            const int x = int(rig.Page.Chart->xAxis->coordToPixel(t));
            for (int dx = -1; dx <= 1; ++dx)
                for (int y = std::max(top, plot.top()); y <= std::min(bottom, plot.bottom()); ++y)
                    if (image.pixelColor(x + dx, y) == QColor(Qt::red))
                        return true;
            return false;
        };
        if (!std::isnan(spikeAt)) {
            const int y = int(rig.Page.Chart->yAxis->coordToPixel(99));
            QVERIFY(redIn(spikeAt, y - 2, y + 2));
        }
        if (!std::isnan(silentAt))
            QVERIFY(!redIn(silentAt, plot.top(), plot.bottom()));
    }

    void setupDialogSetsTheAxesAndComment()
    {
        TViewRig rig;
        TScriptedPrompts prompts;
        TScopedPrompts scope(&prompts);
        rig.SetAxes(0, 20, -10, 10);
        rig.Page.LblLogComment->setText("old");
        TFrmChartSetup *dialog = rig.Page.ChartSetupDialog;
        QCOMPARE(dialog->windowTitle(), QString("Chart Setup"));

        QStringList filled;
        prompts.DialogAnswers.push_back([&](QDialog &d) {
            // Filled from the chart before it shows.
            auto &setup = static_cast<TFrmChartSetup &>(d);
            filled << setup.EdtTstart->text() << setup.EdtTend->text() << setup.Edtminwgt->text()
                   << setup.EdtMaxWgt->text() << setup.LblMaxUnits->text() << setup.EdtComment->text()
                   << QString::number(setup.WeightDecimals());
            return FillSetup("50", "80", "-2.5", "7.25", "batch 7")(d);
        });
        rig.Page.ChartSetupClick();
        QCOMPARE(filled, (QStringList{"0.00", "20.00", "-10.00", "10.00", "kg", "old", "2"}));
        ExpectAxes(rig.Logging, 50, 80, -2.5, 7.25);
        QCOMPARE(rig.Page.LblLogComment->text(), QString("batch 7"));
        QCOMPARE(rig.Page.Chart->xAxis->range().lower, 50.0);
        QCOMPARE(rig.Page.Chart->yAxis->range().upper, 7.25);

        // Cancel changes nothing.
        prompts.DialogAnswers.push_back([](QDialog &d) {
            static_cast<TFrmChartSetup &>(d).EdtComment->setText("other");
            return int(QDialog::Rejected);
        });
        rig.Page.ChartSetupClick();
        ExpectAxes(rig.Logging, 50, 80, -2.5, 7.25);
        QCOMPARE(rig.Page.LblLogComment->text(), QString("batch 7"));
    }

    void setupOkRefusesBoundsOutOfOrder()
    {
        TViewRig rig;
        TScriptedPrompts prompts;
        TScopedPrompts scope(&prompts);
        rig.SetAxes(0, 20, -10, 10);
        prompts.DialogAnswers.push_back(FillSetup("30", "30", "0", "5"));
        rig.Page.ChartSetupClick();
        prompts.DialogAnswers.push_back(FillSetup("0", "30", "5", "5"));
        rig.Page.ChartSetupClick();
        QCOMPARE(prompts.History.size(), size_t(4));
        QCOMPARE(prompts.History[1].text, QString("Start time MUST be less than End time!"));
        QCOMPARE(prompts.History[1].kind, TPrompts::Kind::Warning);
        QCOMPARE(prompts.History[3].text, QString("Min weight MUST be less than Max weight!"));
        ExpectAxes(rig.Logging, 0, 20, -10, 10);
    }

    void editsFilterKeysAndCheckTheirRange()
    {
        TViewRig rig;
        TScriptedPrompts prompts;
        TScopedPrompts scope(&prompts);
        TFrmChartSetup &d = *rig.Page.ChartSetupDialog;
        d.SetWeightDecimals(2);
        auto key = [](int k, const QString &text) { return QKeyEvent(QEvent::KeyPress, k, Qt::NoModifier, text); };
        QKeyEvent letter = key(Qt::Key_A, "a"), slash = key(Qt::Key_Slash, "/"), digit = key(Qt::Key_5, "5"),
                  minus = key(Qt::Key_Minus, "-"), back = key(Qt::Key_Backspace, "\b");
        QVERIFY(d.EdtXaxisKeyPress(d.EdtTend, &letter));
        QVERIFY(d.EdtYaxisKeyPress(d.EdtMaxWgt, &slash));
        QVERIFY(!d.EdtXaxisKeyPress(d.EdtTend, &digit));
        QVERIFY(!d.EdtYaxisKeyPress(d.EdtMaxWgt, &minus));
        QVERIFY(!d.EdtYaxisKeyPress(d.EdtMaxWgt, &back));
        d.EdtMaxWgt->setText("12.5");
        QKeyEvent enter = key(Qt::Key_Return, "\r");
        QVERIFY(d.EdtYaxisKeyPress(d.EdtMaxWgt, &enter));
        QCOMPARE(d.EdtMaxWgt->text(), QString("12.50"));
        d.EdtTend->setText("12.9");
        QVERIFY(d.EdtXaxisKeyPress(d.EdtTend, &enter));
        QCOMPARE(d.EdtTend->text(), QString("12"));

        d.EdtTstart->setText("0.00");           // the value the dialog itself proposes
        QVERIFY(d.EdtXaxisExit(d.EdtTstart));
        QCOMPARE(d.EdtTstart->text(), QString("0"));
        d.EdtTend->setText("259200");           // three days of a log
        QVERIFY(d.EdtXaxisExit(d.EdtTend));
        d.EdtTend->setText("2592001");
        QVERIFY(!d.EdtXaxisExit(d.EdtTend));
        d.Edtminwgt->setText("-10000");
        QVERIFY(!d.EdtYaxisExit(d.Edtminwgt));
        QCOMPARE(d.Edtminwgt->text(), QString("-10000.00"));
        d.Edtminwgt->setText("-9999.99");
        QVERIFY(d.EdtYaxisExit(d.Edtminwgt));
        QCOMPARE(prompts.History.size(), size_t(2));
        QCOMPARE(prompts.History[0].text, QString("Out of Range: (0 to 2592000)"));
        QCOMPARE(prompts.History[1].text, QString("Out of Range: (-9999.99 to 9999.99)"));
        QCOMPARE(prompts.History[1].kind, TPrompts::Kind::Error);
    }

    void leavingAnEditChecksItUnlessCancelTakesTheFocus()
    {
        TViewRig rig;
        TScriptedPrompts prompts;
        TScopedPrompts scope(&prompts);
        TFrmChartSetup &d = *rig.Page.ChartSetupDialog;
        d.show();
        QApplication::setActiveWindow(&d);
        QVERIFY(QTest::qWaitForWindowActive(&d));
        d.EdtTend->setFocus();
        d.EdtTend->setText("9999999");
        d.EdtComment->setFocus();
        QTRY_COMPARE(prompts.History.size(), size_t(1));
        QCOMPARE(prompts.History[0].text, QString("Out of Range: (0 to 2592000)"));
        QTRY_VERIFY(d.EdtTend->hasFocus());
        d.BtnCancel->setFocus();                // on its way to Cancel: no complaint
        QTest::qWait(20);
        QCOMPARE(prompts.History.size(), size_t(1));
        d.hide();
    }

    void anAcceptWithBoundsOutOfOrderChangesNoAxis()
    {
        TViewRig rig;
        TScriptedPrompts prompts;
        TScopedPrompts scope(&prompts);
        rig.SetAxes(0, 20, -10, 10);
        prompts.DialogAnswers.push_back([](QDialog &d) {
            auto &setup = static_cast<TFrmChartSetup &>(d);
            setup.EdtTstart->setText("90");
            setup.EdtTend->setText("10");
            return int(QDialog::Accepted);
        });
        rig.Page.ChartSetupClick();
        ExpectAxes(rig.Logging, 0, 20, -10, 10);
        QVERIFY(rig.Page.findChild<TFrmChartSetup *>("FrmChartSetup"));
    }

    void autoProposesFromTheShownTraces()
    {
        TViewRig rig;
        TFrmChartSetup &d = *rig.Page.ChartSetupDialog;
        d.BtnAutoClick();                       // no points: zeros, no fault
        QCOMPARE(d.EdtTend->text(), QString("0.00"));
        QCOMPARE(d.EdtMaxWgt->text(), QString("0.00"));
        rig.Logging.AddPoint(TLoggingSession::SeriesWeight, TLogPoint(1, -20));
        rig.Logging.AddPoint(TLoggingSession::SeriesWeight, TLogPoint(42.5, 80));
        d.BtnAutoClick();
        QCOMPARE(d.EdtTstart->text(), QString("0"));
        QCOMPARE(d.EdtTend->text(), QString("42.50"));
        QCOMPARE(d.EdtMaxWgt->text(), QString("90.00"));
        QCOMPARE(d.Edtminwgt->text(), QString("-30.00"));
    }
};

QV_TEST_MAIN(TestChartView)
} // namespace test_chart_view
#include "test_chart_view.moc"
