// The passcode through the real window over a pseudo-terminal: its digits
// are never on screen, whatever happens, and an instrument left open by a
// lost port is locked again first thing when the port returns.

#include "app/frmmain.h"
#include "link/dmviewer.h"
#include "settings/transfer.h"
#include "sim/sim_server.h"
#include "support/connect_window.h"
#include "support/testmain.h"
#include "terminal/testpage.h"
#include "ui/scriptedprompts.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_passcode_pty {

namespace {

const QString Secret = QStringLiteral("987654");

struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    QTemporaryDir Dir;
    TSimServer Sim{[] {
                       TSimConfig c;
                       c.Load = 1250;
                       c.Passcode = Secret;
                       return c;
                   }(),
                   Dir.filePath(QStringLiteral("ttyQV"))};
    std::unique_ptr<TdatViewer> Store;
    TFrmMain Window;
    QStringList Received;   // commands the instrument received, in order

    // The simulator serves its port (again, after a loss, at the same path).
    bool Serve()
    {
        QString error;
        if (!Sim.Start(&error))
            return false;
        QObject::connect(&Sim.Instrument(), &TSimInstrument::CommandReceived,
                         [this](const QString &command) { Received << command; });
        return true;
    }
    bool Connect()
    {
        if (!Serve())
            return false;
        ConnectThroughDialog(Window, Script, Sim.Path(), Dir.filePath(QStringLiteral("viewer.ini")), Store);
        return Window.Session.IsOpen();
    }
    // Every text the window shows: its controls, the status bar's panels
    // (through their own labels) and the Test page's traffic view.
    QStringList ShownTexts() const
    {
        QStringList texts{Window.windowTitle()};
        for (const QLabel *label : Window.findChildren<QLabel *>())
            texts << label->text();
        for (const QLineEdit *edit : Window.findChildren<QLineEdit *>())
            texts << edit->text();
        for (const QPlainTextEdit *memo : Window.findChildren<QPlainTextEdit *>())
            texts << memo->toPlainText();
        for (const QAbstractButton *button : Window.findChildren<QAbstractButton *>())
            texts << button->text();
        for (int panel = 0; panel < 3; ++panel)
            texts << Window.PanelText(panel);
        for (const auto &shown : Script.History)
            texts << shown.text;
        return texts;
    }
    QString Leak() const
    {
        for (const QString &text : ShownTexts())
            if (text.contains(Secret))
                return text;
        return {};
    }
};

} // namespace

class TestPasscodePty : public QObject {
    Q_OBJECT
private slots:
    // A guarded change and a line the instrument refuses: the passcode goes
    // out, the refusal is said, the traffic is watched, and at no step does
    // any text on screen hold the digits.
    void thePasscodeIsNeverShown()
    {
        TRig rig;
        rig.Window.Transfer->Engine.LineWait = 10;   // the refused line gives up at once
        QVERIFY(rig.Connect());
        QTRY_VERIFY_WITH_TIMEOUT(rig.Window.PanelText(1).contains(QLatin1String("1250")), 3000);
        rig.Window.ReadSettings1->trigger();
        QVERIFY(rig.Window.LastOutcome.Ok());
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSTest);   // the traffic view is kept

        QStringList leaks;
        const auto check = [&rig, &leaks](const char *step) {
            if (const QString leak = rig.Leak(); !leak.isEmpty())
                leaks << QStringLiteral("%1: %2").arg(QLatin1String(step), leak);
        };
        rig.Script.WhileMessageShown = [&] { check("while a message is shown"); };
        rig.Script.ProgressAnswers.push_back([&](TProgress &progress) {
            WaitUntilFinished(progress);
            check("after the write's lines");
        });
        rig.Script.PasscodeAnswers = {Secret};
        QString error;
        QVERIFY(rig.Sim.Instrument().Faults().Apply(QStringLiteral("refuse=PFT"), &error));
        rig.Window.EditModel.CalWeight = 4321;                    // guarded: needs the passcode
        rig.Window.EditModel.PrintFormat = QStringLiteral("GROSS");   // refused
        rig.Window.PageWork.FillSettingsPages();
        rig.Window.WriteSettings1->trigger();
        check("after the write");
        QVERIFY(rig.Received.contains(QStringLiteral("PCD") + Secret));
        QVERIFY2(rig.Window.LastOutcome.Is(TOutcome::TKind::Refused), qPrintable(rig.Window.LastOutcome.Text()));
        QCOMPARE(rig.Script.Messages().size(), 1);
        QVERIFY(rig.Window.TestPage->MemoRx->toPlainText().contains(QLatin1String(">>>PCD****")));

        // Typed on the Test page, it is masked once sent, and sent again as
        // it stands the digits go out once more.
        rig.Received.clear();
        rig.Window.TestPage->EdtSendStr->setText(QStringLiteral("PCD") + Secret);
        rig.Window.TestPage->BtnSend->click();
        QTRY_VERIFY(rig.Received.contains(QStringLiteral("PCD") + Secret));
        check("after the Test page sent it");
        QCOMPARE(rig.Window.TestPage->EdtSendStr->text(), QStringLiteral("PCD****"));
        rig.Received.clear();
        QTRY_VERIFY(!rig.Window.Session.LineBusy());
        rig.Window.TestPage->BtnSend->click();
        QTRY_VERIFY(rig.Received.contains(QStringLiteral("PCD") + Secret));
        check("after it was sent again");

        // The instrument takes it in lower case as well: so does the mask.
        rig.Received.clear();
        QTRY_VERIFY(!rig.Window.Session.LineBusy());
        rig.Window.TestPage->EdtSendStr->setText(QStringLiteral("S01;pcd") + Secret);
        rig.Window.TestPage->BtnSend->click();
        QTRY_VERIFY(rig.Received.contains(QStringLiteral("pcd") + Secret));
        check("after it was sent in lower case");
        QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join(QStringLiteral(" | "))));
    }

    // The port goes away just after the digits went out: when it returns,
    // the lock is the first thing the instrument hears.
    void anInstrumentLeftOpenIsLockedFirstWhenThePortReturns()
    {
        TRig rig;
        QVERIFY(rig.Connect());
        QTRY_VERIFY_WITH_TIMEOUT(rig.Window.PanelText(1).contains(QLatin1String("1250")), 3000);
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSTest);
        rig.Window.TestPage->EdtSendStr->setText(QStringLiteral("PCD") + Secret);
        rig.Window.TestPage->BtnSend->click();
        QTRY_VERIFY(rig.Received.contains(QStringLiteral("PCD") + Secret));
        QVERIFY(rig.Window.Session.IsLockOwed());

        rig.Sim.Instrument().LosePort();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.Window.Session.IsOpen(), 3000);
        rig.Received.clear();
        QVERIFY(rig.Serve());   // plugged in again at the same path
        QTRY_VERIFY_WITH_TIMEOUT(rig.Window.Session.IsOpen(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(rig.Received.size() >= 2, 3000);
        QCOMPARE(rig.Received.first(), QStringLiteral("PCD"));
        QTRY_VERIFY(!rig.Window.Session.IsLockOwed());
    }
};

QV_TEST_MAIN(TestPasscodePty)
} // namespace test_passcode_pty
#include "test_passcode_pty.moc"
