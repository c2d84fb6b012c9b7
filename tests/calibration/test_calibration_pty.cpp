// The calibration steps from the Calibration page's buttons to the simulated
// instrument and back, over a real pseudo-terminal and the serial transport.

#include "app/frmmain.h"
#include "calibration/abscal.h"
#include "calibration/calpage.h"
#include "calibration/calwait.h"
#include "link/ioiface_serial.h"
#include "logging/filemenu.h"
#include "settings/editor.h"
#include "settings/editorcal.h"
#include "settings/settingsfile.h"
#include "sim/sim_instrument.h"
#include "sim/sim_pty.h"
#include "support/sim_pty_join.h"
#include "support/testmain.h"
#include "terminal/testpage.h"
#include "ui/scriptedprompts.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBar>

// A namespace of its own: the folder's test files are compiled together.
namespace test_calibration_pty {

namespace {

bool IsPoll(const QString &command)
{
    return command == QLatin1String("MSV?") || command == QLatin1String("ESR?")
        || (command.size() == 3 && command.startsWith(QLatin1Char('S')));
}

// Shows each mV/V signal the steps ask for in the dialog the window would
// run, and keeps what its field starts with.
struct TSignalScript : TScriptedPrompts {
    QStringList Offered;
    std::optional<qint32> Signal(const QString &prompt, qint32 signal) override
    {
        TFrmAbsCal dialog;
        dialog.Prepare(prompt, signal);
        Offered << dialog.EdtAbsMV->text();
        return TScriptedPrompts::Signal(prompt, signal);
    }
};

// Settings transfers run to their end unless a test scripts ProgressAnswers.
struct TRig {
    TSignalScript Script;
    TScopedPrompts Guard{&Script};
    TSimInstrument Instrument;
    TSimPty Pty;
    TFrmMain Window;
    QStringList Wire;

    explicit TRig(const TSimConfig &config) : Instrument(config)
    {
        JoinOverPty(Instrument, Pty);
        QObject::connect(&Instrument, &TSimInstrument::PortLost, &Pty, [this] { Pty.Close(); });
        QObject::connect(&Instrument, &TSimInstrument::CommandReceived, &Pty,
                         [this](const QString &command) { Wire << command; });
        auto serial = std::make_unique<TIOIfaceSerial>();
        serial->SetPortName(Pty.DevicePath());
        Window.Session.InstallAndOpen(std::move(serial));
    }
};

} // namespace

class TestCalibrationPty : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Quenvale 7400 Viewer")); }

    void stepsOnTheWire_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<bool>("weighMode3");
        QTest::addColumn<int>("stopAfterQueries");   // > 0 Cancel, < 0 the port goes
        QTest::addColumn<bool>("duringRead");         // pressed while a settings read runs
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("readBack");
        QTest::addColumn<QStringList>("messages");    // beginnings

        const auto times = [](const QString &command, int n) { return QStringList(n, command); };
        QTest::newRow("zero settles after 1,0,0,1,0,0,0,0,0")
            << "BtnZero" << QStringList{"progress=1,0,0,1,0,0,0,0,0"} << false << 0 << false
            << QStringList{"LDW"} + times("LDW?", 9) << 42 << QStringList{};
        QTest::newRow("span ends at error 103")
            << "BTnSpan" << QStringList{"progress=1,50,103"} << false << 0 << false
            << QStringList{"PCD?", "CWT3000", "LWT"} + times("LWT?", 3) << 42 << QStringList{"Error: 103 - Span Too Low"};
        QTest::newRow("span weight refused")
            << "BTnSpan" << QStringList{"refuse=CWT"} << false << 0 << false
            << QStringList{"PCD?", "CWT3000"} << 0
            << QStringList{"Invalid Setting"};
        // "passcode DIGITS": the instrument's passcode is 1234, the operator types DIGITS (none: Cancel).
        QTest::newRow("span on a locked instrument")
            << "BTnSpan" << QStringList{"passcode 1234", "progress=1,0,0,0,0,0"} << false << 0 << false
            << QStringList{"PCD?", "PCD1234", "CWT3000", "LWT"} + times("LWT?", 6) + QStringList{"PCD"} << 42
            << QStringList{};
        QTest::newRow("span, passcode cancelled") << "BTnSpan" << QStringList{"passcode "} << false << 0 << false
            << QStringList{"PCD?"} << 0 << QStringList{};
        // "lock refused": the instrument refuses "PCD" once the span weight is set; it stays open, and says so.
        QTest::newRow("span, not locked again")
            << "BTnSpan" << QStringList{"passcode 1234", "progress=1,0,0,0,0,0", "lock refused"} << false << 0 << false
            << QStringList{"PCD?", "PCD1234", "CWT3000", "LWT"} + times("LWT?", 6) + QStringList{"PCD"} << 42
            << QStringList{"The instrument refused to lock its guarded settings again (\"PCD\"): they stay open until "
                           "it is switched off."};
        QTest::newRow("span, passcode refused") << "BTnSpan" << QStringList{"passcode 4321"} << false << 0 << false
            << QStringList{"PCD?", "PCD4321", "PCD"} << 0
            << QStringList{"The instrument refused the passcode: its guarded settings stay locked."};
        QTest::newRow("set point 2") << "BtnLSet" << QStringList{} << false << 0 << false
            << QStringList{"LIC2,500", "LIC?2"} << 0 << QStringList{};
        QTest::newRow("clear point 2") << "BtnLClear" << QStringList{} << false << 0 << false
            << QStringList{"LIC2", "LIC?2"} << 0 << QStringList{};
        QTest::newRow("zero signal in weighing mode 3")
            << "BtnZero" << QStringList{} << true << 0 << false
            << QStringList{"VAL?", "LDW12000"} << 42 << QStringList{};
        QTest::newRow("span signal in weighing mode 3") << "BTnSpan" << QStringList{} << true << 0 << false
            << QStringList{"LWT?", "LWT12000"} << 42 << QStringList{};
        QTest::newRow("endless progress cancelled by the operator")
            << "BtnZero" << QStringList{"progress=50"} << false << 6 << false
            << QStringList{"LDW"} + times("LDW?", 6)
            << 42 << QStringList{};
        QTest::newRow("zero refused while settings are read")
            << "BtnZero" << QStringList{} << false << 0 << true << QStringList{} << 42
            << QStringList{"The instrument is busy"};
        QTest::newRow("port lost during the wait")
            << "BtnZero" << QStringList{"progress=1"} << false << -3 << false
            << QStringList{"LDW"} + times("LDW?", 3) << 0
            << QStringList{"Connection to"};
    }

    void stepsOnTheWire()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, faults);
        QFETCH(bool, weighMode3);
        QFETCH(int, stopAfterQueries);
        QFETCH(bool, duringRead);
        QFETCH(QStringList, steps);
        QFETCH(int, readBack);
        QFETCH(QStringList, messages);

        TSimConfig config;
        config.Load = weighMode3 ? 2469 : 1250;   // 2469 counts give a signal of 1.2345 mV/V
        const QStringList typed = faults.filter("passcode ");
        config.Passcode = typed.isEmpty() ? QString() : QStringLiteral("1234");
        faults.removeAll(typed.value(0));
        const bool lockRefused = faults.removeAll(QStringLiteral("lock refused")) > 0;
        TRig rig(config);
        TFrmMain &w = rig.Window;
        QVERIFY(w.Session.IsOpen());
        if (weighMode3) { // the stored span signal is the signal now: both prefill 1.2345 mV/V
            rig.Instrument.Settings().Set("WMD", 0, 0, 4);
            rig.Instrument.Settings().Set("LWT", 1, 0, 12345);
        }
        w.ReadSettings1->trigger();
        w.PgCMain->setCurrentWidget(w.TSCal);
        QCOMPARE(w.CalPage->GBxLin->isHidden(), weighMode3);
        QString error;
        for (const QString &fault : faults)
            QVERIFY(rig.Instrument.Faults().Apply(fault, &error));
        w.LBxLCal->setCurrentRow(1);
        w.CalPage->EdtLCalWeight->setText(QStringLiteral("500"));
        QTRY_VERIFY_WITH_TIMEOUT(rig.Wire.contains(QStringLiteral("MSV?")), 2000);

        int queries = 0;
        QObject::connect(&rig.Instrument, &TSimInstrument::CommandReceived, &rig.Pty, [&](const QString &c) {
            if (lockRefused && c.startsWith(QLatin1String("CWT")))
                rig.Instrument.Faults().RefuseTo << QStringLiteral("PCD");
            if (c.endsWith(QLatin1Char('?')) && c.startsWith(QLatin1String("LDW")) && ++queries == std::abs(stopAfterQueries))
                stopAfterQueries > 0 ? w.CalWait->BtnCancel->click() : rig.Instrument.LosePort();
        });
        if (weighMode3)
            rig.Script.SignalAnswers.push_back(12000);   // 1.2 mV/V
        if (!typed.isEmpty()) {
            const QString digits = typed[0].mid(9);
            rig.Script.PasscodeAnswers.push_back(digits.isEmpty() ? std::nullopt : std::optional(digits));
        }
        QPushButton *pressed = w.CalPage->findChild<QPushButton *>(button);
        if (duringRead)
            rig.Script.ProgressAnswers.push_back([pressed](TProgress &progress) {
                pressed->click();
                WaitUntilFinished(progress);
            });
        rig.Script.Clear();
        rig.Wire.clear();
        duringRead ? w.ReadSettings1->trigger() : pressed->click();

        // Polls may precede the step; none may come inside it or before
        // the read-back, which then runs without any.
        QStringList wire = rig.Wire;
        while (!wire.isEmpty() && IsPoll(wire.first()))
            wire.removeFirst();
        QCOMPARE(wire.mid(0, steps.size()), steps);
        const QStringList after = wire.mid(steps.size());
        const auto firstPoll = std::find_if(after.begin(), after.end(), IsPoll);
        QCOMPARE(int(firstPoll - after.begin()), readBack);
        // A lost line is reported from the event loop, after the step.
        QTRY_COMPARE_WITH_TIMEOUT(rig.Script.Messages().size(), messages.size(), 1000);
        for (int i = 0; i < messages.size(); ++i)
            QVERIFY2(rig.Script.Messages()[i].startsWith(messages[i]), qPrintable(rig.Script.Messages()[i]));
        // Both signals start from what the instrument holds: 1.2345 mV/V.
        QCOMPARE(rig.Script.Offered, weighMode3 ? QStringList{"1.2345"} : QStringList());
        QVERIFY(w.PgCMain->isEnabled() && w.ToolBar->isEnabled());
        QVERIFY(!w.Session.DisplayPollPaused());
        QCOMPARE(rig.Instrument.Unlocked(), config.Passcode.isEmpty() || lockRefused); // locked again
        if (!w.Session.IsOpen())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(!rig.Wire.isEmpty() && rig.Wire.last() == QLatin1String("MSV?"), 2000);
        if (button == QLatin1String("BtnLSet"))
            QCOMPARE(w.LBxLCal->item(1)->text(),
                     QString::asprintf("2: %4d%%   ", int(rig.Instrument.Settings().Int("LIC", 2, 0))) + "500.0");
    }

    void typingIntoTheNumberFields_data()
    {
        QTest::addColumn<bool>("signalField");   // EdtAbsMV, else EdtLCalWeight
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("setEnabled");
        QTest::newRow("signal above 3 mV/V") << true << "3.0001" << false << "3.0001"
                                             << "Out of Range: (-3.0000 to 3.0000)" << false;
        QTest::newRow("signal at -3 mV/V") << true << "-3" << false << "-3.0000" << "" << false;
        QTest::newRow("signal letters dropped") << true << "1.2x" << true << "1.2000" << "" << false;
        QTest::newRow("weight letters dropped") << false << "5a" << false << "5" << "" << true;
        QTest::newRow("weight Enter") << false << "12" << true << "12.0" << "" << true;
        QTest::newRow("weight empty") << false << "" << false << "" << "" << false;
    }

    void typingIntoTheNumberFields()
    {
        QFETCH(bool, signalField);
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        QFETCH(bool, setEnabled);
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmAbsCal dialog;
        TCalibrationPage page(*new TCalSettingsFields);   // the page adopts the fields
        page.Decimals = [] { return 1; };
        QLineEdit *edit = signalField ? dialog.EdtAbsMV : page.EdtLCalWeight;
        QTest::keyClicks(edit, typed);
        if (enter)
            QTest::keyClick(edit, Qt::Key_Return);
        if (signalField)
            dialog.EdtAbsMVExit();
        QCOMPARE(edit->text(), shown);
        QCOMPARE(script.Messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(page.BtnLSet->isEnabled(), setEnabled);
    }

    // The port goes at the fourth of five lines: the pages keep every edit; three went.
    void writeCutShortByALostPortKeepsThePagesAndSaysWhatWent()
    {
        TRig rig{TSimConfig()};
        TFrmMain &w = rig.Window;
        w.ReadSettings1->trigger();
        for (int i = 0; i < 5; ++i)
            w.EditModel.HeaderLines[size_t(i)] = QStringLiteral("Edited %1").arg(i + 1);
        w.SettingsEditor->FillSettingsPages();
        int written = 0;
        QObject::connect(&rig.Instrument, &TSimInstrument::CommandReceived, &rig.Pty, [&](const QString &c) {
            if (c.startsWith(QLatin1String("PST")) && !c.contains(u'?') && ++written == 4)
                rig.Instrument.LosePort();
        });
        rig.Script.Clear();
        w.WriteSettings1->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!w.Session.IsOpen(), 2000);
        for (QWidget *page : {w.TSSettings, w.TSCal})
            QVERIFY(w.PgCMain->isTabVisible(w.PgCMain->indexOf(page)));
        QVERIFY(w.EditModel.HeaderLines[4] == QStringLiteral("Edited 5") && !w.SettingsSent);
        QVERIFY(w.StatusNote->text().contains(
            "instrument: Header line 1, Header line 2, Header line 3. Not written: Header line 4, Header line 5 ("));
    }

    // Settings changed behind the pages' back (the Test page here) stay as
    // the instrument holds them: a write sends what the operator edited, and
    // the status note says what it kept. A linearisation point asks nothing.
    void writesSendWhatTheOperatorChanged()
    {
        TRig rig{TSimConfig()};
        TFrmMain &w = rig.Window;
        w.ReadSettings1->trigger();
        for (const char *command : {"ENU3", "RBT2,7"}) {
            w.TestPage->EdtSendStr->setText(QLatin1String(command));
            w.TestPage->BtnSend->click();
            QTRY_VERIFY(rig.Wire.contains(QLatin1String(command)));
        }
        w.PgCMain->setCurrentWidget(w.TSSettings);
        w.SettingsEditor->EdtPFmt->setText(QStringLiteral("NET"));
        rig.Wire.clear();
        w.WriteSettings1->trigger();
        QVERIFY(rig.Wire.contains(QStringLiteral("PFT\"NET\"")));
        QVERIFY(!rig.Wire.contains(QStringLiteral("ENU2")) && !rig.Wire.contains(QStringLiteral("RBT2,0")));
        QCOMPARE(rig.Instrument.Settings().Int("ENU", 0, 0), 3);
        QCOMPARE(w.SettingsEditor->CBxUnits->currentIndex(), 3);
        QVERIFY2(w.StatusNote->text().endsWith(QLatin1String("filled): Units, Remote 2.")),
                 qPrintable(w.StatusNote->text()));
        w.WriteSettings1->trigger();   // nothing has changed since
        QCOMPARE(rig.Script.Messages().last(), QStringLiteral("The instrument already holds these settings."));
        w.PgCMain->setCurrentWidget(w.TSCal);
        w.LBxLCal->setCurrentRow(1);
        w.CalPage->EdtLCalWeight->setText(QStringLiteral("500"));
        w.CalPage->BtnLSet->click();
        w.PgCMain->setCurrentWidget(w.TSDisplay);
        w.PgCMain->setCurrentWidget(w.TSCal);
        QVERIFY(rig.Script.Questions().isEmpty());
    }

    // What is typed on the Calibration page before Zero outlives the
    // settings read back after it: Span sends the weight typed.
    void typedCalibrationValuesOutliveTheReadBack()
    {
        TSimConfig config;
        config.Load = 2500;
        TRig rig(config);
        TFrmMain &w = rig.Window;
        w.ReadSettings1->trigger();
        w.PgCMain->setCurrentWidget(w.TSCal);
        QLineEdit *zero = w.SettingsEditor->CalFields->edtCalDirectZero;
        for (QLineEdit *edit : {w.CalPage->EdtCalWeight, zero}) {
            edit->selectAll();
            QTest::keyClicks(edit, edit == zero ? QStringLiteral("0.5") : QStringLiteral("2500"));
        }
        w.CalPage->BtnZero->click();
        QVERIFY(rig.Wire.contains(QStringLiteral("IDN?")));   // read back
        QCOMPARE(w.CalPage->EdtCalWeight->text(), QStringLiteral("2500"));
        QCOMPARE(zero->text(), QStringLiteral("0.5"));
        rig.Wire.clear();
        w.CalPage->BTnSpan->click();
        QVERIFY(rig.Wire.contains(QStringLiteral("CWT2500")));
        QCOMPARE(rig.Instrument.Settings().Int("CWT", 0, 0), 2500);
    }

    // Another unit's settings file opened over the pages, then let go at the
    // step's question: the span weight typed goes out in the instrument's
    // decimals and units, not the file's (2000 is not 2000.00).
    void discardedEditsAreGoneBeforeTheStep()
    {
        TRig rig({});
        TFrmMain &w = rig.Window;
        w.ReadSettings1->trigger();
        QCOMPARE(w.InstrumentModel.DecimalPoint, 0);
        QTemporaryDir dir;
        Tdata7410 other = w.InstrumentModel;
        other.DecimalPoint = 2;
        other.Units = (other.Units + 1) % 4;
        other.CalWeight = 300000;
        const QString file = dir.filePath(QStringLiteral("other.QVS"));
        QString error;
        QVERIFY2(SaveSettingsFile(file, other, &error), qPrintable(error));
        rig.Script.FileAnswers = {file};
        QVERIFY(w.FileMenu->Open());
        w.PgCMain->setCurrentWidget(w.TSCal);
        QLineEdit *weight = w.CalPage->EdtCalWeight;
        weight->selectAll();
        QTest::keyClicks(weight, QStringLiteral("2000"));
        rig.Script.ConfirmAnswers = {true};
        rig.Wire.clear();
        w.CalPage->BTnSpan->click();
        QCOMPARE(rig.Script.Questions().size(), 1);
        QVERIFY2(rig.Wire.contains(QStringLiteral("CWT2000")), qPrintable(rig.Wire.join(u' ')));
        QCOMPARE(w.EditModel.Units, w.InstrumentModel.Units);
    }

    // What the operator typed is never sent out of range, never lost without
    // a question, and a refusal names the setting refused.
    void typedSettingsAreGuarded()
    {
        TRig rig{TSimConfig()};
        TFrmMain &w = rig.Window;
        w.ReadSettings1->trigger();
        w.show();
        w.PgCMain->setCurrentWidget(w.TSSettings);
        w.SettingsEditor->EdtFS1->setText(QStringLiteral("99999999"));
        w.WriteSettings1->trigger();
        QCOMPARE(rig.Script.Messages(), QStringList{QStringLiteral("Out of Range: (100 to 999999)")});
        QTRY_COMPARE(QApplication::focusWidget(), w.SettingsEditor->EdtFS1);
        QVERIFY(!rig.Wire.join(u' ').contains(QLatin1String("IAD1")));
        w.SettingsEditor->EdtFS1->setText(QStringLiteral("5000"));
        rig.Script.ConfirmAnswers.push_back(false);
        w.ReadSettings1->trigger();
        QCOMPARE(rig.Script.Questions().size(), 1);
        QCOMPARE(w.EditModel.FullScale1, 5000);
        w.SettingsEditor->EdtFS1->setText(QStringLiteral("3000"));   // as the instrument holds it
        w.SettingsEditor->MemoHeader->setPlainText(QStringLiteral("x"));
        rig.Instrument.Faults().RefuseTo = {QStringLiteral("PST")};
        w.WriteSettings1->trigger();
        QCOMPARE(rig.Script.Messages().last(), QStringLiteral("The instrument refused Header line 1 (PST1,\"x\")."));
    }
};

QV_TEST_MAIN(TestCalibrationPty)
} // namespace test_calibration_pty
#include "test_calibration_pty.moc"
