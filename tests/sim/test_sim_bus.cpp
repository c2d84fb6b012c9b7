// Several simulated instruments on one line: each answers only what is
// addressed to it, with its own weight and identity; two answering at once
// reach the host as noise; the line is lost as a whole.

#include "sim/sim_bus.h"
#include "sim/sim_options.h"
#include "support/testmain.h"

#include <QSignalSpy>

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_bus {

namespace {
QList<TSimConfig> Units(const QList<int> &addresses)
{
    TSimOptions options;
    QStringList arguments{"kd4620-sim", "--units"};
    QStringList list;
    for (int address : addresses)
        list << QString::number(address);
    arguments << list.join(',');
    QString message;
    if (ParseSimOptions(arguments, &options, &message) != TSimOptionsResult::Run)
        qWarning("%s", qPrintable(message));
    return options.Units;
}

// What the host reads in `ms` after sending `command`.
QByteArray Heard(TSimBus &bus, const QByteArray &command, int ms = 60)
{
    QByteArray heard;
    const QMetaObject::Connection c = QObject::connect(&bus, &TSimBus::Transmit, [&](const QByteArray &b) { heard += b; });
    bus.Receive(command);
    QTest::qWait(ms);
    QObject::disconnect(c);
    return heard;
}

bool IsNoise(const QByteArray &bytes)
{
    const QByteArray text = QByteArray(bytes).replace("\r\n", "");
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
}
} // namespace

class TestSimBus : public QObject {
    Q_OBJECT
private slots:
    void eachUnitAnswersWhatIsAddressedToIt_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("expected"); // "noise", or the exact bytes
        QTest::newRow("unit 1 identity") << QByteArray("S01;IDN?;") << QByteArray("\"KD4620\",\"46200001\",\"1.04\"\r\n");
        QTest::newRow("unit 5 identity") << QByteArray("S05;IDN?;") << QByteArray("\"KD4620\",\"46200005\",\"1.04\"\r\n");
        QTest::newRow("unit 2 weight") << QByteArray("S02;MSV?;") << QByteArray("     200,02,");
        QTest::newRow("unit 5 weight") << QByteArray("S05;MSV?;") << QByteArray("     500,05,");
        QTest::newRow("no unit 3") << QByteArray("S03;IDN?;") << QByteArray();
        QTest::newRow("98: all act, none answers") << QByteArray("S98;STP;") << QByteArray();
        QTest::newRow("99: all answer at once") << QByteArray("S99;IDN?;") << QByteArray("noise");
        QTest::newRow("selection holds") << QByteArray("S02;ENU?;ADR?;") << QByteArray("2\r\n2\r\n");
        QTest::newRow("a key for another unit") << QByteArray("S05;\x02Kt01\x03") << QByteArray();
    }
    void eachUnitAnswersWhatIsAddressedToIt()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, expected);
        TSimBus bus(Units({1, 2, 5}));
        const QByteArray heard = Heard(bus, command);
        if (expected == "noise")
            QVERIFY2(IsNoise(heard), heard.toHex(' ').constData());
        else if (expected.endsWith(','))
            QVERIFY2(heard.startsWith(expected), heard.constData());
        else
            QCOMPARE(heard, expected);
    }

    // Replies to one command from two units are both garbled, however the
    // line is paced; replies one after another stay clean.
    void repliesCollideOnlyWhenTheyOverlap_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("unpaced") << 0;
        QTest::newRow("9600 baud") << 9600;
    }
    void repliesCollideOnlyWhenTheyOverlap()
    {
        QFETCH(int, baud);
        TSimBus bus(Units({1, 2}));
        bus.SetBaud(baud);
        const QByteArray both = Heard(bus, "S99;MSV?;", 150);
        QCOMPARE(both.count("\r\n"), 2);
        QVERIFY2(IsNoise(both), both.toHex(' ').constData());
        for (const QByteArray &poll : {QByteArray("S01;MSV?;"), QByteArray("S02;MSV?;")})
            QVERIFY(Heard(bus, poll, 100).contains(poll.mid(1, 2) + ','));
    }

    void theLineIsLostAsAWhole()
    {
        TSimBus bus(Units({1, 2}));
        QSignalSpy lost(&bus, &TSimBus::PortLost);
        bus.Unit(1).Faults().PortLossAfterCommands = 1;
        bus.Receive("S01;MSV?;");
        QTRY_COMPARE(lost.size(), 1);
        QVERIFY(bus.IsPortLost() && bus.Unit(0).IsPortLost());
        QVERIFY(Heard(bus, "S01;MSV?;").isEmpty());
    }

    void optionsGiveEachUnitItsOwnLoadAndIdentity_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<double>>("loads"); // empty: refused
        QTest::addColumn<QStringList>("serials");
        QTest::newRow("defaults") << QStringList{"--units", "1,2,5"} << QList<double>{100, 200, 500}
                                  << QStringList{"46200001", "46200002", "46200005"};
        QTest::newRow("one load for all") << QStringList{"--units", "3,4", "--load", "1250", "--serial", "ABCDEFGHIJ"}
                                          << QList<double>{1250, 1250} << QStringList{"ABCDEFGH03", "ABCDEFGH04"};
        QTest::newRow("a load a unit") << QStringList{"--units", "1,2", "--load", "10,-20"} << QList<double>{10, -20}
                                       << QStringList{"46200001", "46200002"};
        for (const QStringList &bad : QList<QStringList>{{"--units", "1,1"},
                                                         {"--units", "0,2"},
                                                         {"--units", "1,32"},
                                                         {"--units", "1,x"},
                                                         {"--units", "1,2", "--address", "3"},
                                                         {"--units", "1,2,3", "--load", "1,2"},
                                                         {"--load", "1,2"}})
            QTest::newRow(qPrintable(bad.join(' '))) << bad << QList<double>{} << QStringList{};
    }
    void optionsGiveEachUnitItsOwnLoadAndIdentity()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QList<double>, loads);
        QFETCH(QStringList, serials);
        TSimOptions options;
        QString message;
        const TSimOptionsResult result = ParseSimOptions(QStringList{"kd4620-sim"} + arguments, &options, &message);
        if (loads.isEmpty()) {
            QCOMPARE(result, TSimOptionsResult::Error);
            QVERIFY(!message.isEmpty());
            return;
        }
        QCOMPARE(result, TSimOptionsResult::Run);
        QCOMPARE(options.Units.size(), loads.size());
        for (qsizetype i = 0; i < loads.size(); ++i) {
            QCOMPARE(options.Units[i].Load, loads[i]);
            QCOMPARE(options.Units[i].SerialNumber, serials[i]);
        }
    }
};

QV_TEST_GUILESS_MAIN(TestSimBus)
} // namespace test_sim_bus
#include "test_sim_bus.moc"
