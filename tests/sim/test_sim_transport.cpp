// The viewer's transport connected in-process to the simulated instrument:
// behaves like a serial port towards the viewer.

#include "sim/sim_instrument.h"
#include "sim/sim_transport.h"
#include "support/testmain.h"

// A namespace of its own: the folder's test files are compiled together.
namespace test_sim_transport {

class TestSimTransport : public QObject {
    Q_OBJECT
private slots:
    void repliesArriveFromTheEventLoop()
    {
        TSimInstrument instrument;
        TIOIfaceSim transport(instrument);
        QStringList events;
        QString received;
        bool inSend = false;
        bool receivedInsideSend = false;
        transport.OnOpen = [&](TIOIface *) { events << "open"; };
        transport.OnClose = [&](TIOIface *) { events << "close"; };
        transport.OnError = [&](const QString &message) { events << "error: " + message; };
        transport.OnReceive = [&](const QString &text) {
            receivedInsideSend = receivedInsideSend || inSend;
            received += text;
        };

        transport.Send(QStringLiteral("ENU?;")); // closed: goes nowhere
        QTest::qWait(50);
        QVERIFY(received.isEmpty());

        transport.Open();
        QVERIFY(transport.IsOpen());
        inSend = true;
        transport.Send(QStringLiteral("S99;COF11;ENU?;"));
        inSend = false;
        QVERIFY(received.isEmpty());
        QTRY_COMPARE(received, QStringLiteral("0\r\n2\r\n"));
        QVERIFY(!receivedInsideSend);

        transport.Send(QStringLiteral("ENU?;"));
        transport.Close(); // the answer on its way is not delivered
        QTest::qWait(50);
        QCOMPARE(received, QStringLiteral("0\r\n2\r\n"));
        transport.Close();
        QCOMPARE(events, (QStringList{"open", "close"}));
    }

    void lostPortClosesTheTransport()
    {
        TSimInstrument instrument;
        TIOIfaceSim transport(instrument);
        QStringList events;
        transport.OnOpen = [&](TIOIface *) { events << "open"; };
        transport.OnClose = [&](TIOIface *t) { events << (t->IsOpen() ? "close while open" : "close"); };
        transport.OnError = [&](const QString &message) { events << message; };
        transport.Open();
        instrument.LosePort();
        QVERIFY(transport.IsOpen()); // announced from the event loop, not at once
        QTRY_VERIFY(!transport.IsOpen());
        QCOMPARE(events, (QStringList{"open", "close", TIOIfaceSim::PortLostMessage()}));

        transport.Open();
        QVERIFY(!transport.IsOpen());
        QCOMPARE(events.last(), TIOIfaceSim::CannotOpenMessage());

        instrument.RestorePort();
        transport.Open();
        QVERIFY(transport.IsOpen());
    }

    void ownerMayDeleteTheTransportWhenItCloses()
    {
        TSimInstrument instrument;
        auto *transport = new TIOIfaceSim(instrument);
        bool errorAfterDelete = false;
        transport->OnClose = [&](TIOIface *t) {
            transport = nullptr; // before the delete, which also frees this handler
            delete static_cast<TIOIfaceSim *>(t);
        };
        transport->OnError = [&](const QString &) { errorAfterDelete = true; };
        transport->Open();
        instrument.LosePort();
        QTRY_VERIFY(transport == nullptr);
        QVERIFY(!errorAfterDelete);
    }
};

QV_TEST_GUILESS_MAIN(TestSimTransport)
} // namespace test_sim_transport
#include "test_sim_transport.moc"
