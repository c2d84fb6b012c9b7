// The whole conversation over a real pseudo-terminal: the serial transport,
// the session's timer and nested waits, and a scripted instrument.

#include "link/comms.h"
#include "link/dmviewer.h"
#include "link/ioiface_serial.h"
#include "link/ioifaceconfigure.h"
#include "link/session.h"
#include "link/test_session_instrument.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QDialog>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_session_pty {

namespace {

struct TLine {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    TScriptedInstrument Instrument;
    TSession Session;
    QList<qint32> Weights;
    // What each start-up came to, and the transport's reports: what the
    // window would tell the operator. The session shows nothing itself.
    QList<TOutcome> Startups;
    QStringList LinkFailures;

    TLine()
    {
        Session.Connected = [this] {
            Session.SetActivity(actDisplay); // connected while the Display page is shown
            Startups << Session.StartupSequence();
        };
        Session.LinkFailed = [this](const QString &message) { LinkFailures << message; };
        Session.DisplayReply = [this](bool) {
            qint32 v = 0, places = 0;
            if (!Session.StatusReplyAwaited() && Session.Parser().GetInt(0, v, -999999, 999999, places))
                Weights << v;
        };
    }
    QStringList Told() const
    {
        QStringList texts;
        for (const TOutcome &outcome : Startups)
            if (!outcome.Text().isEmpty())
                texts << outcome.Text();
        return texts + LinkFailures;
    }
    bool Connect()
    {
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(Instrument.Peer().SlavePath());
        serial->SetBaudRate(9600);
        Session.InstallAndOpen(std::move(serial));
        return Session.IsOpen();
    }
    // As the window's Connect command: the dialog, then the line it chose.
    bool Connect(TdatViewer &store)
    {
        int unitAddress = Session.UnitAddress();
        std::unique_ptr<TIOIfaceSerial> serial = ConfigureAndCreate(store, unitAddress);
        if (!serial)
            return false; // cancelled: nothing changes
        Session.SetUnitAddress(unitAddress);
        Session.InstallAndOpen(std::move(serial));
        return Session.IsOpen();
    }
    void Run(int ms) { QTest::qWait(ms); }
};

} // namespace

class TestSessionPty : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        TPtyPeer probe;
        if (!probe.IsValid())
            QSKIP(qPrintable("no pseudo-terminal: " + probe.ErrorString()));
    }

    void connectBringsTheInstrumentUpAndPollsByActivity()
    {
        TLine line;
        line.Instrument.AnswerDelayMs = 60; // the "0" comes late: ENU? must wait for it
        QVERIFY(line.Connect());
        QCOMPARE(line.Session.DisplayUnits(), 2);
        QCOMPARE(line.Startups.size(), 1);
        QVERIFY(line.Startups.first());
        QVERIFY(line.Told().isEmpty());
        const QStringList start = line.Instrument.Events.mid(0, 7);
        QCOMPARE(start, (QStringList{">S98", ">STP", ">S99", ">COF11", "<0", ">ENU?", "<2"}));

        line.Instrument.AnswerDelayMs = 0;
        line.Instrument.Forget();
        line.Run(600);
        const QStringList polls = line.Instrument.Commands();
        QVERIFY2(polls.size() >= 30, qPrintable(QString::number(polls.size())));
        // Nine weight polls, then the unit's status request, over and over.
        int weightPolls = 0;
        for (const QString &c : polls) {
            if (c == "MSV?") {
                ++weightPolls;
                continue;
            }
            if (c == "S99") {
                QCOMPARE(weightPolls % 9, 0);
                continue;
            }
            QCOMPARE(c, QString("ESR?"));
        }
        QVERIFY(polls.contains("ESR?"));
        QVERIFY(line.Weights.size() >= 20);
        QCOMPARE(line.Weights.last(), 1250);

        // The Test page: nothing is polled.
        line.Session.SetActivity(actTest);
        line.Run(50);
        line.Instrument.Forget();
        line.Run(300);
        QVERIFY(line.Instrument.Commands().isEmpty());

        // Display page, then the Settings page, which leaves Activity as it
        // was: the polls go on.
        line.Session.SetActivity(actDisplay);
        line.Run(100);
        line.Instrument.Forget();
        line.Run(300);
        QVERIFY(line.Instrument.Commands().count("MSV?") >= 10);
        QVERIFY(line.Told().isEmpty());
        QVERIFY(line.Script.History.empty());
    }

    void connectUsesTheConfirmedSettingsAndDisconnectClosesTheLine()
    {
        TLine line;
        QTemporaryDir dir;
        const QString ini = dir.filePath("viewer.ini");
        QFile file(ini);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Connection]\r\nSerialPort=" + line.Instrument.Peer().SlavePath().toLocal8Bit()
                   + "\r\nSerialAddress=7\r\n");
        file.close();
        TdatViewer store(ini);
        int disconnected = 0;
        line.Session.Disconnected = [&] { ++disconnected; };

        line.Script.DialogAnswers.push_back([](QDialog &) { return int(QDialog::Rejected); });
        QVERIFY(!line.Connect(store));
        QVERIFY(!line.Session.IsOpen());
        QCOMPARE(line.Session.UnitAddress(), 99);

        line.Script.DialogAnswers.push_back([](QDialog &) { return int(QDialog::Accepted); });
        QVERIFY(line.Connect(store));
        QCOMPARE(line.Session.UnitAddress(), 7);
        QCOMPARE(line.Instrument.Commands().mid(0, 5), (QStringList{"S98", "STP", "S07", "COF11", "ENU?"}));
        QCOMPARE(line.Session.DisplayUnits(), 2);

        line.Session.Disconnect();
        QVERIFY(!line.Session.IsOpen());
        QCOMPARE(disconnected, 1);
        QVERIFY(line.Told().isEmpty());
        QCOMPARE(line.Script.Messages(), QStringList()); // only the two dialogs were shown
    }

    void silentInstrumentTimesOutAndTheDisplayGoesBlank()
    {
        TLine line;
        line.Instrument.Answers.clear();
        int blanked = 0;
        line.Session.DisplayStale = [&] { ++blanked; };
        QElapsedTimer clock;
        clock.start();
        QVERIFY(line.Connect());
        // 40 ticks of 10 ms before "Instrument not responding"
        QVERIFY(clock.elapsed() >= 380);
        QCOMPARE(line.Startups.size(), 1);
        QCOMPARE(line.Startups.first().Kind(), TOutcome::TKind::Silent);
        QCOMPARE(line.Told(), QStringList{"Instrument not responding"});
        QVERIFY(line.Script.History.empty());
        QVERIFY(!line.Instrument.Commands().contains("ENU?"));
        line.Run(300);
        QCOMPARE(blanked, 1);
        QVERIFY(line.Instrument.Commands().count("MSV?") >= 2); // repeated every 100 ms
    }

    void aPortThatVanishesDuringAWaitEndsIt()
    {
        TLine line;
        line.Session.Connected = {};
        QVERIFY(line.Connect());
        line.Instrument.Answers.clear();
        bool disconnected = false;
        line.Session.Disconnected = [&] { disconnected = true; };
        QTimer::singleShot(50, [&] { line.Instrument.Peer().CloseMaster(); });
        QElapsedTimer clock;
        clock.start();
        const TOutcome outcome = line.Session.SendAndWait("COF11", false, {}, line.Session.Acknowledge());
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(outcome.Kind(), TOutcome::TKind::PortLost);
        line.Run(600);
        QVERIFY(disconnected);
        QVERIFY(!line.Session.IsOpen());
        // The transport's own report, and nothing else.
        QVERIFY(outcome.Text().isEmpty());
        QCOMPARE(line.Told().size(), 1);
        QVERIFY(!line.Told().contains("Instrument not responding"));
        QVERIFY(line.Script.History.empty());
    }
};

QV_TEST_MAIN(TestSessionPty)
} // namespace test_session_pty
#include "test_session_pty.moc"
