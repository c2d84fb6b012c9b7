// The simulated weighing channel: displayed weight and status bits, front
// keys, ranges, overload, motion, setpoint outputs, and streaming of weight
// lines and DLE-framed binary records.

#include "sim_harness.h"
#include "support/testmain.h"

#include "sim/sim_wire.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_weight {

namespace {

struct TWeightLine {
    QString Weight;
    int Unit = -1;
    int Status = -1;
};

TWeightLine ReadLine(const QString &line)
{
    const QStringList fields = line.split(QLatin1Char(','));
    if (fields.size() != 3)
        return {};
    return {fields[0].trimmed(), fields[1].toInt(), fields[2].toInt()};
}

struct TRecord {
    quint8 StatusByte = 0;
    quint32 StatusWord = 0;
    qint32 Weight = 0;
};

// Undoes the DLE framing of one record at the start of the bytes.
std::optional<TRecord> DecodeRecord(const QByteArray &bytes, qsizetype *used = nullptr)
{
    if (!bytes.startsWith(QByteArray("\x10\x02", 2)))
        return std::nullopt;
    QByteArray payload;
    for (qsizetype i = 2; i + 1 < bytes.size(); ++i) {
        if (bytes[i] != SimWire::Dle) {
            payload.append(bytes[i]);
            continue;
        }
        if (bytes[i + 1] == SimWire::Dle) {
            payload.append(SimWire::Dle);
            ++i;
        } else if (bytes[i + 1] == SimWire::Etx) {
            if (payload.size() != 9)
                return std::nullopt;
            if (used)
                *used = i + 2;
            auto word = [&](int at) {
                return quint32(quint8(payload[at])) << 24 | quint32(quint8(payload[at + 1])) << 16 |
                       quint32(quint8(payload[at + 2])) << 8 | quint32(quint8(payload[at + 3]));
            };
            return TRecord{quint8(payload[0]), word(1), qint32(word(5))};
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

const int Stable = 2, Net = 4, Range2 = 8, Output1 = 16, Output2 = 32, CentreOfZero = 256;

} // namespace

class TestSimWeight : public QObject {
    Q_OBJECT

    static TWeightLine Weigh(TSimHarness &sim, double load, qint64 settleMs = 1100)
    {
        sim.Instrument.Load().SetFixed(load);
        sim.Advance(settleMs);
        return ReadLine(sim.Ask("MSV?;"));
    }

private slots:
    void weightLineCarriesWeightUnitAndStatus()
    {
        TSimConfig config;
        config.Address = 7;
        config.Load = 1234;
        TSimHarness sim(config);
        QCOMPARE(sim.Ask("MSV?;"), QStringLiteral("    1234,07,002"));
        QCOMPARE(sim.Ask("IAD1,4000,2,3,0,0;"), QStringLiteral("0")); // two decimals, steps of 5
        TWeightLine line = Weigh(sim, 1232);
        QCOMPARE(line.Weight, QStringLiteral("12.30"));
        QCOMPARE(line.Status, Stable);
        line = Weigh(sim, -7);
        QCOMPARE(line.Weight, QStringLiteral("-0.05"));
        line = Weigh(sim, 1);
        QCOMPARE(line.Weight, QStringLiteral("0.00"));
        QCOMPARE(line.Status, Stable | CentreOfZero);
    }

    void motionClearsTheStableBitWhileTheLoadChanges()
    {
        TSimHarness sim;
        TSimLoadScript script;
        script.Points = {{0, 0}, {1, 1000}};
        sim.Instrument.Load().SetScript(script);
        sim.Advance(500);
        QCOMPARE(ReadLine(sim.Ask("MSV?;")).Status & Stable, 0);
        sim.Advance(1600); // resting at 1000 for longer than the motion window
        const TWeightLine line = ReadLine(sim.Ask("MSV?;"));
        QCOMPARE(line.Weight, QStringLiteral("1000"));
        QCOMPARE(line.Status, Stable);
        QCOMPARE(sim.Ask("MTD0;"), QStringLiteral("0")); // motion detection off
        sim.Instrument.Load().SetFixed(0);
        sim.Advance(20);
        QVERIFY(ReadLine(sim.Ask("MSV?;")).Status & Stable);
    }

    void frontKeysZeroTareAndToggleGrossNet()
    {
        TSimHarness sim;
        Weigh(sim, 30);
        QCOMPARE(sim.Ask("\x02Kz00\x03"), QStringLiteral("0"));
        TWeightLine line = ReadLine(sim.Ask("MSV?;"));
        QCOMPARE(line.Weight, QStringLiteral("0"));
        QCOMPARE(line.Status, Stable | CentreOfZero);
        Weigh(sim, 230); // 200 above the new zero: outside -1..3 % of 4000
        QCOMPARE(sim.Ask("\x02Kz00\x03"), QStringLiteral("?"));

        QCOMPARE(sim.Ask("\x02Kt00\x03"), QStringLiteral("0"));
        line = Weigh(sim, 730);
        QCOMPARE(line.Weight, QStringLiteral("500"));
        QCOMPARE(line.Status, Stable | Net);
        QCOMPARE(sim.Ask("\x02Kg00\x03"), QStringLiteral("0"));
        QCOMPARE(ReadLine(sim.Ask("MSV?;")).Weight, QStringLiteral("700"));
        QCOMPARE(sim.Ask("\x02Kg00\x03"), QStringLiteral("0"));
        QCOMPARE(ReadLine(sim.Ask("MSV?;")).Weight, QStringLiteral("500"));
        QCOMPARE(sim.Ask("\x02KT00\x03"), QStringLiteral("0")); // long press clears the tare
        QCOMPARE(ReadLine(sim.Ask("MSV?;")).Status, Stable);

        QCOMPARE(sim.Ask("\x02Kq00\x03"), QStringLiteral("0"));
        QCOMPARE(sim.Instrument.Weight().PrintCount(), 1);
        QCOMPARE(sim.Instrument.Weight().PrintTotal(), 700);
        Weigh(sim, -100);
        QCOMPARE(sim.Ask("\x02Kt00\x03"), QStringLiteral("?")); // nothing to tare

        sim.Instrument.Load().SetFixed(2000);
        sim.Advance(20); // still moving
        QCOMPARE(sim.Ask("\x02Kt00\x03"), QStringLiteral("?"));
        QCOMPARE(sim.Ask("LBT1,2;"), QStringLiteral("0")); // immediate tare does not wait
        QCOMPARE(sim.Ask("\x02Kt00\x03"), QStringLiteral("0"));
        QCOMPARE(sim.Ask("LBT2,0;"), QStringLiteral("0")); // locked key
        QCOMPARE(sim.Ask("\x02Kg00\x03"), QStringLiteral("?"));
    }

    void rangesAndOverload()
    {
        TSimHarness sim;
        QCOMPARE(Weigh(sim, 4009).Status & 1, 0);
        TWeightLine line = Weigh(sim, 4010);
        QCOMPARE(line.Status & 1, 1);
        QCOMPARE(line.Status & CentreOfZero, 0);
        QCOMPARE(Weigh(sim, -4001).Status & 1, 1);

        QCOMPARE(sim.Ask("WMD2,0;"), QStringLiteral("0")); // dual range: 4000 in 1s, 6000 in 2s
        line = Weigh(sim, 4501);
        QCOMPARE(line.Weight, QStringLiteral("4502"));
        QCOMPARE(line.Status, Stable | Range2);
        QCOMPARE(Weigh(sim, 3001).Status, Stable | Range2); // stays in range 2 ...
        QCOMPARE(Weigh(sim, 0).Status, Stable | CentreOfZero); // ... until back at zero
        QCOMPARE(Weigh(sim, 3001).Weight, QStringLiteral("3001"));

        QCOMPARE(sim.Ask("WMD3,0;"), QStringLiteral("0")); // dual interval
        QCOMPARE(Weigh(sim, 4501).Status, Stable | Range2);
        QCOMPARE(Weigh(sim, 3001).Status, Stable);
        QCOMPARE(Weigh(sim, 6009).Status & 1, 0);
        QCOMPARE(Weigh(sim, 6020).Status & 1, 1);
    }

    void setpointOutputsFollowTheirSettings()
    {
        TSimHarness sim;
        // Setpoint 1: active, gross, over 2000 with 100 hysteresis, high logic.
        QCOMPARE(sim.Ask("LIV1,1,1,1,2000,0,100,1,0,0;"), QStringLiteral("0"));
        // Setpoint 2: on at centre of zero, low logic (so off there).
        QCOMPARE(sim.Ask("LIV2,3,1,1,0,0,0,2,0,0;"), QStringLiteral("0"));
        QCOMPARE(Weigh(sim, 0).Status, Stable | CentreOfZero);
        QCOMPARE(Weigh(sim, 1999).Status, Stable | Output2);
        QCOMPARE(Weigh(sim, 2000).Status, Stable | Output1 | Output2);
        QCOMPARE(Weigh(sim, 1950).Status, Stable | Output1 | Output2);
        QCOMPARE(Weigh(sim, 1899).Status, Stable | Output2);
    }

    void streamingSendsLinesUntilStopped()
    {
        TSimConfig config;
        config.StreamRateHz = 50;
        config.Load = 250;
        TSimHarness sim(config);
        sim.Instrument.Receive("MSV?,0;");
        QVERIFY(QTest::qWaitFor([&] { return sim.Received.count("\r\n") >= 5; }, 3000));
        QVERIFY(sim.Instrument.Streaming());
        for (const QByteArray &line : sim.Received.split('\n'))
            if (!line.isEmpty())
                QCOMPARE(ReadLine(QString::fromLatin1(line.trimmed())).Weight, QStringLiteral("250"));
        // Stops silently; lines already on their way may still come.
        QVERIFY(!sim.Collect("S98;STP;", 100).split('\n').contains("0\r"));
        QVERIFY(!sim.Instrument.Streaming());
        QCOMPARE(sim.Collect("", 150), QByteArray());

        sim.Collect("S99;MSV?,3;", 300);
        QCOMPARE(sim.Received.count("\r\n"), 3);
        QVERIFY(!sim.Instrument.Streaming());
        QCOMPARE(sim.Ask("MSV?,x;"), QStringLiteral("?"));
    }

    void binaryRecordsDoubleTheirDle()
    {
        QCOMPARE(SimWire::EncodeRecord(0x10, 0x00001000, 16),
                 QByteArray("\x10\x02\x10\x10\x00\x00\x10\x10\x00\x00\x00\x00\x10\x10\x10\x03", 16));

        TSimConfig config;
        config.StreamRateHz = 50;
        config.BinaryStream = true;
        config.Load = 16; // the weight's low byte is a DLE
        config.Faults.ErrorStatus = 0x0010;
        TSimHarness sim(config);
        sim.Instrument.Receive("MSV?,2;");
        QVERIFY(QTest::qWaitFor([&] { return sim.Received.count(QByteArray("\x10\x03", 2)) >= 2; }, 3000));
        qsizetype used = 0;
        const auto record = DecodeRecord(sim.Received, &used);
        QVERIFY(record.has_value());
        QCOMPARE(record->Weight, 16);
        QCOMPARE(record->StatusByte, quint8(0x00)); // stable, not at zero, gross
        QCOMPARE(record->StatusWord, quint32(0x00100000 | Stable));
        QVERIFY(sim.Received.left(used).contains(QByteArray("\x10\x10", 2)));
        QVERIFY(DecodeRecord(sim.Received.mid(used)).has_value());

        sim.Instrument.Load().SetScript({{{0, 0}, {1, 3000}}, false});
        sim.Advance(500);
        sim.Collect("MSV?,1;", 200);
        const auto moving = DecodeRecord(sim.Received);
        QVERIFY(moving.has_value());
        QCOMPARE(moving->StatusByte & 0x80, 0x80); // motion
    }
};

QV_TEST_GUILESS_MAIN(TestSimWeight)
} // namespace test_sim_weight
#include "test_sim_weight.moc"
