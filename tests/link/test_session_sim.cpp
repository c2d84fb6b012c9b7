// The session against the simulated instrument: in-process (its transport),
// and the kd4620-sim program over its pseudo-terminal when it has been built.
// The simulator is written independently of the viewer's receiver and
// parser, so agreement here is worth more than agreement with our own fakes.

#include "link/comms.h"
#include "link/ioiface_serial.h"
#include "link/session.h"
#include "sim/sim_instrument.h"
#include "sim/sim_transport.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QFileInfo>
#include <QProcess>

// A namespace of its own: the folder's test files are compiled together.
namespace test_session_sim {

namespace {

struct TWatch {
    QList<qint32> Weights, Statuses, Records;
    // What the window would tell: failed start-ups and the transport's
    // reports. The session shows nothing itself.
    QStringList Told;
    void Attach(TSession &s)
    {
        s.DisplayReply = [this, &s](bool) {
            qint32 v = 0, places = 0;
            if (s.StatusReplyAwaited()) {
                if (s.Parser().GetInt(0, v, 0, 65535, places))
                    Statuses << v;
            } else if (s.Parser().GetInt(0, v, -999999, 999999, places)) {
                Weights << v;
            }
        };
        s.LogRecord = [this](quint8, qint32, qint32 weight) { Records << weight; };
        s.Connected = [this, &s] {
            s.SetActivity(actDisplay);
            if (const TOutcome outcome = s.StartupSequence(); !outcome)
                Told << outcome.Text();
        };
        s.LinkFailed = [this](const QString &message) { Told << message; };
    }
};

} // namespace

class TestSessionSim : public QObject {
    Q_OBJECT
private slots:
    void inProcessInstrumentIsPolledAndStreams()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimConfig config;
        config.Address = 3;
        config.Load = 1250;
        config.BinaryStream = true;
        config.StreamRateHz = 50;
        TSimInstrument instrument(config);
        TSession session;
        TWatch watch;
        watch.Attach(session);
        session.SetUnitAddress(3);
        session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        QVERIFY(session.IsOpen());
        QTest::qWait(400);
        QVERIFY2(watch.Told.isEmpty(), qPrintable(watch.Told.join(" | ")));
        QVERIFY(script.History.empty());
        QVERIFY(watch.Weights.size() >= 10);
        QVERIFY(watch.Weights.contains(1250));
        QVERIFY(!watch.Statuses.isEmpty());
        QCOMPARE(watch.Statuses.last(), 0);

        // Streamed logging: binary records decoded to the same weight.
        session.SetActivity(actLog);
        session.SendCommand("MSV?,0", false);
        QTRY_VERIFY_WITH_TIMEOUT(watch.Records.size() >= 5, 3000);
        QCOMPARE(watch.Records.last(), 1250);
        session.SendCommand("STP", false);
    }

    void simulatorProgramOverItsPseudoTerminal()
    {
        const QString program = qEnvironmentVariable("QV_BIN_DIR") + "/kd4620-sim";
        if (!QFileInfo(program).isExecutable())
            QSKIP("kd4620-sim has not been built");
        QProcess sim;
        sim.start(program, {"--address", "5"});
        QVERIFY(sim.waitForStarted(3000));
        QVERIFY(sim.waitForReadyRead(5000));
        const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        QVERIFY(!device.isEmpty());

        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSession session;
        TWatch watch;
        watch.Attach(session);
        session.SetUnitAddress(5);
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(device);
        session.InstallAndOpen(std::move(serial));
        QVERIFY(session.IsOpen());
        QTest::qWait(500);
        QVERIFY2(watch.Told.isEmpty(), qPrintable(watch.Told.join(" | ")));
        QVERIFY(script.History.empty());
        QVERIFY(watch.Weights.size() >= 10);
        QVERIFY(!watch.Statuses.isEmpty());

        session.Transport().Close();
        sim.terminate();
        QVERIFY(sim.waitForFinished(3000));
    }
};

QV_TEST_MAIN(TestSessionSim)
} // namespace test_session_sim
#include "test_session_sim.moc"
