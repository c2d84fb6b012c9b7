// The long operations of the main window against the faults of the line, on
// a real pseudo-terminal to the simulated instrument: the outcome each one
// gives, and that the window says it exactly once, with the operation's own
// text.

#include "app/frmmain.h"
#include "calibration/calbackup.h"
#include "calibration/calsteps.h"
#include "link/dmviewer.h"
#include "settings/transfer.h"
#include "sim/sim_server.h"
#include "support/connect_window.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QDialog>
#include <QPushButton>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_outcomes_pty {

namespace {

using TKind = TOutcome::TKind;

struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    QTemporaryDir Dir;
    TSimServer Sim{[] { TSimConfig c; c.Load = 1250; return c; }(), Dir.filePath(QStringLiteral("ttyQV"))};
    std::unique_ptr<TdatViewer> Store;
    TFrmMain Window;

    bool Connect()
    {
        QString error;
        if (!Sim.Start(&error))
            return false;
        ConnectThroughDialog(Window, Script, Sim.Path(), Dir.filePath(QStringLiteral("viewer.ini")), Store);
        return Window.Session.IsOpen();
    }
    void Break(const QString &fault)
    {
        if (fault == QLatin1String("port lost")) {
            Sim.Instrument().Faults().PortLossAfterCommands = 1;
            return;
        }
        QString error;
        QVERIFY2(Sim.Instrument().Faults().Apply(fault, &error), qPrintable(error));
    }
};

struct TOperation {
    const char *Name;
    std::function<void(TRig &)> Start;
};

const QList<TOperation> &Operations()
{
    static const QList<TOperation> operations = {
        {"read", [](TRig &rig) { rig.Window.ReadSettings1->trigger(); }},
        {"write",
         [](TRig &rig) {
             rig.Window.EditModel.PrintFormat = QStringLiteral("GROSS");
             rig.Window.PageWork.FillSettingsPages();
             rig.Window.WriteSettings1->trigger();
         }},
        {"zero", [](TRig &rig) { rig.Window.findChild<QPushButton *>(QStringLiteral("BtnZero"))->click(); }},
        {"backup",
         [](TRig &rig) {
             rig.Script.FileAnswers = {rig.Dir.filePath(QStringLiteral("unit.cal"))};
             rig.Window.btnBackupCal->click();
         }},
    };
    return operations;
}

const QString UploadFailed = QStringLiteral(
    "Calibration upload failed\n\nThe instrument did not answer the request, or refused it.  Nothing was saved.");

} // namespace

class TestOutcomesPty : public QObject {
    Q_OBJECT
private slots:
    void everyFaultIsSaidOnce_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("kind");
        // The message, or how it begins; empty: the port's own report of its loss.
        QTest::addColumn<QString>("message");
        // A refused query names the setting it asks for: the first one the
        // read (or the write's read of what the instrument holds) sends.
        const QString refused = QStringLiteral("The instrument refused ");
        const struct {
            int Operation;
            const char *Fault;
            TKind Kind;
            QString Message;
        } cells[] = {
            {0, "silent", TKind::Silent, QStringLiteral("Instrument not Responding")},
            {0, "refuse=*", TKind::Refused, refused},
            {0, "cut=1", TKind::Silent, QStringLiteral("Instrument not Responding")},
            {0, "port lost", TKind::PortLost, {}},
            {1, "silent", TKind::Silent, QStringLiteral("Instrument not Responding")},
            {1, "refuse=*", TKind::Refused, refused},
            {1, "cut=1", TKind::Silent, QStringLiteral("Instrument not Responding")},
            {1, "port lost", TKind::PortLost, {}},
            {2, "silent", TKind::Silent, TOutcome::NotRespondingText()},
            {2, "refuse=*", TKind::Refused, TOutcome::InvalidSettingText()},
            {2, "cut=1", TKind::Silent, TOutcome::NotRespondingText()},
            {2, "port lost", TKind::PortLost, {}},
            {3, "silent", TKind::Silent, UploadFailed},
            {3, "refuse=*", TKind::Refused, UploadFailed},
            {3, "cut=1", TKind::Silent, UploadFailed},
            {3, "port lost", TKind::PortLost, {}},
        };
        for (const auto &cell : cells)
            QTest::addRow("%s / %s", Operations()[cell.Operation].Name, cell.Fault)
                << cell.Operation << QString::fromLatin1(cell.Fault) << int(cell.Kind) << cell.Message;
    }

    void everyFaultIsSaidOnce()
    {
        QFETCH(int, operation);
        QFETCH(QString, fault);
        QFETCH(int, kind);
        QFETCH(QString, message);
        TRig rig;
        rig.Window.Transfer->Engine.LineWait = 10;   // four sends in 0.8 s instead of 16 s
        QVERIFY(rig.Connect());
        QTRY_VERIFY_WITH_TIMEOUT(rig.Window.PanelText(1).contains(QLatin1String("1250")), 3000);
        rig.Window.ReadSettings1->trigger();
        QVERIFY(rig.Window.LastOutcome.Ok());
        rig.Script.Clear();

        rig.Break(fault);
        Operations()[operation].Start(rig);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.Window.Transfer->IsBusy() && !rig.Window.CalSteps->IsRunning(), 5000);
        // A lost port is said from the event loop, just after the operation
        // ends; nothing more may follow.
        QTest::qWait(300);

        QCOMPARE(int(rig.Window.LastOutcome.Kind()), kind);
        const QStringList messages = rig.Script.Messages();
        QCOMPARE(messages.size(), 1);
        if (!message.isEmpty())
            QVERIFY2(messages.first().startsWith(message), qPrintable(messages.first()));
        else
            QVERIFY2(messages.first().contains(QLatin1String("lost")), qPrintable(messages.first()));
    }
};

QV_TEST_MAIN(TestOutcomesPty)
} // namespace test_outcomes_pty
#include "test_outcomes_pty.moc"
