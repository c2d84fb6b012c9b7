// Figures for a long logging session: time per text reply and per binary
// record taken into the traces, the memory per logged sample (weight, unit
// trace and four channels), and the time of one chart redraw with N samples
// (default 10,000,000): the first after the intake, showing the newest
// 10 s and showing all; cursor presses, fitting to the data (Home) and a
// zoom key over those points; the first redraw after the same samples come
// back as a loaded log. Runs offscreen unless a platform is chosen.
// Usage: bench_logging [samples]

#include "bench/resident_memory.h"
#include "bench/stopwatch.h"
#include "link/session.h"
#include "logging/compactlog.h"
#include "logging/logfile.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "settings/database.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdio>
#include <qcustomplot.h>

namespace {
const char *ReplotTime(QCustomPlot &chart, int repeats)
{
    static TStopwatch watch;
    watch.Restart();
    for (int i = 0; i < repeats; ++i)
        chart.replot(QCustomPlot::rpImmediateRefresh);
    return watch.Text(repeats);
}

void PressOnChart(QCustomPlot &chart, QPoint pos, Qt::MouseButton button)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), QPointF(chart.mapToGlobal(pos)), button, button,
                      Qt::ShiftModifier);
    QCoreApplication::sendEvent(&chart, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), QPointF(chart.mapToGlobal(pos)), button,
                        Qt::NoButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&chart, &release);
}

// Cursor presses, the fit-to-data key and a zoom key over the million points.
void MeasureView(TLogPage &page)
{
    constexpr int Presses = 200;
    const QPoint centre = page.Chart->axisRect()->rect().center();
    TStopwatch watch;
    for (int i = 0; i < Presses; ++i)
        PressOnChart(*page.Chart, centre + QPoint(i % 50, i % 30), i % 2 ? Qt::RightButton : Qt::LeftButton);
    std::printf("cursor press with read-out (cross-hair layer only): %s\n", watch.Text(Presses));

    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    watch.Restart();
    page.FormKeyDown(&home);
    page.RedrawNow();   // draws at once
    std::printf("Home (fit to data over every shown trace) with its redraw: %s\n", watch.Text());
    QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    watch.Restart();
    page.FormKeyDown(&pageUp);
    std::printf("Page Up with its redraw: %s\n", watch.Text());
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int Samples = argc > 1 ? std::max(1000, atoi(argv[1])) : 10'000'000;
    TSession session;
    TLoggingSession logging(session);
    TFrmLogDialog dialog;
    Tdata7410 model;
    TLogPage page(logging, dialog, model);
    page.resize(1200, 800);
    page.show();

    qint64 now = 0;
    logging.ClockMs = [&now] { return now; };
    TLogChoices choices;
    choices.Rate = 1;
    choices.Channels = {1, 2, 3, 4};
    session.SetUnitAddress(1);
    logging.Begin(choices, model);
    session.SetLoggingState(lsPolled);

    page.RedrawNow();
    const double mbBefore = ResidentMb();
    TStopwatch watch;
    for (int i = 0; i < Samples; ++i) {
        now += (i % 3 == 0) ? 0 : 10;   // some replies share one clock time
        logging.TakeReply((i * 37) % 4000 - 2000, 1, (i / 50) & 0x1f2);
    }
    std::printf("text reply intake: %d replies, 4 channels + unit trace: %s per 1000 replies\n", Samples,
                watch.Text(Samples / 1000));

    watch.Restart();
    page.RedrawNow();   // draws at once
    std::printf("first redraw after the intake: %s\n", watch.Text());
    const double mbTaken = ResidentMb();
    logging.TimeMax = logging.LastSampleTime;
    logging.TimeMin = logging.TimeMax - 10;
    page.RedrawNow();
    std::printf("replot, newest 10 s (%.0f..%.0f s) of %d samples: %s\n", logging.TimeMin, logging.TimeMax, Samples,
                ReplotTime(*page.Chart, 20));
    logging.TimeMin = 0;
    page.RedrawNow();
    std::printf("replot, all %.0f s shown, %d samples: %s\n", logging.TimeMax, Samples, ReplotTime(*page.Chart, 5));
    const TCompactLog &points = logging.Points;
    std::printf("memory: %.1f bytes per logged sample held (weight, unit trace and four channels in %lld rows, "
                "overviews included), %.1f with the columns' part-filled blocks; resident %.1f MB before, "
                "%.1f MB after: %.1f bytes per sample\n",
                double(points.Bytes()) / Samples, qint64(points.Rows()), double(points.AllocatedBytes()) / Samples,
                mbBefore, mbTaken, (mbTaken - mbBefore) * 1048576.0 / Samples);

    MeasureView(page);

    // The same samples as a loaded log: the first redraw after it.
    session.SetLoggingState(lsStopped);
    TLogFileData data;
    data.Channels = choices.Channels;
    for (int trace = 0; trace <= TLoggingSession::SeriesWeight; ++trace)
        points.ForEach(trace, [&](const TLogPoint &p) { data.Points.Add(trace, p); });
    watch.Restart();
    ApplyLogFile(data, logging);
    std::printf("log of %d samples taken into the traces: %s\n", Samples, watch.Text());
    data = TLogFileData();
    watch.Restart();
    page.RedrawNow();   // draws at once
    std::printf("first redraw after the log was taken: %s\n", watch.Text());
    std::printf("replot, %.0f..%.0f s of the log shown: %s\n", logging.TimeMin, logging.TimeMax,
                ReplotTime(*page.Chart, 5));

    logging.Begin(TLogChoices{0, {1, 2, 0, 0}}, model);
    watch.Restart();
    for (int i = 0; i < Samples; ++i)
        logging.TakeRecord(quint8(i & 0xc3), 0, i % 5000);
    std::printf("binary record intake: %d records, 2 channels: %s per 1000 records\n", Samples,
                watch.Text(Samples / 1000));
    session.SetLoggingState(lsStopped);
    return 0;
}
