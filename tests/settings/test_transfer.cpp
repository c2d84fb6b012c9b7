// Reading and writing settings against the simulated instrument: what goes
// over the line, what the models hold afterwards, and how a refusal,
// silence, cancel or a lost line end a transfer.

#include "support/testmain.h"
#include "test_transfer_rig.h"

#include "settings/passcode.h"
#include "settings/tools.h"
#include "settings/trafficdlg.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

// A namespace of its own: the folder's test files are compiled together.
namespace test_transfer {

namespace {

const QString NotResponding = QStringLiteral("Instrument not Responding");
const QString NotConnected = QStringLiteral("Instrument not Connected");
using TKind = TOutcome::TKind;

QStringList BuildQueries()
{
    QStringList queries;
    QStringList expected;
    Tdata7410().BuildQueryList(false, queries, expected);
    return queries;
}

QStringList ChangedLines(const Tdata7410 &edit, const Tdata7410 &held)
{
    QStringList pending;
    QStringList old;
    edit.BuildWriteCommands(pending);
    held.BuildWriteCommands(old);
    RemoveCommon(pending, old);
    return pending;
}

// The settings lines a write sent: no query, no passcode, no store.
QStringList SettingsSent(const QStringList &commands)
{
    QStringList lines;
    for (const QString &c : commands)
        if (!c.contains(u'?') && !c.startsWith(QLatin1String("PCD")) && !c.startsWith(QLatin1String("TDD")))
            lines << c;
    return lines;
}

// Settings that differ from a fresh instrument's in every kind of line.
Tdata7410 Altered()
{
    Tdata7410 m;
    m.SerialID = QStringLiteral("Bay 2");
    m.Address = 7;
    m.Units = 3;
    m.DecimalPoint = 2;
    m.FullScale1 = 150000;
    m.Resolution1 = 2;
    m.CalWeight = 100000;
    m.Motion = 4;
    m.HeaderLines[0] = QStringLiteral("Quarry gate");
    m.HeaderLines[5] = QStringLiteral("Line six");
    m.PrintFormat = QStringLiteral("%W %U");
    m.RemoteKeys = {2, 0, 5, 1};
    m.Setpoints[1].Type = 3;
    m.Setpoints[1].Target = 12345;
    m.InflightAdjust = 80;
    m.Materials[0] = {QStringLiteral("Sand"), 30};
    m.Materials[1] = {QStringLiteral("Gravel"), 40};
    return m;
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT
private slots:
    void aReadFillsBothModelsWithWhatTheInstrumentHolds()
    {
        TSimConfig config;
        TTransferRig rig(config);
        Tdata7410 expected = Altered();
        QStringList lines;
        expected.BuildWriteCommands(lines);
        rig.Preset(lines);
        // Linearisation points are set by calibration, not by a settings line.
        rig.Instrument.Settings().Set(QStringLiteral("LIC"), 2, 0, 40);
        rig.Instrument.Settings().Set(QStringLiteral("LIC"), 2, 1, 6020);
        expected.LinPercent[1] = 40;
        expected.LinWeight[1] = 6020;
        expected.SerialNumber = config.SerialNumber;
        expected.Version = config.Version;

        rig.RunTraffic();
        QVERIFY(rig.Transfer.ReadSettings1Click());
        QCOMPARE(rig.Captions, QStringList{QStringLiteral("Read Settings from Instrument")});
        QVERIFY2(rig.EditModel == expected,
                 qPrintable(ChangedLines(rig.EditModel, expected).join(QLatin1String(" | "))));
        QVERIFY(rig.InstrumentModel == expected);
        QVERIFY(rig.Script.Messages().isEmpty());
        QVERIFY(rig.Transfer.SettingsSent);
        QCOMPARE(rig.Session.DisplayUnits(), 3);
        QCOMPARE(rig.PagesFilled, 1);
        // No poll between the 42 queries; polling and Activity are back after.
        QCOMPARE(rig.Commands().size(), 42);
        QCOMPARE(rig.Wire.mid(rig.Wire.indexOf(QStringLiteral("IDN?")), 42), rig.Commands());
        QCOMPARE(rig.Session.Activity(), actDisplay);
        QVERIFY(!rig.Session.PollingSuspended());
    }

    void refusedMaterialQueriesReadAsEmptyNamesAndKeepTheOtherValues()
    {
        TTransferRig rig;
        rig.Instrument.Faults().RefuseTo = {QStringLiteral("LIS"), QStringLiteral("LIL")};
        rig.EditModel.Materials[0].Name = QStringLiteral("Old");
        rig.EditModel.InflightAdjust = 77;
        rig.RunTraffic();
        QVERIFY(rig.Transfer.ReadSettings1Click());
        QVERIFY(rig.EditModel.Materials[0].Name.isEmpty());
        QVERIFY(rig.EditModel.Materials[1].Name.isEmpty());
        QCOMPARE(rig.EditModel.InflightAdjust, 77);
        QCOMPARE(rig.Commands().size(), 42); // refused once each, not repeated
    }

    void aSilentInstrumentEndsTheReadWithoutTouchingTheModels_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("fault");   // from the 8th tick on, or to "PCD?"
        QTest::newRow("silent read") << false << "Silent";
        QTest::newRow("port lost in a read") << false << "lost";
        QTest::newRow("silent build read-back") << true << "Silent";
        QTest::newRow("port lost in the read-back") << true << "lost";
        QTest::newRow("PCD? unanswered") << true << "PCD";
    }

    void aSilentInstrumentEndsTheReadWithoutTouchingTheModels()
    {
        QFETCH(bool, write);
        QFETCH(QString, fault);
        TTransferRig rig;
        rig.EditModel.Units = 4;
        const Tdata7410 before = rig.EditModel;
        rig.Instrument.Faults().SilentTo = {fault};
        rig.RunTraffic([&rig, fault](TSettingsTransfer &, int tick) {
            rig.Instrument.Faults().Silent = tick >= 8 && fault == QLatin1String("Silent");
            if (tick == 8 && fault == QLatin1String("lost"))
                rig.Instrument.LosePort();
        });
        const TOutcome outcome = write ? rig.Transfer.WriteSettings1Click() : rig.Transfer.ReadSettings1Click();
        QVERIFY(!outcome);
        if (fault == QLatin1String("lost")) {
            // The session reported the lost port; the outcome adds nothing.
            QCOMPARE(outcome.Kind(), TKind::PortLost);
            QVERIFY(outcome.Text().isEmpty());
            QCOMPARE(rig.LinkFailures, QStringList{TIOIfaceSim::PortLostMessage()});
        } else {
            QCOMPARE(outcome.Kind(), TKind::Silent);
            QCOMPARE(outcome.Text(), fault == QLatin1String("PCD") ? QStringLiteral("Instrument not responding")
                                                                   : NotResponding);
        }
        QVERIFY(rig.Script.Messages().isEmpty());
        QVERIFY(rig.EditModel == before);
        // A read of what the instrument holds that completed before the end stays.
        QVERIFY(rig.InstrumentModel == Tdata7410() || fault == QLatin1String("PCD"));
        QVERIFY(!rig.Transfer.SettingsSent);
        QCOMPARE(rig.PagesFilled, write ? 0 : 1); // a read refills the pages all the same
        const QStringList sent = rig.Commands();
        QVERIFY(!sent.contains(QStringLiteral("ENU4")) && !sent.contains(QStringLiteral("TDD1")));
        QCOMPARE(sent.count(sent.last()), fault == QLatin1String("Silent") ? 4 : 1);
        QCOMPARE(rig.Session.Activity(), actDisplay);
        QVERIFY(!rig.Session.PollingSuspended());
    }

    void aCancelledReadChangesNothingAndSaysNothing()
    {
        TTransferRig rig;
        rig.Preset({QStringLiteral("ENU3")});
        rig.RunTraffic([](TSettingsTransfer &transfer, int tick) {
            if (tick == 10)
                transfer.Progress.Cancel();
        });
        const TOutcome read = rig.Transfer.ReadSettings1Click();
        QCOMPARE(read.Kind(), TKind::Cancelled);
        QVERIFY(read.Text().isEmpty());
        QVERIFY(rig.Script.Messages().isEmpty());
        QVERIFY(rig.EditModel == Tdata7410());
        QVERIFY(rig.InstrumentModel == Tdata7410());
        QVERIFY(!rig.Transfer.SettingsSent);
        QVERIFY(rig.Commands().size() < 42);
    }

    void withoutAConnectionNothingIsSent()
    {
        TTransferRig rig;
        rig.Session.Transport().Close();
        for (const TOutcome &outcome : {rig.Transfer.ReadSettings1Click(), rig.Transfer.WriteSettings1Click()}) {
            QCOMPARE(outcome.Kind(), TKind::NotConnected);
            QCOMPARE(outcome.Text(), NotConnected);
        }
        QVERIFY(rig.Script.Messages().isEmpty());
        QVERIFY(rig.Commands().isEmpty());

        // Before any read or load the write does nothing at all.
        TTransferRig fresh;
        fresh.Transfer.SettingsAvailable = [] { return false; };
        fresh.EditModel.Units = 4;
        const TOutcome written = fresh.Transfer.WriteSettings1Click();
        QVERIFY(!written);
        QVERIFY(written.Text().isEmpty());
        QVERIFY(fresh.Commands().isEmpty());
        QVERIFY(fresh.Script.Messages().isEmpty());
    }

    void aWriteSendsOnlyTheChangedLinesThenStores()
    {
        TTransferRig rig;
        QVERIFY(rig.ReadAll());
        rig.Transfer.SettingsSent = false;
        rig.EditModel.Units = 3;
        rig.EditModel.HeaderLines[0] = QStringLiteral("North gate");
        rig.EditModel.HeaderLines[1] = rig.EditModel.HeaderLines[1].toUpper(); // no change
        const QStringList changed = ChangedLines(rig.EditModel, rig.InstrumentModel);
        QCOMPARE(changed.size(), 2);
        QVERIFY(changed[0].startsWith(QLatin1String("ENU")));

        rig.RunTraffic();
        rig.RunTraffic();
        QVERIFY(rig.Transfer.WriteSettings1Click());
        QCOMPARE(rig.Commands(), (BuildQueries() + QStringList{"PCD?"} + changed
                                     + QStringList{"TDD1", "PCD", "TDD1"}));
        QCOMPARE(rig.Captions, (QStringList{QStringLiteral("Read Build Settings from Instrument"),
                                            QStringLiteral("Write Settings to Instrument")}));
        QVERIFY(rig.InstrumentModel == rig.EditModel);
        QVERIFY(rig.Transfer.SettingsSent);
        QCOMPARE(rig.Session.DisplayUnits(), 3);
        QCOMPARE(rig.Instrument.Settings().Int(QStringLiteral("ENU"), 0, 0), 3);
        QCOMPARE(rig.Instrument.Settings().Text(QStringLiteral("PST"), 1, 0), QStringLiteral("North gate"));
        QVERIFY(rig.Script.Messages().isEmpty());
        QCOMPARE(rig.Session.Activity(), actDisplay);
        QVERIFY(!rig.Session.PollingSuspended());
    }

    void nothingChangedOrAlreadyHeldSendsNoSetting()
    {
        TTransferRig rig;
        QVERIFY(rig.ReadAll());
        rig.Transfer.SettingsSent = false;
        QVERIFY(rig.Transfer.WriteSettings1Click());
        QCOMPARE(rig.Commands(), (QStringList{"TDD1", "TDD1"}));
        QVERIFY(rig.Transfer.SettingsSent);

        // The same units were set on the instrument itself since the read.
        rig.Wire.clear();
        rig.Preset({QStringLiteral("ENU3")});
        rig.EditModel.Units = 3;
        rig.RunTraffic();
        QVERIFY(rig.Transfer.WriteSettings1Click());
        QCOMPARE(rig.Commands(), (BuildQueries() + QStringList{"TDD1", "TDD1"}));
        QVERIFY(rig.InstrumentModel == rig.EditModel);
    }

    void noTransferStartsWhileAnotherAnswerIsAwaited()
    {
        TTransferRig rig;
        QVERIFY(rig.ReadAll());
        rig.Transfer.SettingsSent = false;
        rig.Instrument.Faults().SilentTo = {QStringLiteral("ENU")};
        bool wrote = true;
        QTimer::singleShot(0, [&] { wrote = rig.Transfer.WriteSettings1Click().Ok(); });
        rig.Session.SendAndWait(QStringLiteral("ENU?;"), false, QStringLiteral("ENU"), rig.Session.Numeric());
        QVERIFY(!wrote && !rig.Transfer.SettingsSent);
        // Nor while the instrument streams weights that could pass for answers.
        rig.Session.SetLoggingState(lsStreamed);
        const TOutcome read = rig.Transfer.ReadSettings1Click();
        QCOMPARE(read.Kind(), TKind::Busy);
        QVERIFY(read.Text().startsWith(QLatin1String("A streamed log")));
        rig.Session.SetLoggingState(lsStopped);
        // A store the instrument refuses is no success either.
        rig.Instrument.Faults().RefuseTo = {QStringLiteral("TDD")};
        QCOMPARE(rig.Transfer.WriteSettings1Click().Kind(), TKind::Refused);
        QVERIFY(!rig.Transfer.SettingsSent);
        QCOMPARE(rig.Commands(), (QStringList{"ENU?", "TDD1", "TDD1"}));
        QVERIFY(rig.Script.Messages().isEmpty());
    }

    void aHeaderChangeNeedsNoPasscode()
    {
        TSimConfig config;
        config.Passcode = QStringLiteral("4620");
        TTransferRig rig(config);
        QVERIFY(rig.ReadAll());
        rig.EditModel.HeaderLines[2] = QStringLiteral("Weighbridge");
        const QStringList changed = ChangedLines(rig.EditModel, rig.InstrumentModel);
        rig.RunTraffic();
        rig.RunTraffic();
        QVERIFY(rig.Transfer.WriteSettings1Click());
        QCOMPARE(rig.Commands(), (BuildQueries() + changed + QStringList{"TDD1", "PCD", "TDD1"}));
    }

    void aGuardedChangeAsksForThePasscodeAndLocksAgain()
    {
        TSimConfig config;
        config.Passcode = QStringLiteral("4620");
        TTransferRig rig(config);
        QVERIFY(rig.ReadAll());
        rig.EditModel.Units = 1;
        rig.EditModel.HeaderLines[0] = QStringLiteral("Yard");
        const QStringList changed = ChangedLines(rig.EditModel, rig.InstrumentModel);
        rig.RunTraffic();
        rig.AnswerPasscode(QStringLiteral("4620"));
        rig.RunTraffic();
        QVERIFY(rig.Transfer.WriteSettings1Click());
        // The status panel shows the passcode masked; the instrument took it.
        QCOMPARE(rig.Commands(), (BuildQueries() + QStringList{"PCD?", "PCD****"} + changed
                                     + QStringList{"TDD1", "PCD", "TDD1"}));
        QCOMPARE(rig.Instrument.Settings().Int(QStringLiteral("ENU"), 0, 0), 1);
        QVERIFY(!rig.Instrument.Unlocked());
        QVERIFY(rig.Script.Messages().isEmpty());
        QVERIFY(rig.Script.PasscodeAnswers.empty() && rig.Script.ProgressAnswers.empty());
    }

    void aRefusedOrCancelledPasscodeEndsTheWriteBeforeAnySetting()
    {
        TSimConfig config;
        config.Passcode = QStringLiteral("4620");
        TTransferRig rig(config);
        QVERIFY(rig.ReadAll());
        rig.Transfer.SettingsSent = false;
        rig.EditModel.Units = 1;
        const Tdata7410 held = rig.InstrumentModel;

        rig.RunTraffic();
        rig.AnswerPasscode(QStringLiteral("1111"));
        const TOutcome refused = rig.Transfer.WriteSettings1Click();
        QCOMPARE(refused.Kind(), TKind::Refused);
        QCOMPARE(refused.Text(), QStringLiteral("The instrument refused the passcode: its guarded settings stay locked."));
        QCOMPARE(rig.Commands(), (BuildQueries() + QStringList{"PCD?", "PCD****", "PCD"}));

        rig.Wire.clear();
        rig.RunTraffic();
        rig.AnswerPasscode(std::nullopt);
        QCOMPARE(rig.Transfer.WriteSettings1Click().Kind(), TKind::Cancelled);
        QCOMPARE(rig.Commands(), (BuildQueries() + QStringList{"PCD?"}));
        QVERIFY(rig.Script.Messages().isEmpty());

        QVERIFY(rig.InstrumentModel == held);
        QVERIFY(!rig.Transfer.SettingsSent);
        QCOMPARE(rig.Instrument.Settings().Int(QStringLiteral("ENU"), 0, 0), held.Units);
        QCOMPARE(rig.Session.Activity(), actDisplay);
        QVERIFY(!rig.Session.PollingSuspended());
    }

    void aRefusedLineIsRepeatedAtOnceThenTheWriteFails_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("passcode");
        QTest::addColumn<QString>("name");   // the line by every value it carries
        const QString options = QStringLiteral("In-flight Adjust / Pulse Time / Material 1 Delay / Material 2 Delay / "
                                               "Setpoint option 1 / Setpoint option 2 / Setpoint option 3 / "
                                               "Setpoint option 4 / Setpoint option 5");
        QTest::newRow("header") << QStringLiteral("PST1,\"Refused\"") << QString() << "Header line 1";
        // Only a query of these two may read a refusal as empty.
        QTest::newRow("header holding LIS") << QStringLiteral("PST1,\"ENGLISH SCALES\"") << QString()
                                            << "Header line 1";
        QTest::newRow("material holding LIS") << QStringLiteral("LIL1,\"LISBON\"") << QString() << "Material 1 Name";
        QTest::newRow("setpoint options") << QStringLiteral("LIS80,10,10,10,0,1,1,1,0") << QString() << options;
        QTest::newRow("guarded instrument") << QStringLiteral("PST1,\"Locked again\"") << QStringLiteral("4620")
                                            << "Header line 1";
        // Not "Zero Tracking": the zero band is as likely the cause.
        QTest::newRow("zero band") << QStringLiteral("ZST0,0,4,99") << QString()
                                   << "Auto-Zero / Zero Tracking / Zero Range / Zero Band";
        QTest::newRow("setpoint") << QStringLiteral("LIV2,1,1,1,500,0,0,1,0,0") << QString()
                                  << "Setpoint 2: Type / Source / Direction / Target / In-flight / Tolerance / "
                                     "Logic / Lock / Alarm";
    }

    void aRefusedLineIsRepeatedAtOnceThenTheWriteFails()
    {
        QFETCH(QString, line);
        QFETCH(QString, passcode);
        QFETCH(QString, name);
        TSimConfig config;
        config.Passcode = passcode;
        TTransferRig rig(config);
        QVERIFY(rig.ReadAll());
        rig.Transfer.SettingsSent = false;
        rig.EditModel.ApplyLines({line});
        rig.EditModel.Units = 3; // a guarded setting: the passcode goes out first
        const QStringList changed = ChangedLines(rig.EditModel, rig.InstrumentModel);
        QCOMPARE(changed.size(), 2);
        const Tdata7410 held = rig.InstrumentModel;

        int ticks = 0;
        rig.RunTraffic();
        if (!passcode.isEmpty())
            rig.AnswerPasscode(passcode);
        // Refused once written: the build settings were read back first.
        rig.RunTraffic([&rig, &ticks, &line](TSettingsTransfer &, int) {
            rig.Instrument.Faults().RefuseTo = {line.left(3)};
            ++ticks;
        });
        const TOutcome written = rig.Transfer.WriteSettings1Click();
        QCOMPARE(written.Kind(), TKind::Refused);
        QCOMPARE(written.Text(), QStringLiteral("The instrument refused %1 (%2).").arg(name, line));
        QVERIFY(rig.Script.Messages().isEmpty());
        QVERIFY(ticks < 50); // no 4 s wait after a refusal
        QCOMPARE(rig.Commands().count(line), 4);
        QVERIFY(rig.InstrumentModel == held); // offered again next time
        QVERIFY(!rig.Transfer.SettingsSent);
        QCOMPARE(rig.Commands().last(), QStringLiteral("TDD1"));
        QVERIFY(passcode.isEmpty() || !rig.Instrument.Unlocked());
    }

    void aCancelledWriteOrPreReadMarksNothingAsSent()
    {
        TTransferRig rig;
        QVERIFY(rig.ReadAll());
        rig.Transfer.SettingsSent = false;
        rig.EditModel.HeaderLines[0] = QStringLiteral("One");
        rig.EditModel.HeaderLines[1] = QStringLiteral("Two");
        const Tdata7410 held = rig.InstrumentModel;

        // Cancelled while the build settings are read back: no store either.
        rig.RunTraffic([](TSettingsTransfer &transfer, int tick) {
            if (tick == 5)
                transfer.Progress.Cancel();
        });
        QVERIFY(!rig.Transfer.WriteSettings1Click());
        QVERIFY(!rig.Transfer.SettingsSent);
        QVERIFY(!rig.Commands().contains(QStringLiteral("TDD1")));

        rig.Wire.clear();
        rig.RunTraffic();
        rig.RunTraffic([](TSettingsTransfer &transfer, int tick) {
            if (transfer.Engine.TransferIndex == 1 && tick > 0)
                transfer.Progress.Cancel();
        });
        const TOutcome written = rig.Transfer.WriteSettings1Click();
        QCOMPARE(written.Kind(), TKind::Cancelled);
        QVERIFY(written.Text().isEmpty());
        QVERIFY(rig.Script.Messages().isEmpty());
        QVERIFY(!rig.Transfer.SettingsSent);
        QVERIFY(rig.InstrumentModel == held);
        // The first line stays sent, the second never went out.
        QCOMPARE(rig.Instrument.Settings().Text(QStringLiteral("PST"), 1, 0), QStringLiteral("One"));
        QVERIFY(rig.Commands().filter(QStringLiteral("PST2,")).isEmpty());
        QCOMPARE(rig.Commands().last(), QStringLiteral("TDD1"));
    }

    void aLineLostDuringAWriteEndsItAtOnce()
    {
        TTransferRig rig;
        QVERIFY(rig.ReadAll());
        rig.Transfer.SettingsSent = false;
        rig.EditModel.HeaderLines[0] = QStringLiteral("One");
        rig.EditModel.HeaderLines[1] = QStringLiteral("Two");
        const Tdata7410 held = rig.InstrumentModel;
        int ticksAfterLoss = 0;
        rig.RunTraffic();
        rig.RunTraffic([&rig, &ticksAfterLoss](TSettingsTransfer &, int tick) {
            if (tick == 3)
                rig.Instrument.LosePort();
            if (tick > 3)
                ++ticksAfterLoss;
        });
        const TOutcome written = rig.Transfer.WriteSettings1Click();
        QCOMPARE(written.Kind(), TKind::PortLost);
        QVERIFY(!rig.Session.IsOpen());
        QVERIFY(ticksAfterLoss < 10);
        // Told once, by the window, from what the session reported.
        QVERIFY(written.Text().isEmpty());
        QCOMPARE(rig.LinkFailures, QStringList{TIOIfaceSim::PortLostMessage()});
        QVERIFY(rig.Script.Messages().isEmpty());
        QVERIFY(!rig.Transfer.SettingsSent);
        QVERIFY(rig.InstrumentModel == held);
        QVERIFY(!rig.Session.PollingSuspended());
    }

    // A write sends what the operator changed on the pages or loaded from a
    // file; what changed on the instrument meanwhile and the operator left
    // alone keeps the instrument's value, and the note says so.
    void aWriteKeepsWhatChangedOnTheInstrument_data()
    {
        QTest::addColumn<QStringList>("changedThere");   // on the instrument after the read
        QTest::addColumn<bool>("told");                  // as a Test page command marks it
        QTest::addColumn<QStringList>("edited");         // into EditModel
        QTest::addColumn<bool>("fromFile");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("kept");
        const QString format = QStringLiteral("PFT\"GROSS\"");
        QTest::newRow("units from the Test page") << QStringList{"ENU3"} << true << QStringList{format} << false
                                                  << QStringList{format} << "Units";
        QTest::newRow("decimal point on the keys, tare limit edited")
            << QStringList{"IAD1,4000,2,1,0,0", "IAD2,6000,2,2,0,0"} << false
            << QStringList{"IAD1,4000,0,1,0,50", "IAD2,6000,0,2,0,50"} << false
            << QStringList{"IAD1,4000,2,1,0,50", "IAD2,6000,2,2,0,50"} << "Full Scale 1, Full Scale 2";
        QTest::newRow("one line, a field each") << QStringList{"ZST0,0,4,20"} << true << QStringList{"ZST1,0,4,0"}
                                                << false << QStringList{"ZST1,0,4,20"} << "Zero Tracking";
        QTest::newRow("a file's units go") << QStringList{"ENU3"} << true << QStringList{"ENU2", format} << true
                                           << QStringList{"ENU2", format} << "";
    }

    void aWriteKeepsWhatChangedOnTheInstrument()
    {
        QFETCH(QStringList, changedThere);
        QFETCH(bool, told);
        QFETCH(QStringList, edited);
        QFETCH(bool, fromFile);
        QFETCH(QStringList, sent);
        QFETCH(QString, kept);
        TTransferRig rig;
        QVERIFY(rig.ReadAll());
        QString note;
        rig.Transfer.StatusNote = [&note](const QString &text) { note = text; };
        rig.Preset(changedThere);
        if (told)
            rig.Transfer.MarkInstrumentChanged();
        rig.EditModel.ApplyLines(edited);
        if (fromFile)
            rig.Transfer.EditsLoadedFromFile();
        rig.PagesFilled = 0;
        rig.RunTraffic();
        rig.RunTraffic();
        QVERIFY(rig.Transfer.WriteSettings1Click());
        QCOMPARE(SettingsSent(rig.Commands()), sent);
        QVERIFY(ChangedLines(rig.EditModel, rig.InstrumentModel).isEmpty());
        QCOMPARE(rig.PagesFilled, kept.isEmpty() ? 0 : 1);   // the pages show what was kept
        QCOMPARE(note.contains(QStringLiteral("Kept as the instrument holds")), !kept.isEmpty());
        QVERIFY2(kept.isEmpty() || note.endsWith(kept + u'.'), qPrintable(note));
    }

    void theProgressDialogRunsModallyOnItsOwnTimer()
    {
        TTransferRig rig;
        QVERIFY(rig.ReadAll());
        rig.EditModel.HeaderLines[4] = QStringLiteral("Shown");
        int busy = 0;
        rig.Transfer.SetBusy = [&busy](bool on) { busy += on ? 1 : -1; };
        TFrmTraffic traffic;
        QStringList titles;
        QList<int> results;
        for (int i = 0; i < 2; ++i) {
            rig.Script.ProgressAnswers.push_back([&](TProgress &progress) {
                QTimer::singleShot(30000, &traffic, [&traffic] { traffic.done(QDialog::Rejected); }); // never hang
                results << traffic.Watch(progress);
                titles << traffic.windowTitle();
            });
        }
        QVERIFY(rig.Transfer.WriteSettings1Click());
        QCOMPARE(rig.Instrument.Settings().Text(QStringLiteral("PST"), 5, 0), QStringLiteral("Shown"));
        QCOMPARE(busy, 0);
        QCOMPARE(results, (QList<int>{QDialog::Accepted, QDialog::Accepted}));   // closed by the end, not the timeout
        QCOMPARE(titles, (QStringList{QStringLiteral("Read Build Settings from Instrument"),
                                      QStringLiteral("Write Settings to Instrument")}));
        QVERIFY(!rig.Transfer.Timer1.isActive());
        QVERIFY(!traffic.isVisible());
    }

    void thePasscodeDialogTakesDigitsOnly()
    {
        TFrmPasscode dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Enter Passcode"));
        QVERIFY(!dialog.BtnOk->isEnabled());
        QTest::keyClicks(dialog.EdtPasscode, QStringLiteral("12a3-45678"));
        QCOMPARE(dialog.EdtPasscode->text(), QStringLiteral("123456"));
        QCOMPARE(dialog.EdtPasscode->echoMode(), QLineEdit::Password);
        QVERIFY(dialog.BtnOk->isEnabled());
        dialog.EdtPasscode->setText(QStringLiteral("9x8"));
        QCOMPARE(dialog.Digits(), QStringLiteral("98"));
        QCOMPARE(TFrmTraffic().windowTitle(), QStringLiteral("Load Settings from Instrument"));
    }
};

QV_TEST_MAIN(TestTransfer)
} // namespace test_transfer
#include "test_transfer.moc"
