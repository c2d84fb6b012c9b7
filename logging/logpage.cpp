#include "logging/logpage.h"

#include "logging/channelcolours.h"
#include "logging/chartcursors.h"
#include "logging/chartsetup.h"
#include "logging/chartview.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/traceplot.h"
#include "settings/database.h"
#include "ui/prompts.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <qcustomplot.h>

namespace {
// Axis labels in the format of the cursor read-out, "#,##0.###".
template <class TBase>
class TFormattedTicker : public TBase {
protected:
    QString getTickLabel(double tick, const QLocale &, QChar, int) override
    {
        return ChartView::FormatAxisValue(tick);
    }
};
} // namespace

TLogPage::TLogPage(TLoggingSession &logging, TFrmLogDialog &dialog, const Tdata7410 &editModel, QWidget *parent)
    : QWidget(parent), Logging(logging), Dialog(dialog), EditModel(editModel)
{
    setObjectName(QStringLiteral("TSLog"));
    BuildChart();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart, 1);
    layout->addWidget(BuildBottomPanel());

    RedrawTimer.setSingleShot(true);
    connect(&RedrawTimer, &QTimer::timeout, this, [this] {
        if (Pacer.Fire())
            Redraw();
    });
    connect(&Logging, &TLoggingSession::SamplesAdded, this, &TLogPage::ScheduleRedraw);
    connect(&Logging, &TLoggingSession::AxesChanged, this, [this] {
        AxesPending = true;
        ScheduleRedraw();
    });
    connect(&Logging, &TLoggingSession::TracesRebuilt, this, &TLogPage::RebuildUnitGraphs);
    connect(&Logging, &TLoggingSession::ChannelLabelsChanged, this, &TLogPage::UpdateChannelLabels);
    connect(&Logging, &TLoggingSession::FocusChart, this, [this] { Chart->setFocus(); });
    connect(&Logging, &TLoggingSession::RunningChanged, this, &TLogPage::ShowRunning);
    RateTimer.setInterval(1000);
    connect(&RateTimer, &QTimer::timeout, this, &TLogPage::MeasureSampleRate);
    RebuildUnitGraphs();
    ShowRunning();
    ChartSetupDialog = new TFrmChartSetup(Logging, this);
}

void TLogPage::ShowRunning()
{
    const bool running = Logging.Running();
    BtnStart->setEnabled(!running);
    BtnStop->setEnabled(running);
    if (running) {
        RateFromSamples = Logging.PlottedSamples;
        RateClock.start();
        RateTimer.start();
    } else {
        RateTimer.stop();
    }
    if (ShowSampleRate)
        ShowSampleRate(QString());
}

void TLogPage::MeasureSampleRate()
{
    const qint64 ms = RateClock.restart();
    const qint64 samples = Logging.PlottedSamples - RateFromSamples;
    RateFromSamples = Logging.PlottedSamples;
    if (ms > 0 && ShowSampleRate)
        ShowSampleRate(QStringLiteral("%1 samples/s").arg(double(samples) * 1000.0 / double(ms), 0, 'f', 1));
}

TLogPage::~TLogPage()
{
    delete Cursors;
}

void TLogPage::BuildChart()
{
    Chart = new QCustomPlot(this);
    Chart->setObjectName(QStringLiteral("Chart"));
    Chart->setFocusPolicy(Qt::StrongFocus);
    Chart->setBackground(Qt::white);
    Chart->setNoAntialiasingOnDrag(true);
    Chart->xAxis->setLabel(QStringLiteral("Time (secs)"));
    TimeTicker = QSharedPointer<TFormattedTicker<QCPAxisTickerFixed>>::create();
    TimeTicker->setTickStep(10);
    TimeTicker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    Chart->xAxis->setTicker(TimeTicker);
    Chart->xAxis->setSubTicks(false);
    Chart->xAxis->setTickLength(0, 4);
    Chart->yAxis->setLabel(Logging.WeightTitle);
    Chart->yAxis->setTicker(QSharedPointer<TFormattedTicker<QCPAxisTicker>>::create());
    Chart->yAxis->grid()->setPen(QPen(QColor(192, 192, 192)));
    // The channel traces hang on a hidden axis whose range is the weight
    // axis's divided by ChannelScale: their stored levels are drawn scaled
    // without rewriting a single point.
    Chart->yAxis2->setVisible(false);
    for (size_t i = 0; i < TLoggingSession::FirstUnitTrace; ++i) {
        const bool channel = i < size_t(TLoggingSession::SeriesWeight);
        AddPlot(i, channel ? Chart->yAxis2 : Chart->yAxis, channel ? LogChannels::Colour(int(i)) : QColor(Qt::red))
            ->removeFromLegend();
    }
    Chart->legend->setVisible(true);
    auto *legendRow = new QCPLayoutGrid;
    Chart->plotLayout()->addElement(1, 0, legendRow);
    // An empty legend (no session yet) has almost no width; the spacers on
    // either side keep its row, and so the plot above, at the full width.
    legendRow->addElement(0, 0, new QCPLayoutElement(Chart));
    legendRow->addElement(0, 1, Chart->legend);
    legendRow->addElement(0, 2, new QCPLayoutElement(Chart));
    legendRow->setMargins(QMargins(5, 0, 5, 5));
    Chart->legend->setFillOrder(QCPLegend::foColumnsFirst);
    Chart->plotLayout()->setRowStretchFactor(1, 0.001);
    // The rectangle is ours to interpret: its direction decides between
    // zoom and undo, which the control's own zoom mode cannot tell. Being
    // always on, it also spares every press a search of the million points
    // for a trace under the mouse (and the traces cannot be selected, which
    // spares every click).
    Chart->setSelectionRectMode(QCP::srmCustom);
    RectPen = Chart->selectionRect()->pen();
    RectBrush = Chart->selectionRect()->brush();
    connect(Chart->selectionRect(), &QCPSelectionRect::accepted, this, &TLogPage::ChartRectDragged);
    connect(Chart, &QCustomPlot::mousePress, this, &TLogPage::ChartMouseDown);
    connect(Chart, &QCustomPlot::mouseMove, this, &TLogPage::ChartMouseMove);
    connect(Chart, &QCustomPlot::mouseRelease, this, &TLogPage::ChartMouseUp);
    Cursors = new TChartCursors(*Chart);
    // A narrower plot needs a coarser label step.
    Chart->installEventFilter(this);
}

QWidget *TLogPage::BuildBottomPanel()
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("PnlLogBottom"));
    panel->setFixedHeight(41);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(4, 0, 4, 0);
    grid->setVerticalSpacing(0);
    auto label = [panel](const QString &name) {
        auto *l = new QLabel(panel);
        l->setObjectName(name);
        return l;
    };
    LblCsrPos = label(QStringLiteral("LblCsrPos"));
    LblLogComment = label(QStringLiteral("LblLogComment"));
    const std::array<QString, 4> names{"LblDig1", "lblDig2", "LblDig3", "lbldig4"};
    for (int i = 0; i < 4; ++i) {
        LblDig[size_t(i)] = label(names[size_t(i)]);
        LblDig[size_t(i)]->setStyleSheet(QStringLiteral("color: %1").arg(LogChannels::Colour(i).name()));
    }
    grid->addWidget(LblCsrPos, 0, 0);
    grid->addWidget(LblLogComment, 1, 0);
    grid->setColumnStretch(0, 1);
    // Channels 1 and 3 on the upper row, 2 and 4 below them.
    grid->addWidget(LblDig[0], 0, 1);
    grid->addWidget(LblDig[1], 1, 1);
    grid->addWidget(LblDig[2], 0, 2);
    grid->addWidget(LblDig[3], 1, 2);
    BtnStart = new QPushButton(QStringLiteral("Start"), panel);
    BtnStart->setObjectName(QStringLiteral("BtnStart"));
    BtnStop = new QPushButton(QStringLiteral("Stop"), panel);
    BtnStop->setObjectName(QStringLiteral("BtnStop"));
    grid->addWidget(BtnStart, 0, 3, 2, 1);
    grid->addWidget(BtnStop, 0, 4, 2, 1);
    connect(BtnStart, &QPushButton::clicked, this, &TLogPage::BtnStartClick);
    connect(BtnStop, &QPushButton::clicked, this, &TLogPage::BtnStopClick);
    return panel;
}

void TLogPage::BtnStartClick()
{
    if (TOutcome may = Logging.MayStart(); !may) {
        Tell(may);
        return;
    }
    // The dialog's lists are the stored choices: a cancelled one must not
    // reach the next axis set-up.
    const TLogChoices previous = Dialog.Choices();
    Dialog.OfferUnits(Logging.KnownUnits(), Logging.ConnectedUnit());
    Dialog.SetChoices(Logging.CurrentChoices());
    const bool accepted = Prompts().Exec(Dialog) == QDialog::Accepted;
    // The dialog keeps itself open while its units cannot be logged; this
    // holds for any way it was closed.
    const QString problem = accepted ? Dialog.Problem() : QString();
    if (!problem.isEmpty())
        Prompts().Message(problem, TPrompts::Kind::Warning);
    if (!accepted || !problem.isEmpty()) {
        Dialog.SetChoices(previous);
        emit Logging.FocusChart();
        return;
    }
    Logging.Begin(Dialog.Choices(), EditModel);
}

void TLogPage::BtnStopClick()
{
    Logging.Stop();
}

void TLogPage::PrepareChart()
{
    Logging.SetupAxes(Dialog.Choices(), EditModel);
    Chart->setFocus();
}

void TLogPage::RebuildUnitGraphs()
{
    while (Plots.size() > size_t(TLoggingSession::FirstUnitTrace)) {
        Chart->removePlottable(Plots.back());
        Plots.pop_back();
    }
    static const std::array<QColor, 8> palette{QColor(0, 0, 160), QColor(0, 128, 128), QColor(160, 96, 0),
                                               QColor(96, 96, 96), QColor(0, 160, 0), QColor(160, 0, 160),
                                               QColor(0, 96, 192), QColor(128, 128, 0)};
    for (size_t i = TLoggingSession::FirstUnitTrace; i < Logging.Traces.size(); ++i)
        AddPlot(i, Chart->yAxis, palette[(i - TLoggingSession::FirstUnitTrace) % palette.size()]);
    ScheduleRedraw();
}

TTracePlot *TLogPage::AddPlot(size_t trace, QCPAxis *valueAxis, const QColor &colour)
{
    const bool channel = trace < size_t(TLoggingSession::SeriesWeight);
    auto *plot = new TTracePlot(Chart->xAxis, valueAxis, Logging.Points, int(trace), channel);
    plot->setName(Logging.Traces[trace].Title);
    plot->setPen(QPen(colour));
    plot->setAntialiased(false);   // fast lines: smoothing costs more than it shows
    plot->setSelectable(QCP::stNone);
    Plots.push_back(plot);
    return plot;
}

void TLogPage::UpdateChannelLabels()
{
    for (size_t i = 0; i < LblDig.size(); ++i)
        LblDig[i]->setText(LogChannels::LabelText(Logging.Channels[i]));
}

TLogPrintLabels TLogPage::ChannelLabels() const
{
    TLogPrintLabels labels;
    for (size_t i = 0; i < labels.size(); ++i)
        labels[i] = {LblDig[i]->text(), LogChannels::Colour(int(i))};
    return labels;
}

void TLogPage::ApplyAxes()
{
    Chart->xAxis->setRange(Logging.TimeMin, Logging.TimeMax);
    Chart->yAxis->setRange(Logging.WeightMin, Logging.WeightMax);
    Chart->yAxis->setLabel(Logging.WeightTitle);
    const double scale = Logging.ChannelScale > 0 ? Logging.ChannelScale : 1;
    Chart->yAxis2->setRange(Logging.WeightMin / scale, Logging.WeightMax / scale);
}

void TLogPage::ApplyTimeLabelStep()
{
    // The step follows the span shown and the room for its labels, not the
    // step the set-up chose for the first span (which still spaces binary
    // records): Home after an hour of samples must not ask for 3600 labels.
    const QFontMetrics metrics(Chart->xAxis->tickLabelFont());
    // The plot's width from the chart's own (a resize has not yet laid the
    // plot out again) less the margins of the last layout.
    const QMargins margins = Chart->axisRect()->margins();
    const int pixels = Chart->width() - margins.left() - margins.right();
    const double step = ChartView::ReadableLabelStep(
        Logging.TimeMin, Logging.TimeMax, pixels,
        [&metrics](const QString &label) { return metrics.horizontalAdvance(label); });
    TimeTicker->setTickStep(step);
}

bool TLogPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Chart && event->type() == QEvent::Resize)
        ScheduleRedraw();
    return QWidget::eventFilter(watched, event);
}

void TLogPage::ScheduleRedraw()
{
    const int delay = Pacer.Request();
    if (delay >= 0)
        RedrawTimer.start(delay);
}

void TLogPage::Redraw()
{
    if (AxesPending) {
        ApplyAxes();
        AxesPending = false;
    }
    ApplyTimeLabelStep();
    Plots[TLoggingSession::SeriesWeight]->setVisible(Logging.Traces[TLoggingSession::SeriesWeight].Visible);
    Pacer.Drawn(qint64(Chart->replotTime(true)));
    Chart->replot(QCustomPlot::rpQueuedReplot);
}

void TLogPage::RedrawNow()
{
    AxesPending = true;
    Redraw();
    Chart->replot(QCustomPlot::rpImmediateRefresh);
}

void TLogPage::ChartMouseDown(QMouseEvent *event)
{
    const bool right = event->button() == Qt::RightButton;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    // A right press marks the view as the user's: the time axis stops
    // following new samples until the zoom is undone.
    if (right) {
        Logging.ManualView = true;
        DragFrom = event->pos();
        // A right drag scrolls; its rectangle stays invisible.
        Chart->selectionRect()->setPen(Qt::NoPen);
        Chart->selectionRect()->setBrush(Qt::NoBrush);
    }
    if (!(shift && right))
        Cursors->Erase(0);
    Cursors->Erase(1);
    const QPoint pos = event->pos();
    if (shift && (right || event->button() == Qt::LeftButton) && Chart->axisRect()->rect().contains(pos)) {
        const double time = Chart->xAxis->pixelToCoord(pos.x());
        const double weight = Chart->yAxis->pixelToCoord(pos.y());
        Cursors->Draw(right ? 1 : 0, pos, time, weight);
    }
    LblCsrPos->setText(Cursors->Readout(Logging.UnitsText, &Logging));
}

void TLogPage::ChartMouseMove(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::RightButton))
        return;
    const QRect plot = Chart->axisRect()->rect();
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    const QPoint delta = event->pos() - DragFrom;
    DragFrom = event->pos();
    ChartView::ScrollTime(Logging, -delta.x() * (Logging.TimeMax - Logging.TimeMin) / plot.width());
    ChartView::ScrollWeight(Logging, delta.y() * (Logging.WeightMax - Logging.WeightMin) / plot.height());
    // The drag follows the mouse at once; the chart coalesces the repaints.
    AxesPending = true;
    Redraw();
}

void TLogPage::ChartMouseUp(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        Chart->selectionRect()->setPen(RectPen);
        Chart->selectionRect()->setBrush(RectBrush);
    }
}

void TLogPage::ChartRectDragged(const QRect &rect, QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    // The rectangle runs from where the drag began to where it ended.
    const QPoint from = rect.topLeft();
    const QPoint to = rect.bottomRight();
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    if (dx > ZoomDragPixels && dy > ZoomDragPixels) {
        ChartView::ZoomTo(Logging, Chart->xAxis->pixelToCoord(from.x()), Chart->xAxis->pixelToCoord(to.x()),
                          Chart->yAxis->pixelToCoord(to.y()), Chart->yAxis->pixelToCoord(from.y()));
        ChartZoom();
    } else if (std::abs(dx) > ZoomDragPixels && std::abs(dy) > ZoomDragPixels) {
        ChartUndoZoom();
    }
}

void TLogPage::ChartZoom()
{
    // The zoom has already run the axis set-up tail; draw it now.
    RedrawNow();
}

void TLogPage::ChartUndoZoom()
{
    ChartView::UndoZoom(Logging);
    RedrawNow();
}

bool TLogPage::FormKeyDown(QKeyEvent *event)
{
    if (!isVisible())
        return false;
    using ChartView::TKey;
    TKey key;
    switch (event->key()) {
    case Qt::Key_PageUp: key = TKey::PageUp; break;
    case Qt::Key_PageDown: key = TKey::PageDown; break;
    case Qt::Key_Home: key = TKey::Home; break;
    case Qt::Key_Left: key = TKey::Left; break;
    case Qt::Key_Right: key = TKey::Right; break;
    case Qt::Key_Up: key = TKey::Up; break;
    case Qt::Key_Down: key = TKey::Down; break;
    default: return false;
    }
    ChartView::KeyDown(Logging, key, event->modifiers() & Qt::ShiftModifier);
    if (key == TKey::PageUp || key == TKey::PageDown)
        ChartZoom();
    return true;
}

void TLogPage::ChartSetupClick()
{
    // The weight edits take the decimals the instrument's replies show,
    // the pages' until one has come.
    const int decimals = Logging.InstrumentDecimals();
    ChartSetup::Run(*ChartSetupDialog, Logging, *LblLogComment, decimals >= 0 ? decimals : EditModel.DecimalPoint);
    RedrawNow();
    Chart->setFocus();
}
