// What the operator types on the settings pages is what reaches the
// instrument, or the window says why not: the real window on a
// pseudo-terminal to the simulated instrument, with the commands the
// instrument received.

#include "app/frmmain.h"
#include "link/dmviewer.h"
#include "link/inifile.h"
#include "settings/editor.h"
#include "settings/editortabs.h"
#include "sim/sim_server.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_settings_entry_pty {

namespace {

struct TRig {
    TScriptedPrompts Script;
    TScopedPrompts Guard{&Script};
    QTemporaryDir Dir;
    TSimServer Sim;
    std::unique_ptr<TdatViewer> Store;
    TFrmMain Window;
    QStringList Received;   // by the instrument, polls left out

    explicit TRig(const TSimConfig &config = {}) : Sim(config, Dir.filePath(QStringLiteral("ttyQV"))) {}

    // Starts the instrument holding the given settings lines, connects and
    // reads them.
    bool ConnectAndRead(const QStringList &held = {})
    {
        QString error;
        if (!Sim.Start(&error))
            return false;
        for (const QString &line : held)
            if (!Sim.Instrument().Settings().Write(line.left(3), line.mid(3)))
                return false;
        QObject::connect(&Sim.Instrument(), &TSimInstrument::CommandReceived, [this](const QString &command) {
            if (!command.contains(QLatin1String("MSV?")) && !command.contains(QLatin1String("ESR?")))
                Received << command;
        });
        TIniFile ini(Dir.filePath(QStringLiteral("viewer.ini")));
        ini.WriteString(QLatin1String(TdatViewer::Section), QStringLiteral("SerialPort"), Sim.Path());
        Store = std::make_unique<TdatViewer>(ini.Save() ? ini.FileName() : QString());
        Window.SetConnectionStore(Store.get());
        Script.DialogAnswers.push_back([](QDialog &) { return int(QDialog::Accepted); });
        Window.Connect2->trigger();
        if (!Window.Session.IsOpen())
            return false;
        Window.ReadSettings1->trigger();
        Received.clear();
        return Window.LastOutcome.Ok();
    }

    TSettingsEditor &Editor() { return *Window.SettingsEditor; }

    void ShowPage(QWidget *page)
    {
        Window.PgCMain->setCurrentWidget(Window.TSSettings);
        Editor().PgCSettings->setCurrentWidget(page);
    }

    // Types into an edit as the operator does: focus, select all, keys.
    static void Type(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

} // namespace

class TestSettingsEntryPty : public QObject {
    Q_OBJECT
private slots:
    // A change of letter case only is a change.
    void aTextsLetterCaseIsSent_data()
    {
        QTest::addColumn<QString>("held");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("sent");
        QTest::newRow("Serial ID") << "IDN\"silo4\"" << "EdtID" << "IDN\"SILO4\"";
        QTest::newRow("header") << "PST1,\"silo4\"" << "MemoHeader" << "PST1,\"SILO4\"";
        QTest::newRow("print format") << "PFT\"silo4\"" << "EdtPFmt" << "PFT\"SILO4\"";
    }
    void aTextsLetterCaseIsSent()
    {
        QFETCH(QString, held);
        QFETCH(QString, control);
        QFETCH(QString, sent);
        TRig rig;
        QVERIFY(rig.ConnectAndRead({held}));
        rig.ShowPage(rig.Editor().TSSerial);
        QWidget *field = rig.Editor().findChild<QWidget *>(control);
        if (auto *memo = qobject_cast<QPlainTextEdit *>(field))
            memo->setPlainText(memo->toPlainText().replace(QLatin1String("silo4"), QLatin1String("SILO4")));
        else
            TRig::Type(static_cast<QLineEdit *>(field), QStringLiteral("SILO4"));
        rig.Window.WriteSettings1->trigger();
        QVERIFY2(rig.Window.LastOutcome.Ok(), qPrintable(rig.Window.LastOutcome.Text()));
        QVERIFY2(rig.Received.contains(sent), qPrintable(rig.Received.join(u' ')));
        QVERIFY(rig.Script.Messages().isEmpty());
    }

    void aGermanDecimalCommaIsTheDecimalPoint()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German));
        TRig rig;
        const bool read = rig.ConnectAndRead({QStringLiteral("IAD1,6000,2,1,0,0"), QStringLiteral("IAD2,6000,2,2,0,0")});
        if (read) {
            rig.ShowPage(rig.Editor().TSBuild);
            TRig::Type(rig.Editor().EdtFS1, QStringLiteral("12,5"));
            rig.Window.WriteSettings1->trigger();
        }
        QLocale::setDefault(previous);
        QVERIFY(read);
        QVERIFY2(rig.Received.contains(QStringLiteral("IAD1,1250,2,1,0,0")), qPrintable(rig.Received.join(u' ')));
        QCOMPARE(rig.Window.InstrumentModel.FullScale1, 1250);
        QVERIFY(rig.Script.Messages().isEmpty());
    }

    void aNegativeTargetHeldDoesNotBlockAWrite()
    {
        TRig rig;
        QVERIFY(rig.ConnectAndRead({QStringLiteral("LIV1,1,1,1,-500,0,0,1,0,0")}));
        QCOMPARE(rig.Window.EditModel.Setpoints[0].Target, -500);
        rig.ShowPage(rig.Editor().TSSetpoint);
        QCOMPARE(rig.Editor().EdtTarget->text(), QStringLiteral("-500"));
        rig.ShowPage(rig.Editor().TSBuild);
        rig.Editor().CBxUnits->setCurrentIndex(3);
        rig.Window.WriteSettings1->trigger();
        QVERIFY2(rig.Window.LastOutcome.Ok(), qPrintable(rig.Window.LastOutcome.Text()));
        QVERIFY(rig.Received.contains(QStringLiteral("ENU3")));
        QVERIFY(rig.Script.Messages().isEmpty());
    }

    void anEmptySerialNumberIsReadWithEverythingElse()
    {
        TSimConfig config;
        config.SerialNumber.clear();
        TRig rig(config);
        rig.Window.Transfer->Engine.LineWait = 10;   // a wrong refusal fails quickly
        QVERIFY2(rig.ConnectAndRead({QStringLiteral("ENU3"), QStringLiteral("LIL2,\"Gravel\"")}),
                 qPrintable(rig.Window.LastOutcome.Text()));
        QCOMPARE(rig.Window.StatusNote->text(),
                 QStringLiteral("Settings read (42 lines); not understood, kept as before: Serial Number"));
        QCOMPARE(rig.Window.EditModel.SerialID, config.Id);
        QCOMPARE(rig.Window.EditModel.Version, config.Version);
        QCOMPARE(rig.Window.EditModel.Units, 3);
        QCOMPARE(rig.Window.EditModel.Materials[1].Name, QStringLiteral("Gravel"));
        QVERIFY(rig.Window.EditModel == rig.Window.InstrumentModel);
        QVERIFY(rig.Script.Messages().isEmpty());
    }

    // A setpoint typed out of range on a tab no longer shown is checked
    // all the same, by Write and by Save, whichever page it starts from.
    void aSetpointOutOfRangeOnAnotherTabStopsWriteAndSave()
    {
        TRig rig;
        QVERIFY(rig.ConnectAndRead());
        rig.ShowPage(rig.Editor().TSSetpoint);
        rig.Editor().CtrlSetpoint->setCurrentIndex(2);
        TRig::Type(rig.Editor().EdtTarget, QStringLiteral("9999999"));
        rig.Editor().CtrlSetpoint->setCurrentIndex(0);
        QCOMPARE(rig.Window.EditModel.Setpoints[2].Target, 9999999);
        const QString message = QStringLiteral("Out of Range: (-99999 to 999999)");
        const QString saved = rig.Dir.filePath(QStringLiteral("kept.QVS"));
        for (QWidget *start : {rig.Window.TSSettings, rig.Window.TSLog, rig.Window.TSDisplay}) {
            rig.Window.PgCMain->setCurrentWidget(start);
            rig.Script.Clear();
            rig.Received.clear();
            if (start == rig.Window.TSLog) {
                rig.Script.FileAnswers = {saved};
                rig.Window.Save1->trigger();
            } else {
                rig.Window.WriteSettings1->trigger();
            }
            QCOMPARE(rig.Script.Messages(), QStringList{message});
            QCOMPARE(rig.Window.PgCMain->currentWidget(), rig.Window.TSSettings);
            QCOMPARE(rig.Editor().PgCSettings->currentWidget(), rig.Editor().TSSetpoint);
            QCOMPARE(rig.Editor().CtrlSetpoint->currentIndex(), 2);
            QVERIFY2(rig.Received.isEmpty(), qPrintable(rig.Received.join(u' ')));
            rig.Editor().CtrlSetpoint->setCurrentIndex(0);
        }
        QVERIFY(!QFile::exists(saved));
    }

    // Leaving the Settings page with rows that cannot be taken keeps it, and
    // what was typed.
    void rowsOutOfRangeKeepTheSettingsPage()
    {
        TRig rig;
        QVERIFY(rig.ConnectAndRead());
        rig.ShowPage(rig.Editor().TSSerial);
        TRig::Type(rig.Editor().EDtRows, QStringLiteral("40"));
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSDisplay);
        QCOMPARE(rig.Window.PgCMain->currentWidget(), rig.Window.TSSettings);
        QCOMPARE(rig.Editor().PgCSettings->currentWidget(), rig.Editor().TSSerial);
        QCOMPARE(rig.Editor().EDtRows->text(), QStringLiteral("40"));
        QCOMPARE(rig.Script.Messages(), QStringList{QStringLiteral("Rows: Out of Range: (0 to 10)")});
        TRig::Type(rig.Editor().EDtRows, QStringLiteral("8"));
        rig.Window.PgCMain->setCurrentWidget(rig.Window.TSDisplay);
        QCOMPARE(rig.Window.PgCMain->currentWidget(), rig.Window.TSDisplay);
        QCOMPARE(rig.Window.EditModel.PrintRows, 8);
    }
};

QV_TEST_MAIN(TestSettingsEntryPty)
} // namespace test_settings_entry_pty
#include "test_settings_entry_pty.moc"
