// Each fault switch of the simulated instrument, and the output pacing.

#include "sim_harness.h"
#include "support/testmain.h"

#include "sim/sim_wire.h"

#include <QElapsedTimer>
#include <QSignalSpy>

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_faults {

class TestSimFaults : public QObject {
    Q_OBJECT
private slots:
    void switchesAreSetFromText()
    {
        TSimFaults faults;
        QString error;
        for (const char *spec : {"latency=250", "silent=msv,Kz", "refuse=ENU", "garbage=3", "cut=2", "overlong=4",
                                 "dle=5", "calerror=104", "esr=00A4", "portloss=9", "portloss-ms=1500", "silent"})
            QVERIFY2(faults.Apply(QString::fromLatin1(spec), &error), spec);
        QCOMPARE(faults.LatencyMs, 250);
        QCOMPARE(faults.SilentTo, (QSet<QString>{"MSV", "Kz"}));
        QCOMPARE(faults.ErrorStatus, quint16(0xA4));
        QVERIFY(faults.Silent);
        for (const char *bad : {"latency=-1", "cut=0", "calerror=100", "esr=12345", "nonsense", "garbage=x"})
            QVERIFY2(!faults.Apply(QString::fromLatin1(bad), &error) && !error.isEmpty(), bad);
    }

    void latencyDelaysEveryReply()
    {
        TSimHarness sim;
        sim.Instrument.Faults().LatencyMs = 300;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(sim.Ask("ENU?;", 3000), QStringLiteral("2"));
        QVERIFY(clock.elapsed() >= 290);
    }

    void silenceAndChosenMnemonics()
    {
        TSimHarness sim;
        sim.Instrument.Faults().Silent = true;
        QCOMPARE(sim.Collect("ENU3;ENU?;", 150), QByteArray());
        sim.Instrument.Faults().Silent = false;
        QCOMPARE(sim.Ask("ENU?;"), QStringLiteral("3")); // commands acted while silent

        sim.Instrument.Faults().SilentTo = {"MSV", "Kz"};
        sim.Instrument.Faults().RefuseTo = {"ADR"};
        QCOMPARE(sim.Collect("MSV?;\x02Kz00\x03", 150), QByteArray());
        QCOMPARE(sim.Ask("ADR?;"), QStringLiteral("?"));
        QCOMPARE(sim.Ask("\x02KZ00\x03"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("ESR?;"), QStringLiteral("0000"));
        sim.Instrument.Faults().ErrorStatus = 0x10;
        QCOMPARE(sim.Ask("ESR?;"), QStringLiteral("0010"));
    }

    void noiseCutAndOverlongLines()
    {
        TSimHarness sim;
        sim.Instrument.Faults().GarbageEvery = 1;
        QByteArray bytes = sim.Collect("ENU?;", 100);
        QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.size(), 3); // noise, reply, nothing after the last LF
        for (const char framing : {'\r', SimWire::Stx, SimWire::Etx, SimWire::Dle})
            QVERIFY(!lines[0].chopped(1).contains(framing));
        QCOMPARE(lines[1], QByteArray("2\r"));
        sim.Instrument.Faults().GarbageEvery = 0;

        TSimHarness cut;
        cut.Instrument.Faults().CutEvery = 2; // every second line
        QCOMPARE(cut.Collect("ESR?;", 100), QByteArray("0000\r\n"));
        QCOMPARE(cut.Collect("ESR?;", 100), QByteArray("00"));
        QCOMPARE(cut.Collect("ESR?;", 100), QByteArray("0000\r\n"));

        TSimHarness overlong;
        overlong.Instrument.Faults().OverlongEvery = 1;
        bytes = overlong.Collect("ENU?;", 100);
        QCOMPARE(bytes.size(), SimOverlongLength + 2 + 3);
        QVERIFY(bytes.endsWith("\r\n2\r\n"));
        QVERIFY(!bytes.left(SimOverlongLength).contains('\r'));
    }

    void dleStormPrecedesTheReply()
    {
        TSimHarness sim;
        sim.Instrument.Faults().DleStormEvery = 1;
        const QByteArray bytes = sim.Collect("ENU?;", 100);
        QVERIFY(bytes.startsWith(QByteArray(8, SimWire::Dle)));
        QVERIFY(bytes.contains(QByteArray("\x10\x02", 2)));
        QVERIFY(bytes.endsWith("\r\n2\r\n"));
    }

    void portLossEndsAllTraffic()
    {
        TSimConfig config;
        config.Faults.PortLossAfterCommands = 3;
        TSimHarness sim(config);
        QSignalSpy lost(&sim.Instrument, &TSimInstrument::PortLost);
        QCOMPARE(sim.Ask("ENU?;"), QStringLiteral("2"));
        QCOMPARE(sim.Ask("ADR?;"), QStringLiteral("0"));
        QCOMPARE(sim.Collect("ENU?;ESR?;", 150), QByteArray()); // the third command takes the port
        QCOMPARE(lost.count(), 1);
        QVERIFY(sim.Instrument.IsPortLost());
        QCOMPARE(sim.Collect("ENU?;", 100), QByteArray());

        TSimConfig timed;
        timed.Faults.PortLossAfterMs = 50;
        TSimInstrument instrument(timed);
        QSignalSpy timedLoss(&instrument, &TSimInstrument::PortLost);
        QVERIFY(timedLoss.wait(2000));
    }

    void pacingHoldsBytesToTheBaudRate()
    {
        TSimConfig config;
        config.Baud = 1200; // 120 bytes a second
        config.Load = 1234;
        TSimHarness sim(config);
        QElapsedTimer clock;
        clock.start();
        sim.Instrument.Receive("MSV?;MSV?;"); // 34 bytes: about 283 ms on the line
        QVERIFY(QTest::qWaitFor([&] { return sim.Received.count("\r\n") == 2; }, 3000));
        QVERIFY(clock.elapsed() >= 250);
        QCOMPARE(sim.Received, QByteArray("    1234,00,002\r\n    1234,00,002\r\n"));
    }
};

QV_TEST_GUILESS_MAIN(TestSimFaults)
} // namespace test_sim_faults
#include "test_sim_faults.moc"
