// What the operator types on the settings pages is what reaches the
// instrument, or the window says why not: the real window on a
// pseudo-terminal to the simulated instrument, with the commands the
// instrument received.

#include "app/frmmain.h"
#include "link/dmviewer.h"
#include "settings/editor.h"
#include "settings/editortabs.h"
#include "settings/transfer.h"
#include "sim/sim_server.h"
#include "support/connect_window.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QComboBox>
#include <QDialog>
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
        ConnectThroughDialog(Window, Script, Sim.Path(), Dir.filePath(QStringLiteral("viewer.ini")), Store);
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
    // What is typed is sent: a change of letter case only is a change, a
    // German decimal comma is the decimal point, and a negative target the
    // instrument holds blocks nothing.
    void whatIsTypedIsSent_data()
    {
        QTest::addColumn<QStringList>("held");
        QTest::addColumn<bool>("german");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("sent");
        QTest::newRow("Serial ID") << QStringList{"IDN\"silo4\""} << false << "TSSerial" << "EdtID" << "SILO4"
                                   << "IDN\"SILO4\"";
        QTest::newRow("header") << QStringList{"PST1,\"silo4\""} << false << "TSSerial" << "MemoHeader" << "SILO4"
                                << "PST1,\"SILO4\"";
        QTest::newRow("German comma") << QStringList{"IAD1,6000,2,1,0,0", "IAD2,6000,2,2,0,0"} << true << "TSBuild"
                                      << "EdtFS1" << "12,5" << "IAD1,1250,2,1,0,0";
        QTest::newRow("negative target held") << QStringList{"LIV1,1,1,1,-500,0,0,1,0,0"} << false << "TSBuild"
                                              << "CBxUnits" << "3" << "ENU3";
    }
    void whatIsTypedIsSent()
    {
        QFETCH(QStringList, held);
        QFETCH(bool, german);
        QFETCH(QString, page);
        QFETCH(QString, control);
        QFETCH(QString, entry);
        QFETCH(QString, sent);
        const QLocale previous;
        QLocale::setDefault(german ? QLocale(QLocale::German) : QLocale::c());
        TRig rig;
        const bool read = rig.ConnectAndRead(held);
        if (read) {
            rig.ShowPage(rig.Editor().findChild<QWidget *>(page));
            QWidget *field = rig.Editor().findChild<QWidget *>(control);
            if (auto *memo = qobject_cast<QPlainTextEdit *>(field))
                memo->setPlainText(entry);
            else if (auto *combo = qobject_cast<QComboBox *>(field))
                combo->setCurrentIndex(entry.toInt());
            else
                TRig::Type(static_cast<QLineEdit *>(field), entry);
            rig.Window.WriteSettings1->trigger();
        }
        QLocale::setDefault(previous);
        QVERIFY(read);
        QVERIFY2(rig.Window.LastOutcome.Ok(), qPrintable(rig.Window.LastOutcome.Text()));
        QVERIFY2(rig.Received.contains(sent), qPrintable(rig.Received.join(u' ')));
        QVERIFY(rig.Script.Messages().isEmpty());
    }

    // Closing the window with edits meant for the instrument asks first; No
    // keeps the window and the edits.
    void closingWithUnsentEditsAsks()
    {
        TRig rig;
        QVERIFY(rig.ConnectAndRead());
        rig.ShowPage(rig.Editor().TSSerial);
        TRig::Type(rig.Editor().EdtID, QStringLiteral("SILO9"));
        rig.Script.ConfirmAnswers = {false, true};
        QVERIFY(!rig.Window.close());
        QCOMPARE(rig.Script.Questions().size(), 1);
        QVERIFY(rig.Script.Questions().first().contains(QLatin1String("not yet written")));
        QCOMPARE(rig.Editor().EdtID->text(), QStringLiteral("SILO9"));
        QVERIFY(rig.Window.close());
        QVERIFY(rig.Received.isEmpty());
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

    // What cannot go out stops Write, a Save from any page, and leaving the
    // page, with the field's message and the field shown: a setpoint typed
    // out of range on a tab no longer shown, rows the printer cannot have.
    void entriesOutOfRangeGoNowhere_data()
    {
        QTest::addColumn<bool>("rows");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        const QString target = QStringLiteral("Out of Range: (-99999 to 999999)");
        QTest::newRow("setpoint, Write") << false << "write" << target;
        QTest::newRow("setpoint, Save from the Log page") << false << "save" << target;
        QTest::newRow("rows, leaving the Settings page") << true << "leave" << "Rows: Out of Range: (0 to 10)";
    }
    void entriesOutOfRangeGoNowhere()
    {
        QFETCH(bool, rows);
        QFETCH(QString, action);
        QFETCH(QString, message);
        TRig rig;
        QVERIFY(rig.ConnectAndRead());
        TSettingsEditor &editor = rig.Editor();
        QLineEdit *field = rows ? editor.EDtRows : editor.EdtTarget;
        rig.ShowPage(rows ? editor.TSSerial : editor.TSSetpoint);
        editor.CtrlSetpoint->setCurrentIndex(2);
        TRig::Type(field, rows ? QStringLiteral("40") : QStringLiteral("9999999"));
        editor.CtrlSetpoint->setCurrentIndex(0);
        rig.Script.Clear();
        const QString saved = rig.Dir.filePath(QStringLiteral("kept.QVS"));
        if (action == QLatin1String("save")) {
            rig.Window.PgCMain->setCurrentWidget(rig.Window.TSLog);
            rig.Script.FileAnswers = {saved};
            rig.Window.Save1->trigger();
        } else if (action == QLatin1String("leave")) {
            rig.Window.PgCMain->setCurrentWidget(rig.Window.TSDisplay);
        } else {
            rig.Window.WriteSettings1->trigger();
        }
        QCOMPARE(rig.Script.Messages(), QStringList{message});
        QCOMPARE(rig.Window.PgCMain->currentWidget(), rig.Window.TSSettings);
        QVERIFY(editor.PgCSettings->currentWidget()->isAncestorOf(field));
        QCOMPARE(field->text(), rows ? QStringLiteral("40") : QStringLiteral("9999999"));
        QCOMPARE(editor.CtrlSetpoint->currentIndex(), rows ? 0 : 2);
        QVERIFY2(rig.Received.isEmpty(), qPrintable(rig.Received.join(u' ')));
        QVERIFY(!QFile::exists(saved));
    }
};

QV_TEST_MAIN(TestSettingsEntryPty)
} // namespace test_settings_entry_pty
#include "test_settings_entry_pty.moc"
