// Figures for a long logging session: time per text reply and per binary
// record taken into the traces, the resident memory per logged sample (all
// traces), and the time of one chart redraw with N samples (default
// 10,000,000) in the weight trace and four channel traces, showing the
// newest 10 s and showing all; cursor presses, fitting to the data and a
// zoom key over those points. Runs offscreen unless a platform is chosen.
// Usage: bench_logging [samples]

#include "bench/resident_memory.h"
#include "link/session.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "settings/database.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdio>
#include <qcustomplot.h>

namespace {
double NsPer(qint64 ns, int n) { return double(ns) / n; }

double ReplotMs(QCustomPlot &chart, int repeats)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repeats; ++i)
        chart.replot(QCustomPlot::rpImmediateRefresh);
    return double(timer.nsecsElapsed()) / 1e6 / repeats;
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
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Presses; ++i)
        PressOnChart(*page.Chart, centre + QPoint(i % 50, i % 30), i % 2 ? Qt::RightButton : Qt::LeftButton);
    std::printf("cursor press with read-out (cross-hair layer only): %.3f ms\n",
                double(timer.nsecsElapsed()) / 1e6 / Presses);

    QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    timer.restart();
    page.FormKeyDown(&home);
    std::printf("Home (fit to data over every shown trace): %.2f ms\n", double(timer.nsecsElapsed()) / 1e6);
    QKeyEvent pageUp(QEvent::KeyPress, Qt::Key_PageUp, Qt::NoModifier);
    timer.restart();
    page.FormKeyDown(&pageUp);
    std::printf("Page Up with its redraw: %.2f ms\n", double(timer.nsecsElapsed()) / 1e6);
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int Samples = argc > 1 ? std::max(1000, atoi(argv[1])) : 10'000'000;
    TSession session;
    session.Timer1.stop();
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
    session.UnitAddress = 1;
    logging.Begin(choices, model);
    session.LoggingState = 1;

    page.RedrawNow();
    const double mbBefore = ResidentMb();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Samples; ++i) {
        now += (i % 3 == 0) ? 0 : 10;   // some replies share one clock time
        logging.TakeReply((i * 37) % 4000 - 2000, 1, (i / 50) & 0x1f2);
    }
    const qint64 replyNs = timer.nsecsElapsed();
    std::printf("text reply intake: %d replies, 4 channels + unit trace: %.1f ns per reply (%.0f ms total)\n",
                Samples, NsPer(replyNs, Samples), replyNs / 1e6);

    page.RedrawNow();
    const double mbTaken = ResidentMb();
    std::printf("replot, newest span (%.0f..%.0f s), %d points per trace: %.2f ms\n", logging.TimeMin,
                logging.TimeMax, Samples, ReplotMs(*page.Chart, 20));
    logging.TimeMin = 0;
    logging.TimeMax = logging.LastSampleTime;
    timer.restart();
    page.RedrawNow();
    std::printf("first replot of the whole span (overviews built): %.2f ms\n", timer.nsecsElapsed() / 1e6);
    std::printf("replot, all %.0f s shown, %d points per trace: %.2f ms\n", logging.TimeMax, Samples,
                ReplotMs(*page.Chart, 5));
    const double mbAfter = ResidentMb();
    std::printf("resident memory: %.1f MB before, %.1f MB with the samples, %.1f MB with the overviews drawn: "
                "%.1f bytes per logged sample (weight, unit and four channel traces)\n",
                mbBefore, mbTaken, mbAfter, (mbAfter - mbBefore) * 1048576.0 / Samples);

    MeasureView(page);

    logging.Begin(TLogChoices{0, {1, 2, 0, 0}}, model);
    timer.restart();
    for (int i = 0; i < Samples; ++i)
        logging.TakeRecord(quint8(i & 0xc3), 0, i % 5000);
    const qint64 recordNs = timer.nsecsElapsed();
    std::printf("binary record intake: %d records, 2 channels: %.1f ns per record (%.0f ms total)\n", Samples,
                NsPer(recordNs, Samples), recordNs / 1e6);
    session.LoggingState = 0;
    return 0;
}
