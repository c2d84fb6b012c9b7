// Figures for the instrument link:
//  1. display polls per second over a pseudo-terminal against an instrument
//     that answers at once (the 10 ms timer allows 100);
//  2. throughput of the receive path (bytes -> replies -> parsed fields) for
//     a stream of weight replies, in MB/s;
//  3. the display polls against kd4620-sim (beside this program) paced at
//     1200 baud: polls against replies, how long a load change takes to show,
//     and whether a question asked afterwards gets its own answer.
// Usage: bench_link [seconds for the poll runs, default 5]

#include "link/comms.h"
#include "link/ioiface_serial.h"
#include "link/receiver.h"
#include "link/session.h"
#include "link/test_session_fake.h"
#include "link/test_session_instrument.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {

void PollRate(int seconds)
{
    TScriptedInstrument instrument;
    if (!instrument.Peer().IsValid()) {
        std::printf("poll rate: no pseudo-terminal (%s)\n", qPrintable(instrument.Peer().ErrorString()));
        return;
    }
    instrument.KeepEvents = false;
    TSession session;
    qint64 displayed = 0;
    session.DisplayReply = [&](bool) { ++displayed; };
    session.Connected = [&] {
        session.SetActivity(actDisplay);
        session.StartupSequence();
    };
    auto serial = std::make_unique<TIOIfaceSerial>();
    serial->SetPortName(instrument.Peer().SlavePath());
    session.InstallAndOpen(std::move(serial));
    if (!session.IsOpen()) {
        std::printf("poll rate: could not open %s\n", qPrintable(instrument.Peer().SlavePath()));
        return;
    }
    // Polls: "MSV?;" is one command, "S99;ESR?;" two.
    const qint64 commandsBefore = instrument.CommandCount;
    const qint64 displayedBefore = displayed;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double elapsed = clock.nsecsElapsed() / 1e9;
    const qint64 commands = instrument.CommandCount - commandsBefore;
    const double polls = double(commands) * 10.0 / 11.0; // 9 single + 1 double per ten polls
    std::printf("display polls over a pseudo-terminal: %.1f polls/s (%lld replies shown in %.2f s; goal >= 97, "
                "timer limit 100)\n",
                polls / elapsed, (long long)(displayed - displayedBefore), elapsed);
}

QByteArray WeightStream(qint64 bytes)
{
    QByteArray stream;
    stream.reserve(bytes + 64);
    for (int i = 0; stream.size() < bytes; ++i) {
        const int weight = (i * 7919) % 2000000 - 999999;
        stream += QByteArray::number(weight / 100) + '.' + QByteArray::number(qAbs(weight % 100)).rightJustified(2, '0')
                  + ',' + QByteArray::number(i % 32) + ',' + QByteArray::number(i % 1000) + "\r\n";
    }
    return stream;
}

// The session's whole receive path: Latin-1 decoding as the transport does,
// the receive state machine, routing to the live display, parsing.
void ReceiveThroughput()
{
    const QByteArray stream = WeightStream(8 * 1024 * 1024);
    const int chunk = 4096; // one read of the serial buffer
    TSession session;
    auto line = std::make_unique<TFakeTransport>();
    TFakeTransport &fake = *line;
    session.SetTransport(std::move(line));
    fake.Open();
    session.SetActivity(actDisplay);
    // One display poll ("MSV?;") by hand: the replies that follow are
    // weights, not the status request's hexadecimal answer. No event loop
    // runs here, so the session's own timer adds no more.
    session.Timer1Timer();
    qint64 sum = 0, replies = 0;
    session.DisplayReply = [&](bool) {
        qint32 v = 0, places = 0;
        if (session.Parser().GetInt(0, v, -999999, 999999, places))
            sum += v;
        ++replies;
    };
    QElapsedTimer clock;
    clock.start();
    for (qsizetype at = 0; at < stream.size(); at += chunk)
        session.ReceiveText(QString::fromLatin1(stream.constData() + at, qMin<qsizetype>(chunk, stream.size() - at)));
    const double seconds = clock.nsecsElapsed() / 1e9;
    std::printf("receive path, weight replies to parsed display values: %.1f MB/s (%lld replies, %.1f MB in "
                "%.3f s; goal >= 20) [check %lld]\n",
                stream.size() / seconds / 1e6, (long long)replies, stream.size() / 1e6, seconds, (long long)sum);

    // The receive state machine alone.
    TReplyReceiver receiver;
    qint64 lines = 0;
    receiver.OnReply = [&](const QString &) { ++lines; };
    const QString text = QString::fromLatin1(stream);
    clock.restart();
    for (qsizetype at = 0; at < text.size(); at += chunk)
        receiver.Feed(text.mid(at, chunk));
    const double rs = clock.nsecsElapsed() / 1e9;
    std::printf("receive state machine alone: %.1f MB/s (%lld replies)\n", stream.size() / rs / 1e6, (long long)lines);
}

} // namespace

// The load steps from 1250 to 2500 counts halfway through the run.
void PacedPolls(int seconds)
{
    const QString program = QCoreApplication::applicationDirPath() + "/kd4620-sim";
    const double step = seconds / 2.0;
    QProcess sim;
    sim.start(program, {"--baud", "1200", "--script", QString("0:1250,%1:1250,%2:2500").arg(step).arg(step + 0.01)});
    if (!sim.waitForStarted(3000) || !sim.waitForReadyRead(5000)) {
        std::printf("paced polls: %s could not be started\n", qPrintable(program));
        return;
    }
    QElapsedTimer clock; // within a few ms of the simulator's own clock
    clock.start();
    TSession session;
    session.Connected = [&] {
        session.SetActivity(actDisplay);
        session.StartupSequence();
    };
    int polls = 0, replies = 0, mostUnanswered = 0;
    qint64 shownAt = 0;
    session.ShowCommand = [&](const QString &c) { polls += c.endsWith("MSV?;") || c.endsWith("ESR?;"); };
    session.ShowReply = [&](const QString &r) {
        mostUnanswered = qMax(mostUnanswered, polls - ++replies + 1);
        if (!shownAt && r.contains("2500,"))
            shownAt = clock.elapsed();
    };
    auto serial = std::make_unique<TIOIfaceSerial>();
    serial->SetPortName(QString::fromLocal8Bit(sim.readLine()).trimmed());
    serial->SetBaudRate(1200);
    session.InstallAndOpen(std::move(serial));
    polls = replies = 0;
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    std::printf("1200 baud, %d s: %d polls sent, %d replies received, at most %d polls unanswered at a reply\n",
                seconds, polls, replies, mostUnanswered);
    std::printf("1200 baud: load change shown %lld ms after it (one weight line takes 142 ms)\n",
                (long long)(shownAt - qint64(step * 1000)));
    const bool answered = session.SendAndWait("VAL?", false, "VAL", session.Numeric()).Ok();
    std::printf("1200 baud: VAL? afterwards answered %s %d (the signal at 2500 counts is 12500)\n",
                answered ? "with" : "not, last value", int(session.ReplyValue()));
    sim.terminate();
    sim.waitForFinished(3000);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    ReceiveThroughput();
    PollRate(seconds);
    PacedPolls(seconds);
    return 0;
}
