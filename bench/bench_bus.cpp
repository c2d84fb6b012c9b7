// Figures for a log of several units on one RS-485 line: kd4620-sim (beside
// this program) plays 1, 4 and 8 units paced at 9600 and 38400 baud, the
// session polls them in turn ("S01;MSV?;", "S02;MSV?;", ...) as a log does,
// and the replies of each unit are counted. Against the wire limit: the
// line carries baud / 10 characters a second, and one poll and its reply
// take the characters of both, so no line gives a unit more than
// (baud / 10) / (poll + reply) / units polls a second (RS-485 is half
// duplex: the poll and its reply take turns on the pair). The simulator
// paces only its replies (a pseudo-terminal carries the host's bytes at
// once), so here a unit can get up to (baud / 10) / reply / units; the
// session's 10 ms poll tick allows 100 polls a second for all units.
// Usage: bench_bus [seconds a run, default 5]

#include "link/ioiface_serial.h"
#include "link/session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

struct TRun {
    bool Ok = false;
    double Seconds = 0;
    QMap<int, qint64> Replies;   // by unit address
    qint64 PollBytes = 0;
    qint64 Polls = 0;
    qint64 ReplyBytes = 0;
    qint64 ReplyLines = 0;
};

TRun Measure(int unitCount, int baud, int seconds)
{
    TRun run;
    QList<int> units;
    QStringList addresses;
    for (int unit = 1; unit <= unitCount; ++unit) {
        units << unit;
        addresses << QString::number(unit);
    }
    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + "/kd4620-sim",
              {"--units", addresses.join(','), "--baud", QString::number(baud)});
    if (!sim.waitForStarted(3000) || !sim.waitForReadyRead(5000)) {
        std::printf("kd4620-sim could not be started\n");
        return run;
    }
    TSession session;
    session.SetUnitAddress(1);
    session.SetBusUnits(units);
    bool started = false;
    session.Connected = [&] {
        session.StartupSequence();
        session.SetActivity(actLog);
        session.SetLoggedUnits(units);
        session.SetLoggingState(lsPolled);
        started = true;
    };
    session.ShowCommand = [&](const QString &command) {
        if (started && command.endsWith(QLatin1String("MSV?;"))) {
            ++run.Polls;
            run.PollBytes += command.size();
        }
    };
    session.ShowReply = [&](const QString &reply) {
        if (started) {
            ++run.ReplyLines;
            run.ReplyBytes += reply.size() + 2; // CR LF
        }
    };
    session.LogReply = [&](qint32, qint32 unit, qint32) { ++run.Replies[unit]; };
    auto serial = std::make_unique<TIOIfaceSerial>();
    serial->SetPortName(QString::fromLocal8Bit(sim.readLine()).trimmed());
    serial->SetBaudRate(baud);
    session.InstallAndOpen(std::move(serial));
    // What the start-up exchanged is not counted.
    run.Replies.clear();
    run.Polls = run.PollBytes = run.ReplyBytes = run.ReplyLines = 0;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    run.Seconds = clock.nsecsElapsed() / 1e9;
    run.Ok = started;
    session.Disconnect();
    sim.terminate();
    sim.waitForFinished(3000);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    std::printf("units  baud   polls/s a unit (least..most)   wire limit a unit   of it   replies alone   tick limit"
                "   bytes poll+reply\n");
    for (const int baud : {9600, 38400}) {
        for (const int units : {1, 4, 8}) {
            const TRun run = Measure(units, baud, seconds);
            if (!run.Ok) {
                std::printf("%5d %5d   no connection\n", units, baud);
                continue;
            }
            qint64 least = -1, most = 0, all = 0;
            for (int unit = 1; unit <= units; ++unit) {
                const qint64 replies = run.Replies.value(unit);
                least = least < 0 ? replies : std::min(least, replies);
                most = std::max(most, replies);
                all += replies;
            }
            const double poll = run.Polls ? double(run.PollBytes) / run.Polls : 9;
            const double reply = run.ReplyLines ? double(run.ReplyBytes) / run.ReplyLines : 18;
            const double limit = baud / 10.0 / (poll + reply) / units;
            const double replies = baud / 10.0 / reply / units;
            const double tick = 1000.0 / TSession::TickMs / units;
            const double rate = all / run.Seconds / units;
            std::printf("%5d %5d   %6.1f (%5.1f..%5.1f)          %6.1f          %4.0f %%   %6.1f          %6.1f"
                        "       %.0f + %.0f\n",
                        units, baud, rate, least / run.Seconds, most / run.Seconds, limit, 100.0 * rate / limit,
                        replies, tick, poll, reply);
        }
    }
    return 0;
}
