// Soak run of a streamed logging session against an instrument on a serial
// port (scripts/soak_logging.sh starts the simulated one): the Log page is
// shown and redraws as it would for the user, while every report interval
// prints the samples taken, the resident memory and its growth per sample,
// and the longest stall of the event loop (the gap between two ticks of a
// 5 ms timer, less the 5 ms).
// With --compressed the samples come from no instrument but as fast as the
// intake takes them (replies of a polled unit with four channels, 10 ms
// apart on the session's clock), in batches between which the event loop
// and the page's redraws run; a report every million samples.
// Usage: soak_logging <port> <seconds> [report seconds, default 60]
//        soak_logging --compressed [samples, default 21,600,000]

#include "bench/resident_memory.h"
#include "link/ioiface_serial.h"
#include "link/session.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "settings/database.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <utility>
#include <qcustomplot.h>

namespace {

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// The longest gap between ticks of a short timer, beyond its interval, and
// the most processor time the event loop spent between two ticks: on a
// machine shared with busy programs the first also counts the time the
// loop waited for a core, the second only its own work.
class TStallMeter : public QObject {
public:
    static constexpr int TickMs = 5;
    TStallMeter()
    {
        Ticks.setTimerType(Qt::PreciseTimer);
        Ticks.setInterval(TickMs);
        connect(&Ticks, &QTimer::timeout, this, [this] {
            const double gap = double(Clock.nsecsElapsed()) / 1e6;
            const double cpu = ThreadCpuMs();
            Clock.restart();
            PeriodMax = std::max(PeriodMax, gap - TickMs);
            PeriodMaxWork = std::max(PeriodMaxWork, cpu - LastCpu);
            LastCpu = cpu;
        });
        Clock.start();
        LastCpu = ThreadCpuMs();
        Ticks.start();
    }
    // The period's longest stall and longest work; both start again.
    std::pair<double, double> TakePeriod()
    {
        const std::pair<double, double> m{PeriodMax, PeriodMaxWork};
        PeriodMax = PeriodMaxWork = 0;
        return m;
    }

private:
    QTimer Ticks;
    QElapsedTimer Clock;
    double LastCpu = 0;
    double PeriodMax = 0;
    double PeriodMaxWork = 0;
};

// The machine's one-minute load average: the stalls mean little when other
// programs keep every core busy.
QByteArray LoadAverage()
{
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    return loadavg.open(QIODevice::ReadOnly) ? loadavg.readAll().split(' ').value(0) : QByteArray("?");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2 || (argc < 3 && qstrcmp(argv[1], "--compressed") != 0)) {
        std::fprintf(stderr, "usage: soak_logging <port> <seconds> [report seconds] | --compressed [samples]\n");
        return 2;
    }
    const bool compressed = qstrcmp(argv[1], "--compressed") == 0;
    const QString port = QString::fromLocal8Bit(argv[1]);
    const qint64 compressedSamples = compressed && argc > 2 ? std::max<qint64>(1000, atoll(argv[2])) : 21600000;
    const int seconds = compressed ? 0 : std::max(1, atoi(argv[2]));
    const int reportSeconds = argc > 3 ? std::max(1, atoi(argv[3])) : 60;

    TSession session;
    TLoggingSession logging(session);
    TFrmLogDialog dialog;
    Tdata7410 model;
    TLogPage page(logging, dialog, model);
    page.resize(1200, 800);
    page.show();
    session.LogReply = [&](qint32 w, qint32 u, qint32 s, qint32 p) { logging.TakeReply(w, u, s, p); };
    session.LogRecord = [&](quint8 b, qint32 sw, qint32 w) { logging.TakeRecord(b, sw, w); };

    qint64 clockMs = 0;
    if (compressed) {
        logging.ClockMs = [&clockMs] { return clockMs; };
        session.SetUnitAddress(1);
        page.PrepareChart();
        logging.Begin(TLogChoices{1, {1, 2, 3, 4}}, model);
        session.SetLoggingState(lsPolled);
    } else {
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(port);
        session.InstallAndOpen(std::move(serial));
        if (!session.IsOpen()) {
            std::fprintf(stderr, "could not open %s\n", qPrintable(port));
            return 1;
        }
        session.SetActivity(actLog);
        page.PrepareChart();
        logging.Begin(TLogChoices{0, {1, 2, 3, 4}}, model);   // "Auto": the instrument streams
    }

    const double startMb = ResidentMb();
    if (compressed)
        std::printf("soak: %lld samples as fast as they are taken, a report every million; resident at start %.1f MB\n",
                    static_cast<long long>(compressedSamples), startMb);
    else
        std::printf("soak: %s for %d s, report every %d s; resident at start %.1f MB\n", qPrintable(port), seconds,
                    reportSeconds, startMb);
    std::fflush(stdout);
    TStallMeter stalls;
    // The page's own share of a stall: its longest drawing in the period.
    double longestDraw = 0;
    QObject::connect(page.Chart, &QCustomPlot::afterReplot,
                     [&] { longestDraw = std::max(longestDraw, page.Chart->replotTime(false)); });
    double worst = 0, worstWork = 0;
    int reports = 0;
    // Growth per sample counts from the first report, after the start-up's
    // one-off allocations (first drawing, fonts, buffers).
    double firstMb = 0;
    qint64 firstSamples = 0;
    QElapsedTimer clock;
    clock.start();
    const auto reportNow = [&] {
        ++reports;
        const auto [stall, work] = stalls.TakePeriod();
        worst = std::max(worst, stall);
        worstWork = std::max(worstWork, work);
        const qint64 samples = logging.Points.Size(TLoggingSession::SeriesWeight);
        const double mb = ResidentMb();
        if (reports == 1) {
            firstMb = mb;
            firstSamples = samples;
        }
        const double perSample = samples > firstSamples ? (mb - firstMb) * 1048576.0 / double(samples - firstSamples) : 0;
        std::printf("%6.0f s  samples %9lld (%.1f/s)  resident %8.1f MB (+%.1f MB since start, %.0f B/sample since "
                    "the first report)  longest stall %6.1f ms (worst %6.1f), of it own work %5.1f ms CPU (worst "
                    "%5.1f), longest redraw %5.1f ms, load average %s\n",
                    clock.elapsed() / 1000.0, static_cast<long long>(samples), samples * 1000.0 / clock.elapsed(),
                    mb, mb - startMb, perSample, stall, worst, work, worstWork, longestDraw, LoadAverage().constData());
        longestDraw = 0;
        std::fflush(stdout);
    };
    QTimer report;
    QTimer feed;
    qint64 fed = 0;
    if (compressed) {
        // A batch of replies a turn of the event loop: a few milliseconds of intake.
        QObject::connect(&feed, &QTimer::timeout, [&] {
            for (int i = 0; i < 10000 && fed < compressedSamples; ++i) {
                clockMs += 10;
                logging.TakeReply(qint32((fed * 37) % 4000 - 2000), 1, qint32((fed / 50) & 0x1f2));
                if (++fed % 1000000 == 0)
                    reportNow();
            }
            if (fed >= compressedSamples)
                app.quit();
        });
        feed.start(0);
    } else {
        QObject::connect(&report, &QTimer::timeout, [&] {
            reportNow();
            if (clock.elapsed() + reportSeconds * 500 >= qint64(seconds) * 1000)
                app.quit();
        });
        report.start(reportSeconds * 1000);
    }
    app.exec();
    logging.Stop();
    const qint64 kept = logging.Points.Size(TLoggingSession::SeriesWeight);
    std::printf("soak done: %d reports, worst stall %.1f ms, worst own work between two ticks %.1f ms CPU; %lld samples "
                "held in %.1f MB of columns (%.1f B/sample)\n",
                reports, worst, worstWork, static_cast<long long>(kept),
                double(logging.Points.AllocatedBytes()) / 1048576.0,
                kept > 0 ? double(logging.Points.AllocatedBytes()) / double(kept) : 0.0);
    return 0;
}
