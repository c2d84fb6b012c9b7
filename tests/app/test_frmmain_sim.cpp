// The main window against the in-process simulated instrument: connecting,
// the status panels, the Test page conversation and a lost port.

#include "app/frmmain.h"
#include "display/fontreading.h"
#include "display/lcdlayout.h"
#include "display/livedisplay.h"
#include "link/dmviewer.h"
#include "logging/filemenu.h"
#include "logging/logdialog.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "settings/editor.h"
#include "settings/editorcal.h"
#include "sim/sim_bus.h"
#include "sim/sim_instrument.h"
#include "sim/sim_transport.h"
#include "support/testmain.h"
#include "terminal/testpage.h"
#include "ui/scriptedprompts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTabWidget>
#include <QToolButton>

// A namespace of its own: the folder's test files are compiled together.
namespace test_frmmain_sim {

namespace {
bool Marked(TFrmMain &w, const QString &label)
{
    QCoreApplication::processEvents();
    for (const QLabel *shown : w.SettingsEditor->findChildren<QLabel *>())
        if (shown->text() == label)
            return shown->font().bold();
    return false;
}
} // namespace

class TestFrmMainSim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Quenvale 7400 Viewer")); }

    void conversationWithTheSimulatedInstrument()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimConfig config;
        config.Load = 1250;
        TSimInstrument instrument(config);
        TFrmMain w;
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));

        QVERIFY(w.Session.IsOpen());
        QCOMPARE(w.ToolButton4->text(), QStringLiteral("&Disconnect"));
        QCOMPARE(w.Session.Activity(), actDisplay);
        // The Display page polls: the panels follow commands and replies.
        QTRY_VERIFY_WITH_TIMEOUT(w.PanelText(0).contains(QLatin1String("MSV?")), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(w.PanelText(1).contains(QLatin1String("1250")), 2000);

        // On the Test page nothing is polled; typed commands and their
        // answers appear in the traffic view.
        w.PgCMain->setCurrentWidget(w.TSTest);
        QCOMPARE(w.Session.Activity(), actTest);
        QTest::qWait(150);
        w.TestPage->MemoRx->clear();
        w.TestPage->EdtSendStr->setText(QStringLiteral("MSV?"));
        w.TestPage->BtnSend->click();
        QTRY_COMPARE_WITH_TIMEOUT(w.TestPage->MemoRx->blockCount(), 2, 2000);
        const QStringList lines = w.TestPage->MemoRx->toPlainText().split(QLatin1Char('\n'));
        QCOMPARE(lines[0], QStringLiteral(">>>MSV?;"));
        QVERIFY(lines[1].contains(QLatin1String("1250")));
        QTest::qWait(300);
        QCOMPARE(w.TestPage->MemoRx->blockCount(), 2);   // no polls behind the user's back
        QVERIFY(script.Messages().isEmpty());

        // Disconnecting through the command closes the link.
        QTemporaryDir dir;
        TdatViewer store(dir.filePath(QStringLiteral("quenvale7400.ini")));
        w.SetConnectionStore(&store);
        w.Connect2->trigger();
        QVERIFY(!w.Session.IsOpen());
        QCOMPARE(w.ToolButton4->text(), QStringLiteral("&Connect"));
        QVERIFY(!w.PgCMain->isTabVisible(w.PgCMain->indexOf(w.TSTest)));
    }

    void aLostPortShowsTheDisconnectedLookAndSaysSoOnce()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimInstrument instrument;
        TFrmMain w;
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        QTRY_VERIFY_WITH_TIMEOUT(!w.PanelText(1).isEmpty(), 2000);

        instrument.LosePort();
        QTRY_VERIFY_WITH_TIMEOUT(!w.Session.IsOpen(), 2000);
        QTest::qWait(200);
        QCOMPARE(w.ToolButton4->text(), QStringLiteral("&Connect"));
        QVERIFY(!w.ReadSettings1->isEnabled());
        QCOMPARE(script.Messages(), QStringList{TIOIfaceSim::PortLostMessage()});
    }

    void readAndWriteSettingsThroughTheInstrumentMenu()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimInstrument instrument{TSimConfig()};
        TFrmMain w;
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));

        // Nothing has been read yet: a write has nothing to go by.
        QVERIFY(!w.PgCMain->isTabVisible(w.PgCMain->indexOf(w.TSCal)));
        w.ReadSettings1->trigger();
        QVERIFY(script.Messages().isEmpty());
        QCOMPARE(script.History.back().text, QStringLiteral("Read Settings from Instrument"));
        QVERIFY(w.PgCMain->isTabVisible(w.PgCMain->indexOf(w.TSSettings)));
        QVERIFY(w.PgCMain->isTabVisible(w.PgCMain->indexOf(w.TSCal)));
        QVERIFY(w.SettingsSent);
        QVERIFY(w.EditModel == w.InstrumentModel);
        QVERIFY(w.PanelText(2).startsWith(QStringLiteral("Unit 0  SN: ")));

        // A setting changed on the Serial page goes to the instrument and comes
        // back on the next read.
        QVERIFY(w.SettingsShown);
        // Typed at two decimals, still in the edit when Write is chosen.
        w.PgCMain->setCurrentWidget(w.TSSettings);
        w.SettingsEditor->CBxDP->setCurrentIndex(2);
        w.SettingsEditor->EdtFS1->setFocus();
        w.SettingsEditor->EdtFS1->selectAll();
        QTest::keyClicks(w.SettingsEditor->EdtFS1, QStringLiteral("75"));
        w.SettingsEditor->EdtPFmt->setText(QStringLiteral("GROSS"));
        QVERIFY(Marked(w, QStringLiteral("Custom Print Format")));
        w.SettingsSent = false;
        w.WriteSettings1->trigger();
        QVERIFY2(script.Messages().isEmpty(), qPrintable(script.Messages().join('|')));
        QVERIFY(w.SettingsSent);
        QVERIFY(!Marked(w, QStringLiteral("Custom Print Format")));
        QCOMPARE(w.InstrumentModel.PrintFormat, QStringLiteral("GROSS"));
        QCOMPARE(w.InstrumentModel.FullScale1, 7500);
        w.EditModel = Tdata7410();
        w.ReadSettings1->trigger();
        QCOMPARE(w.EditModel.PrintFormat, QStringLiteral("GROSS"));
    }

    // Pages edited for one instrument, then another connected: the identity
    // panel and the direct signals are the instrument's own, and a write
    // into it asks first, naming both.
    void anotherInstrumentGetsNothingOfTheFirstUnasked()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimInstrument first;
        TSimConfig config;
        config.SerialNumber = QStringLiteral("46209999");
        TSimInstrument second(config);
        second.Settings().Set(QStringLiteral("LWT"), 1, 0, 15000);
        second.Settings().Set(QStringLiteral("ENU"), 0, 0, 4);
        TFrmMain w;
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(first));
        w.ReadSettings1->trigger();
        const TCalSettingsFields &cal = *w.SettingsEditor->CalFields;
        QCOMPARE(cal.edtCalDirectSpan->text(), QStringLiteral("2.0000"));
        w.PgCMain->setCurrentWidget(w.TSSettings);
        w.SettingsEditor->EdtID->setText(QStringLiteral("TYPED"));
        w.PgCMain->setCurrentWidget(w.TSDisplay);   // takes the pages
        QVERIFY2(w.PanelText(2).endsWith(QLatin1String("ID: KD4620")), qPrintable(w.PanelText(2)));

        w.Session.Disconnect();
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(second));
        QVERIFY(cal.edtCalDirectSpan->text().isEmpty() && cal.edtCalDirectZero->text().isEmpty());
        for (const bool yes : {false, true}) {
            script.ConfirmAnswers.push_back(yes);
            w.WriteSettings1->trigger();
            QCOMPARE(script.Questions().size(), yes ? 2 : 1);
            QVERIFY(script.Questions().last().contains(QLatin1String("number 46200001"))
                    && script.Questions().last().contains(QLatin1String("number 46209999")));
            QCOMPARE(second.Settings().Text(QStringLiteral("IDN"), 0, 0), QLatin1String(yes ? "TYPED" : "KD4620"));
        }
        QCOMPARE(second.Settings().Int(QStringLiteral("ENU"), 0, 0), 4);   // only the edit went
        w.ReadSettings1->trigger();
        QCOMPARE(cal.edtCalDirectSpan->text(), QStringLiteral("1.5000"));
        QVERIFY(w.PanelText(2).contains(QLatin1String("SN: 46209999")));
    }

    void pollAndLogTheSimulatedWeightOnTheLogPage()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimConfig config;
        config.Load = 1250;
        TSimInstrument instrument(config);
        TFrmMain w;
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        w.PgCMain->setCurrentWidget(w.TSLog);
        QCOMPARE(w.Session.Activity(), actLog);
        // "Auto": the instrument streams; "10 Hz": the timer polls.
        for (const int rate : {0, 1}) {
            if (rate == 1)   // the first session's samples are not kept
                script.DialogAnswers.push_back([](QDialog &) { return int(QMessageBox::No); });
            script.DialogAnswers.push_back([rate](QDialog &dialog) {
                auto &logDialog = static_cast<TFrmLogDialog &>(dialog);
                TLogChoices choices = logDialog.Choices();
                choices.Rate = rate;
                logDialog.SetChoices(choices);
                return int(QDialog::Accepted);
            });
            w.LogPage->BtnStart->click();
            QCOMPARE(w.Session.LoggingState(), rate == 0 ? lsStreamed : lsPolled);
            QTRY_VERIFY_WITH_TIMEOUT(w.Logging->Points.Size(TLoggingSession::FirstUnitTrace) >= 3, 3000);
            w.LogPage->BtnStop->click();
            QCOMPARE(w.Session.LoggingState(), lsStopped);
        }
        QVERIFY(script.Messages().isEmpty());
    }

    void anUnsavedLogIsOfferedForSavingFirst_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("answer");
        QTest::newRow("Start, Cancel") << "start" << int(QMessageBox::Cancel);
        QTest::newRow("Open, Cancel") << "open" << int(QMessageBox::Cancel);
        QTest::newRow("Exit, Cancel") << "exit" << int(QMessageBox::Cancel);
        QTest::newRow("Exit, No") << "exit" << int(QMessageBox::No);
        QTest::newRow("Start, Yes: saved first") << "start" << int(QMessageBox::Yes);
    }
    void anUnsavedLogIsOfferedForSavingFirst()
    {
        QFETCH(QString, action);
        QFETCH(int, answer);
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimInstrument instrument;
        TFrmMain w;
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        w.PgCMain->setCurrentWidget(w.TSLog);
        w.Logging->Begin(TLogChoices{1, {0, 0, 0, 0}}, w.EditModel);
        w.Logging->TakeReply(500, 0, 0);
        w.LogPage->BtnStop->click();   // Start is for a stopped session
        QString asked;
        script.DialogAnswers.push_back([&asked, answer](QDialog &box) {
            if (const auto *question = qobject_cast<QMessageBox *>(&box))
                asked = question->text();
            return answer;
        });
        QTemporaryDir dir;
        script.FileAnswers.push_back(dir.filePath(QStringLiteral("kept.LOG")));
        if (action == "start")
            w.LogPage->BtnStart->click();
        else if (action == "open")
            w.Open1->trigger();
        else
            QCOMPARE(w.close(), answer == QMessageBox::No);
        QCOMPARE(asked, TFileMenu::UnsavedLogQuestion());
        QCOMPARE(w.Logging->Points.Size(TLoggingSession::SeriesWeight), qsizetype(1));
        QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("kept.LOG"))), answer == QMessageBox::Yes);
    }

    void aStreamingInstrumentIsStoppedBeforeTheLinkCloses_data()
    {
        QTest::addColumn<bool>("exit");
        QTest::newRow("Disconnect") << false;
        QTest::newRow("Exit") << true;
    }
    void aStreamingInstrumentIsStoppedBeforeTheLinkCloses()
    {
        QFETCH(bool, exit);
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        script.DialogAnswers.push_back([](QDialog &) { return int(QMessageBox::No); });   // the log
        TSimInstrument instrument;
        TFrmMain w;
        QTemporaryDir dir;
        TdatViewer store(dir.filePath(QStringLiteral("quenvale7400.ini")));
        w.SetConnectionStore(&store);
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));
        w.PgCMain->setCurrentWidget(w.TSLog);
        w.Logging->Begin(TLogChoices{0, {0, 0, 0, 0}}, w.EditModel);
        QTRY_VERIFY_WITH_TIMEOUT(instrument.Streaming(), 2000);
        exit ? w.Exit1->trigger() : w.Connect2->trigger();
        QVERIFY(!w.Session.IsOpen() || exit);
        QTRY_VERIFY_WITH_TIMEOUT(!instrument.Streaming(), 1000);
    }

    void liveWeightAndTheTareKeyAgainstTheSimulatedInstrument()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimConfig config;
        config.Load = 1250;
        TSimInstrument instrument(config);
        TFrmMain w;
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(instrument));

        // The instrument's weight, gross and steady, in its units (kg).
        QTRY_COMPARE_WITH_TIMEOUT(Reading(*w.LCDMain), QStringLiteral("  1250"), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!w.LCDMain->SegmentLit(LampRow, 4), 2000);
        QVERIFY(w.LCDMain->SegmentLit(LampRow, 3));
        QVERIFY(!w.LCDMain->SegmentLit(LampRow, 2));
        QVERIFY(w.LCDMain->SegmentLit(LabelRow, 2));

        // The Tare key tares: net, nothing on the scale beyond the tare.
        w.LCDMainRegionClick2();
        QTRY_VERIFY_WITH_TIMEOUT(w.LCDMain->SegmentLit(LampRow, 2), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(Reading(*w.LCDMain), QStringLiteral("     0"), 2000);
        QVERIFY(!w.LCDMain->SegmentLit(LampRow, 3));

        // A long press on the same key clears the tare again.
        w.LCDMainRegionShiftClick2();
        QTRY_COMPARE_WITH_TIMEOUT(Reading(*w.LCDMain), QStringLiteral("  1250"), 2000);
        QVERIFY(w.LCDMain->SegmentLit(LampRow, 3));
        QVERIFY(script.Messages().isEmpty());
    }

    // Two units of a bus: the Display page shows the one chosen without a
    // reconnect, and its keys tare that one, not the unit connected to.
    void theDisplayShowsAndKeysTheUnitChosen()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TSimConfig one, five;
        one.Address = 1;
        one.Load = 1250;
        five.Address = 5;
        five.Load = 400;
        TSimBus bus({one, five});
        TFrmMain w;
        w.Session.SetUnitAddress(1);
        w.Session.SetBusUnits({1, 5});
        w.Session.InstallAndOpen(std::make_unique<TIOIfaceSim>(bus));
        QTRY_COMPARE_WITH_TIMEOUT(Reading(*w.LCDMain), QStringLiteral("  1250"), 2000);
        QVERIFY(w.pnlDisplayUnit->isVisibleTo(&w));
        QCOMPARE(w.CBxDisplayUnit->count(), 2);

        // The connected unit's units label is lit (kg, the simulator's)...
        const auto unitLit = [&w] {
            for (int label = 1; label <= UnitLabelCount; ++label)
                if (w.LCDMain->SegmentLit(LabelRow, label))
                    return label;
            return 0;
        };
        QTRY_COMPARE_WITH_TIMEOUT(unitLit(), w.Session.DisplayUnits(), 2000);
        QVERIFY(unitLit() != 0);
        emit w.CBxDisplayUnit->activated(1);
        QTRY_COMPARE_WITH_TIMEOUT(Reading(*w.LCDMain), QStringLiteral("   400"), 2000);
        // ...not under another unit's weight, which may be in other units.
        QCOMPARE(unitLit(), 0);
        w.LCDMainRegionClick2();
        QTRY_COMPARE_WITH_TIMEOUT(Reading(*w.LCDMain), QStringLiteral("     0"), 2000);

        emit w.CBxDisplayUnit->activated(0);
        QTRY_COMPARE_WITH_TIMEOUT(Reading(*w.LCDMain), QStringLiteral("  1250"), 2000);
        QCOMPARE(w.Session.UnitAddress(), 1);
        QVERIFY2(script.Messages().isEmpty(), qPrintable(script.Messages().join('|')));
    }
};

QV_TEST_MAIN(TestFrmMainSim)
} // namespace test_frmmain_sim
#include "test_frmmain_sim.moc"
