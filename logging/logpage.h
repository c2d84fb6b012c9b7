#pragma once
// The Log page: the chart with its traces and the bottom panel (Start,
// Stop, read-out, comment and the four channel labels). It draws what a
// TLoggingSession holds, paced by a TRedrawPacer, each trace straight from
// the session's columns (TTracePlot), so days of samples arriving at full
// rate never hold up the window.
//
// What the main window wires (it owns the session, the dialog and EditModel,
// all of which outlive the page):
//   TLoggingSession logging(session);            // after TSession
//   TFrmLogDialog logDialog;                      // created once at start-up
//   TLogPage page(logging, logDialog, EditModel);
//   session.LogReply  = [&](qint32 w, qint32 u, qint32 s, qint32 p) { logging.TakeReply(w, u, s, p); };
//   session.LogRecord = [&](quint8 b, qint32 sw, qint32 w) { logging.TakeRecord(b, sw, w); };
//   On selecting the Log page: page.PrepareChart(); session.SetActivity(actLog);
//     (PrepareChart runs the axis set-up with the dialog's choices and
//     focuses the chart); leaving the page does not stop a session.
//   TSLogShow / TSLogHide (the "&Print Log" / "&Print Settings" caption) stay
//   with the window's menu.
//   Edit menu item ChartSetup ("&Setup Chart"): call page.ChartSetupClick().
//   Key preview: FormKeyDown = [&](QKeyEvent *e) { return page.FormKeyDown(e); };
//     it handles Page Up/Down, Home and the arrows only while the page is
//     shown, and returns true for the keys it took.
// The chart itself: a left drag down and to the right of more than 16
// pixels each way zooms to the rectangle, any other drag of that size
// undoes the zoom; a right drag scrolls; Shift + left/right press set the
// two cursors whose read-out shows in LblCsrPos.
// Start is enabled only while no session runs, Stop only while one does.
// Start and Stop need nothing else: Start reads UnitAddress, LoggingState,
// PollingSuspended and the transport from the TSession, the decimal point,
// units, full scales, weigh mode, HighRes and synch filter from EditModel,
// fills LoggedUnits with UnitAddress alone, and shows the dialog through
// Prompts().Exec. The session's polling loop sends the polls.

#include "logging/logprint.h"
#include "logging/redrawpacer.h"

#include <QElapsedTimer>
#include <QWidget>
#include <QBrush>
#include <QPen>
#include <QSharedPointer>
#include <QTimer>
#include <array>
#include <functional>
#include <vector>

class QCustomPlot;
class QCPAxis;
class QCPAxisTickerFixed;
class QLabel;
class QPushButton;
class QMouseEvent;
class QKeyEvent;
class TChartCursors;
class TFrmChartSetup;
class Tdata7410;
class TFrmLogDialog;
class TLoggingSession;
class TTracePlot;

class TLogPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int ZoomDragPixels = 16;

    TLogPage(TLoggingSession &logging, TFrmLogDialog &dialog, const Tdata7410 &editModel,
             QWidget *parent = nullptr);
    ~TLogPage() override;

    void BtnStartClick();
    void BtnStopClick();
    // Axis set-up with reading of the dialog; run when the page is selected.
    void PrepareChart();
    // Draws now what is pending (tests and printing).
    void RedrawNow();
    // The four channel labels as shown, with their colours (printout, image).
    TLogPrintLabels ChannelLabels() const;
    // The Edit menu's "&Setup Chart".
    void ChartSetupClick();
    // The window's key preview; true when the key was the Log page's.
    bool FormKeyDown(QKeyEvent *event);
    // The chart's zoom events (also raised by the keys).
    void ChartZoom();
    void ChartUndoZoom();

    QCustomPlot *Chart = nullptr;
    QPushButton *BtnStart = nullptr;
    QPushButton *BtnStop = nullptr;
    QLabel *LblCsrPos = nullptr;
    QLabel *LblLogComment = nullptr;
    // LblDig1, lblDig2, LblDig3, lbldig4.
    std::array<QLabel *, 4> LblDig{};
    TFrmChartSetup *ChartSetupDialog = nullptr;
    TChartCursors *Cursors = nullptr;
    // One per trace of the session, in its order; the chart owns them.
    std::vector<TTracePlot *> Plots;
    TRedrawPacer Pacer;
    // The status bar's samples per second: "12.0 samples/s" once a second
    // while a session runs, empty when it stops.
    std::function<void(const QString &)> ShowSampleRate;

private:
    TLoggingSession &Logging;
    TFrmLogDialog &Dialog;
    const Tdata7410 &EditModel;
    QTimer RedrawTimer;
    QTimer RateTimer;
    QElapsedTimer RateClock;
    qint64 RateFromSamples = 0;
    QSharedPointer<QCPAxisTickerFixed> TimeTicker;
    bool AxesPending = true;

    void BuildChart();
    QWidget *BuildBottomPanel();
    void RebuildUnitGraphs();
    TTracePlot *AddPlot(size_t trace, QCPAxis *valueAxis, const QColor &colour);
    void ApplyAxes();
    void ApplyTimeLabelStep();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void UpdateChannelLabels();
    void ShowRunning();
    void MeasureSampleRate();
    void ScheduleRedraw();
    void Redraw();
    void ChartMouseDown(QMouseEvent *event);
    void ChartMouseMove(QMouseEvent *event);
    void ChartMouseUp(QMouseEvent *event);
    void ChartRectDragged(const QRect &rect, QMouseEvent *event);
    QPoint DragFrom;
    QPen RectPen;
    QBrush RectBrush;
};
