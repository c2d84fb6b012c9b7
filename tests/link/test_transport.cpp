#include "link/ioiface_null.h"
#include "link/ioiface_serial.h"
#include "support/pty_peer.h"
#include "support/testmain.h"

#include <QProcess>

// A namespace of its own: the folder's test files are compiled together.
namespace test_transport {

namespace {
// Counts what a transport raised.
struct TEvents {
    int Opened = 0;
    int Closed = 0;
    QStringList Errors;
    QByteArray Received;
    int Arrivals = 0;

    void Wire(TIOIface &transport)
    {
        transport.OnOpen = [this](TIOIface *) { ++Opened; };
        transport.OnClose = [this](TIOIface *) { ++Closed; };
        transport.OnError = [this](const QString &message) { Errors << message; };
        transport.OnReceive = [this](const QString &text) {
            Received += text.toLatin1();
            ++Arrivals;
        };
    }
};

QByteArray EveryByteValue()
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(char(b));
    return bytes;
}

std::unique_ptr<TIOIfaceSerial> SerialOn(const QString &device)
{
    auto serial = std::make_unique<TIOIfaceSerial>();
    serial->SetPortName(device);
    serial->SetBaudRate(9600);
    serial->SetDataBits(8);
    serial->SetStopBits(1);
    serial->SetParity(0);
    return serial;
}
} // namespace

class TestTransport : public QObject {
    Q_OBJECT
private slots:
    void nullTransportRaisesEventsButNeverOpens()
    {
        TIOIfaceNull null;
        null.Open(); // no handlers set: nothing happens
        null.Close();
        TEvents events;
        events.Wire(null);
        TIOIface *seen = nullptr;
        null.OnOpen = [&](TIOIface *t) { seen = t; ++events.Opened; };
        null.Open();
        QVERIFY(!null.IsOpen());
        QCOMPARE(events.Opened, 1);
        QCOMPARE(seen, static_cast<TIOIface *>(&null));
        null.Send(QStringLiteral("MSV?;"));
        QCOMPARE(events.Arrivals, 0);
        null.Close();
        QCOMPARE(events.Closed, 1);
        QVERIFY(events.Errors.isEmpty());

        // The owner may drop it from its own events (checked by the sanitizer build).
        auto owned = std::make_unique<TIOIfaceNull>();
        const QString gone = QStringLiteral("a capture that must outlive the transport");
        owned->OnOpen = [&owned, gone](TIOIface *) { owned.reset(); QVERIFY(!gone.isEmpty()); };
        owned->Open();
        QVERIFY(!owned);
        owned = std::make_unique<TIOIfaceNull>();
        owned->OnClose = [&owned, gone](TIOIface *) { owned.reset(); QVERIFY(!gone.isEmpty()); };
        owned->Close();
        QVERIFY(!owned);
    }

    void comNumberRule_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("device");
        QTest::newRow("COM1") << "COM1" << 1 << "COM1";
        QTest::newRow("COM12") << "COM12" << 12 << "COM12";
        QTest::newRow("COM") << "COM" << 1 << "COM1";
        QTest::newRow("COM0") << "COM0" << 1 << "COM1";
        QTest::newRow("COM007") << "COM007" << 7 << "COM7";
        QTest::newRow("lower case") << "com3" << 3 << "COM3";
        QTest::newRow("short") << "CO" << 1 << "CO";
        QTest::newRow("digits then text") << "COM3x" << 3 << "COM3x";
        QTest::newRow("huge") << "COM99999999999999" << 999999999 << "COM999999999";
        QTest::newRow("device path") << "/dev/ttyUSB0" << 1 << "/dev/ttyUSB0";
        QTest::newRow("device name") << "ttyUSB0" << 1 << "ttyUSB0";
        QTest::newRow("pseudo-terminal") << " /dev/pts/3 " << 1 << "/dev/pts/3";
    }

    void comNumberRule()
    {
        QFETCH(QString, name);
        QFETCH(int, number);
        QFETCH(QString, device);
        if (name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive))
            QCOMPARE(ComPortNumber(name), number);
        QCOMPARE(SerialDeviceName(name), device);
    }

    void openFailureTextsGiveTheReason()
    {
        const QString denied =
            OpenFailureText(QStringLiteral("/dev/ttyS0"), QSerialPort::PermissionError, "Permission denied", false);
        QVERIFY(denied.contains(QLatin1String("/dev/ttyS0")));
        QVERIFY(denied.contains(QLatin1String("\"dialout\"")));
        const QString busy =
            OpenFailureText(QStringLiteral("/dev/ttyS0"), QSerialPort::PermissionError, "Device busy", true);
        QVERIFY(busy.contains(QLatin1String("in use")));
        QVERIFY(OpenFailureText(QString(), QSerialPort::DeviceNotFoundError, {}, true).contains("No serial port"));
    }

    void lineSettingsAreKeptAndApplied()
    {
        TPtyPeer peer;
        QVERIFY2(peer.IsValid(), qPrintable(peer.ErrorString()));
        TIOIfaceSerial serial;
        serial.SetPortName(peer.SlavePath());
        serial.SetBaudRate(19200);
        serial.SetDataBits(7);
        serial.SetStopBits(2);
        serial.SetParity(2);
        QCOMPARE(serial.PortName(), peer.SlavePath());
        QCOMPARE(serial.BaudRate(), 19200);
        QCOMPARE(serial.DataBits(), 7);
        QCOMPARE(serial.StopBits(), 2);
        QCOMPARE(serial.Parity(), 2);
        serial.Open();
        QVERIFY(serial.IsOpen());
        QCOMPARE(serial.Port().baudRate(), 19200);
        QCOMPARE(serial.Port().dataBits(), QSerialPort::Data7);
        QCOMPARE(serial.Port().stopBits(), QSerialPort::TwoStop);
        QCOMPARE(serial.Port().parity(), QSerialPort::EvenParity);
        QCOMPARE(serial.Port().flowControl(), QSerialPort::NoFlowControl);
        QCOMPARE(serial.Port().readBufferSize(), TIOIfaceSerial::BufferSize);
        serial.SetParity(1); // changed while open: applied at once
        QCOMPARE(serial.Port().parity(), QSerialPort::OddParity);
        serial.SetParity(7); // unknown: none
        QCOMPARE(serial.Parity(), 0);
        QCOMPARE(serial.Port().parity(), QSerialPort::NoParity);
    }

    void opensSendsReceivesAndCloses()
    {
        TPtyPeer peer;
        QVERIFY2(peer.IsValid(), qPrintable(peer.ErrorString()));
        auto serial = SerialOn(peer.SlavePath());
        TEvents events;
        events.Wire(*serial);

        serial->Open();
        QVERIFY(serial->IsOpen());
        QCOMPARE(events.Opened, 1);
        QVERIFY2(events.Errors.isEmpty(), qPrintable(events.Errors.join('\n'))); // DTR/RTS refusal is no failure

        serial->Send(QStringLiteral("S01;MSV?;"));
        QVERIFY(peer.WaitFor("S01;MSV?;"));
        QCOMPARE(peer.Take(), QByteArray("S01;MSV?;"));

        // Latin-1 text: every character becomes exactly its byte.
        serial->Send(QString::fromLatin1(EveryByteValue()));
        QCOMPARE(peer.WaitForBytes(256), EveryByteValue());
        peer.Take();

        // A reply in pieces arrives complete and in order, any byte intact.
        const QByteArray reply = "\x02" + EveryByteValue() + "\x03\r\n";
        QVERIFY(peer.WriteInPieces(reply, 40, 20));
        QVERIFY(peer.WaitUntil([&] { return events.Received.size() >= reply.size(); }));
        QCOMPARE(events.Received, reply);
        QVERIFY(events.Arrivals > 1);

        serial->Close();
        QVERIFY(!serial->IsOpen());
        QCOMPARE(events.Closed, 1);
        serial->Send(QStringLiteral("late")); // closed: ignored
        peer.Pump(30);
        QVERIFY(peer.Received().isEmpty());
        QVERIFY(events.Errors.isEmpty());

        serial->Open(); // a closed transport opens again
        QVERIFY(serial->IsOpen());
        QCOMPARE(events.Opened, 2);
    }

    void bytesArrivingDuringANestedWaitInAHandlerFollowInOrder()
    {
        TPtyPeer peer;
        auto serial = SerialOn(peer.SlavePath());
        QByteArray received;
        int depth = 0;
        int deepest = 0;
        serial->OnReceive = [&](const QString &text) {
            deepest = qMax(deepest, ++depth);
            received += text.toLatin1();
            if (received == "first") {
                // A handler that waits (as a reply handler may): more bytes
                // come meanwhile.
                QTimer::singleShot(0, [&] { peer.Write("second"); });
                RunEventLoopFor(100);
            }
            --depth;
        };
        serial->Open();
        QVERIFY(peer.Write("first"));
        QVERIFY(peer.WaitUntil([&] { return received.size() >= 11; }));
        QCOMPARE(received, QByteArray("firstsecond"));
        QCOMPARE(deepest, 1);
    }

    void missingDeviceFailsToOpenWithItsReason()
    {
        auto serial = SerialOn(QStringLiteral("/dev/qv-no-such-port"));
        TEvents events;
        events.Wire(*serial);
        serial->Open();
        QVERIFY(!serial->IsOpen());
        QCOMPARE(events.Opened, 0);
        QCOMPARE(events.Errors.size(), 1);
        QVERIFY(events.Errors.first().startsWith(QLatin1String("Cannot open serial port /dev/qv-no-such-port")));

        auto unnamed = SerialOn(QString());
        events.Wire(*unnamed);
        unnamed->Open();
        QVERIFY(!unnamed->IsOpen());
        QCOMPARE(events.Opened, 0);
        QCOMPARE(events.Errors.size(), 2);
        QVERIFY(events.Errors.last().startsWith(QLatin1String("No serial port is selected")));
    }

    void aPortHeldByAnotherTransportIsReportedInUse()
    {
        TPtyPeer peer;
        auto first = SerialOn(peer.SlavePath());
        first->Open();
        QVERIFY(first->IsOpen());
        auto second = SerialOn(peer.SlavePath());
        TEvents events;
        events.Wire(*second);
        second->Open();
        QVERIFY(!second->IsOpen());
        QCOMPARE(events.Opened, 0);
        QCOMPARE(events.Errors.size(), 1);
        QVERIFY2(events.Errors.first().contains(QLatin1String("in use")), qPrintable(events.Errors.first()));
        QVERIFY(first->IsOpen()); // the holder is not disturbed
    }

    // A program that opened the port first without claiming it alone would
    // share every byte with us: refused until it lets go.
    void aPortAnotherProgramHoldsIsReportedInUse()
    {
        TPtyPeer peer;
        QProcess holder;
        holder.setStandardInputFile(peer.SlavePath());
        holder.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(holder.waitForStarted());
        auto serial = SerialOn(peer.SlavePath());
        TEvents events;
        events.Wire(*serial);
        serial->Open();
        QVERIFY(!serial->IsOpen());
        QCOMPARE(events.Errors, QStringList{"The port " + peer.SlavePath() + " is in use by another program."});
        holder.kill();
        holder.waitForFinished();
    }

    void portLossClosesOnceWithoutSpinning()
    {
        TPtyPeer peer;
        QVERIFY2(peer.IsValid(), qPrintable(peer.ErrorString()));
        auto serial = SerialOn(peer.SlavePath());
        TEvents events;
        events.Wire(*serial);
        int portErrors = 0;
        QObject::connect(&serial->Port(), &QSerialPort::errorOccurred, &serial->Port(),
                         [&](QSerialPort::SerialPortError e) { portErrors += e != QSerialPort::NoError; });
        serial->Open();
        QVERIFY(serial->IsOpen());
        portErrors = 0;

        peer.CloseMaster();
        QVERIFY(peer.WaitUntil([&] { return events.Closed > 0 && !events.Errors.isEmpty(); }));
        QVERIFY(!serial->IsOpen());
        RunEventLoopFor(200);
        QCOMPARE(events.Closed, 1);
        QCOMPARE(events.Errors.size(), 1);
        QVERIFY2(events.Errors.first().startsWith(QStringLiteral("Connection to %1 lost: ").arg(peer.SlavePath())),
                 qPrintable(events.Errors.first()));
        QVERIFY(events.Errors.first().contains(QLatin1String("no longer present")));
        QVERIFY2(portErrors < 5, qPrintable(QString::number(portErrors)));

        serial->Send(QStringLiteral("MSV?;")); // harmless on the lost port
        RunEventLoopFor(20);
        QCOMPARE(events.Errors.size(), 1);
    }

    void aLostTransportMayBeFreedByItsCloseHandler()
    {
        TPtyPeer peer;
        auto serial = SerialOn(peer.SlavePath());
        TEvents events;
        events.Wire(*serial);
        serial->OnClose = [&](TIOIface *) {
            ++events.Closed;
            serial.reset();
        };
        serial->Open();
        QVERIFY(serial->IsOpen());
        peer.CloseMaster();
        QVERIFY(peer.WaitUntil([&] { return !events.Errors.isEmpty(); }));
        QVERIFY(!serial);
        QCOMPARE(events.Closed, 1);
        QCOMPARE(events.Errors.size(), 1);
    }

    void pathsThatAreNoSerialDeviceFailToOpenCleanly()
    {
        QTemporaryDir dir;
        QFile plain(dir.filePath("not-a-port"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("MSV?;\r\n");
        plain.close();
        for (const QString &path : {dir.path(), plain.fileName()}) {
            auto serial = SerialOn(path);
            TEvents events;
            events.Wire(*serial);
            serial->Open();
            QVERIFY2(!serial->IsOpen(), qPrintable(path));
            QCOMPARE(events.Opened, 0);
            QCOMPARE(events.Errors.size(), 1);
            QCOMPARE(events.Errors.first(), QStringLiteral("Cannot open serial port %1: it is not a serial device.").arg(path));
            RunEventLoopFor(30);
            QCOMPARE(events.Arrivals, 0);
            QCOMPARE(events.Errors.size(), 1);
        }
        QFile unchanged(plain.fileName());
        QVERIFY(unchanged.open(QIODevice::ReadOnly));
        QCOMPARE(unchanged.readAll(), QByteArray("MSV?;\r\n"));
    }

    void openingTwiceKeepsTheLineAndAnnouncesItAgain()
    {
        TPtyPeer peer;
        auto serial = SerialOn(peer.SlavePath());
        TEvents events;
        events.Wire(*serial);
        serial->Open();
        serial->Send(QStringLiteral("A;"));
        serial->Open(); // already open: the line stays as it is
        QVERIFY(serial->IsOpen());
        QCOMPARE(events.Opened, 2);
        QVERIFY(events.Errors.isEmpty());
        serial->Send(QStringLiteral("B;"));
        QVERIFY(peer.WaitFor("A;B;"));
        QVERIFY(peer.Write("0\r\n"));
        QVERIFY(peer.WaitUntil([&] { return events.Received == "0\r\n"; }));
    }

    void aTransportMayBeFreedFromInsideItsOwnEvents()
    {
        // The owner drops the transport from every event in turn; nothing of
        // it may be touched afterwards (the sanitizer build checks).
        for (const char *event : {"OnOpen", "OnReceive", "OnClose", "OnError"}) {
            TPtyPeer peer;
            auto serial = SerialOn(peer.SlavePath());
            int raised = 0;
            auto drop = [&, name = QByteArray(event)](const char *which) {
                if (name == which) {
                    ++raised;
                    serial.reset();
                }
            };
            serial->OnOpen = [=](TIOIface *) { drop("OnOpen"); };
            serial->OnReceive = [=](const QString &) { drop("OnReceive"); };
            serial->OnClose = [=](TIOIface *) { drop("OnClose"); };
            serial->OnError = [=](const QString &) { drop("OnError"); };
            if (qstrcmp(event, "OnError") == 0)
                serial->SetPortName(QStringLiteral("/dev/qv-no-such-port"));
            serial->Open();
            if (serial && qstrcmp(event, "OnReceive") == 0) {
                QVERIFY(peer.Write("0\r\n0\r\n"));
                QVERIFY(peer.WaitUntil([&] { return !serial; }));
            }
            if (serial)
                serial->Close();
            RunEventLoopFor(20);
            QVERIFY2(!serial, event);
            QCOMPARE(raised, 1);
        }
    }

    void aPortLostWhileAHandlerWaitsMayBeFreedByTheCloseHandler()
    {
        TPtyPeer peer;
        auto serial = SerialOn(peer.SlavePath());
        int closed = 0;
        QStringList errors;
        bool waitEnded = false;
        serial->OnReceive = [&](const QString &) {
            // A reply handler that waits, as the command exchange does; the
            // adapter is pulled meanwhile and the owner drops the transport.
            QTimer::singleShot(0, [&] { peer.CloseMaster(); });
            QDeadlineTimer deadline(2000);
            while (serial && !deadline.hasExpired())
                RunEventLoopFor(5);
            waitEnded = true;
        };
        serial->OnClose = [&](TIOIface *) {
            ++closed;
            serial.reset();
        };
        serial->OnError = [&](const QString &message) { errors << message; };
        serial->Open();
        QVERIFY(peer.Write("1.000,1,3\r\n"));
        QVERIFY(peer.WaitUntil([&] { return waitEnded; }));
        RunEventLoopFor(50);
        QVERIFY(!serial);
        QCOMPARE(closed, 1);
        QCOMPARE(errors.size(), 1); // the loss is still told, as when no handler waits
    }

    void aLineReopenedBeforeItsLossIsReportedIsNotCalledLost()
    {
        TPtyPeer lost;
        TPtyPeer replacement;
        auto serial = SerialOn(lost.SlavePath());
        TEvents events;
        events.Wire(*serial);
        serial->Open();
        lost.CloseMaster();
        serial->Port().waitForReadyRead(1000); // the loss is noticed, its events are queued
        QVERIFY(!serial->IsOpen());
        serial->SetPortName(replacement.SlavePath());
        serial->Open();
        QVERIFY(serial->IsOpen());
        RunEventLoopFor(50);
        QVERIFY(serial->IsOpen());
        QCOMPARE(events.Opened, 2);
        QCOMPARE(events.Closed, 0);
        QVERIFY(events.Errors.isEmpty());
    }

    void closingBeforeTheLossIsReportedRaisesCloseOnce()
    {
        TPtyPeer peer;
        auto serial = SerialOn(peer.SlavePath());
        TEvents events;
        events.Wire(*serial);
        serial->Open();
        peer.CloseMaster();
        // The port notices inside a blocking wait, so the loss events are
        // still queued when the owner closes.
        serial->Port().waitForReadyRead(1000);
        QVERIFY(!serial->IsOpen());
        QCOMPARE(events.Closed, 0);
        serial->Close();
        RunEventLoopFor(50);
        QCOMPARE(events.Closed, 1);
        QCOMPARE(events.Errors.size(), 1);
    }
};

QV_TEST_GUILESS_MAIN(TestTransport)
} // namespace test_transport
#include "test_transport.moc"
