#include "settings/editor.h"
#include "settings/editorcal.h"
#include "settings/editorentry.h"
#include "settings/editortabs.h"
#include "support/testmain.h"
#include "ui/scriptedprompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTextBlock>

// A namespace of its own: the folder's test files are compiled together.
namespace test_editor {

namespace {

// Every setting the pages show, away from its default and within its list.
Tdata7410 EveryEditorFieldChanged()
{
    Tdata7410 m;
    m.DecimalPoint = 2;
    m.WeighMode = 2;
    m.Units = 3;
    m.HighRes = true;
    m.FullScale1 = 600000;
    m.FullScale2 = 123456;
    m.Resolution1 = 6;
    m.Resolution2 = 4;
    m.AddTareLimit = 2500;
    m.DirectZero = -1234;
    m.DirectSpan = 31999;
    m.SynchFilter = 25;
    m.OperatingMode = 1;
    m.Average = 14;
    m.AntiJitter = 2;
    m.Motion = 12;
    m.ZeroTracking = 7;
    m.ZeroRange = 1;
    m.AutoZero = 1;
    m.ZeroBand = 45;
    m.FrontKeys = {0, 2, 0, 2};
    m.RemoteKeys = {14, 3, 9, 1};
    m.SerialID = QStringLiteral("Silo 4");
    m.Serial2Mode = 3;
    m.PrintMode = 7;
    m.PrintRows = 10;
    m.PrintColumns = 20;
    m.HeaderLines = {QStringLiteral("ACME GRAIN"), QString(), QStringLiteral("  Weighbridge 2"),
                     QStringLiteral("123456789012345678901234567890"), QStringLiteral("x"), QStringLiteral("end")};
    m.PrintFormat = QStringLiteral("{G}{N}{T}");
    m.AutoType = 5;
    m.AutoSource = 3;
    m.AutoFormat = QStringLiteral("{W}");
    return m;
}

// Settings the five pages do not take: carried over so models compare whole.
void CopyNotEdited(const Tdata7410 &from, Tdata7410 &to)
{
    to.Address = from.Address;
    to.CalWeight = from.CalWeight;
    to.LinPercent = from.LinPercent;
    to.LinWeight = from.LinWeight;
    to.SerialNumber = from.SerialNumber;
    to.Version = from.Version;
    to.InflightAdjust = from.InflightAdjust;
    to.PulseTime = from.PulseTime;
    to.SetpointOptions = from.SetpointOptions;
    to.Setpoints = from.Setpoints;
    to.Materials = from.Materials;
}

void Leave(QLineEdit *edit)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(edit, &out);
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT

    TScriptedPrompts Script;
    std::unique_ptr<TScopedPrompts> Scope;

private slots:
    void init()
    {
        Script.Clear();
        Scope = std::make_unique<TScopedPrompts>(&Script);
    }
    void cleanup() { Scope.reset(); }

    void everyControlsNameIsSet()
    {
        Tdata7410 model;
        TSettingsEditor editor(model);
        for (const char *name : {"PgCSettings", "TSBuild", "TSOption", "TSSpecial", "TSSerial", "TSSetpoint",
                                 "CBxDP", "EdtFS1", "EdtFs2", "edtAddTare", "cbxFilter", "EdtZband", "CBxGbut",
                                 "CBxRem4", "EdtID", "EDtRows", "EdtCols", "MemoHeader", "EdtAFmt", "CtrlSetpoint",
                                 "CBxSetpAlarm", "EdtTarget", "LblTargetUnits"})
            QVERIFY2(editor.findChild<QWidget *>(QString::fromLatin1(name)), name);
        QVERIFY(editor.CalFields->findChild<QLineEdit *>(QStringLiteral("edtCalDirectSpan")));
        QCOMPARE(editor.PgCSettings->tabText(4), QStringLiteral("Setpoint"));
        QCOMPARE(editor.CtrlSetpoint->tabText(0), QStringLiteral(" 1"));
    }

    // The pages carry every setting: fill, reset the model behind them, take,
    // and every setting is back.
    void fillThenTakeRestoresEverySetting()
    {
        const Tdata7410 expected = EveryEditorFieldChanged();
        Tdata7410 model = expected;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        QVERIFY(editor.SettingsShown);
        QCOMPARE(editor.EdtFS1->text(), QStringLiteral("6000.00"));
        QCOMPARE(editor.cbxFilter->currentText(), QStringLiteral("25"));
        model = Tdata7410();
        editor.TakeSettingsPages();
        CopyNotEdited(expected, model);
        QVERIFY(model == expected);
        QVERIFY(Script.Messages().isEmpty());
    }

    void takeBeforeAnyFillChangesNothing()
    {
        Tdata7410 model = EveryEditorFieldChanged();
        TSettingsEditor editor(model);
        editor.TakeSettingsPages();
        QVERIFY(model == EveryEditorFieldChanged());
    }

    // Values the lists have no text for show no selection and survive a take.
    void oddValuesShowNoSelectionAndAreKept()
    {
        Tdata7410 model;
        model.WeighMode = 3;
        model.RemoteKeys[2] = 21;
        model.Units = -7;
        model.DecimalPoint = 9;
        model.Setpoints[1].Type = 40;
        model.Setpoints[1].Alarm = 99;
        model.Setpoints[1].Target = 55;
        model.SynchFilter = 13;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        QCOMPARE(editor.CBxWeighMode->currentIndex(), -1);
        QCOMPARE(editor.CBxRem3->currentIndex(), -1);
        QCOMPARE(editor.CBxUnits->currentIndex(), -1);
        QCOMPARE(editor.lblFS1Units->text(), QString());
        QCOMPARE(editor.cbxFilter->currentText(), QStringLiteral("12.5"));
        QVERIFY(editor.CalFields->GBxLin->isHidden());
        QVERIFY(editor.CalFields->EdtCalWeight->isHidden());
        editor.FillSetpoint(1);
        QCOMPARE(editor.CBxSetpType->currentIndex(), -1);
        editor.TakeSetpoint(1);
        editor.TakeSettingsPages();
        QCOMPARE(model.WeighMode, 3);
        QCOMPARE(model.RemoteKeys[2], 21);
        QCOMPARE(model.Units, -7);
        QCOMPARE(model.DecimalPoint, 9);
        QCOMPARE(model.FullScale1, 4000);   // shown as whole counts, not lost
        QCOMPARE(model.Setpoints[1].Target, 55);
        QCOMPARE(model.Setpoints[1].Type, 40);
        QCOMPARE(model.Setpoints[1].Alarm, 99);
        QCOMPARE(model.SynchFilter, 12);   // 12.5 Hz is written as 12
        model.WeighMode = 0;
        editor.UpdateCalWeightVisibility();
        QVERIFY(!editor.CalFields->GBxLin->isHidden());
    }

    void leavingACountEditFixesDecimalsAndWarnsOutOfRange()
    {
        Tdata7410 model;
        model.DecimalPoint = 2;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        editor.EdtFS1->setText(QStringLiteral("12"));
        Leave(editor.EdtFS1);
        QCOMPARE(editor.EdtFS1->text(), QStringLiteral("12.00"));
        editor.EdtFS1->setText(QStringLiteral("12.345"));
        Leave(editor.EdtFS1);
        QCOMPARE(editor.EdtFS1->text(), QStringLiteral("12.34"));
        QVERIFY(Script.Messages().isEmpty());
        editor.TakeSettingsPages();
        QCOMPARE(model.FullScale1, 1234);

        editor.EdtFS1->setText(QStringLiteral("0.50"));
        Leave(editor.EdtFS1);
        QCOMPARE(Script.Messages(), QStringList{QStringLiteral("Out of Range: (1.00 to 9999.99)")});
        QCOMPARE(editor.EdtFS1->text(), QStringLiteral("0.50"));   // left as typed
        editor.TakeSettingsPages();
        QCOMPARE(model.FullScale1, 50);

        // A message box taking the focus is no exit from the edit.
        Script.Clear();
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(editor.EdtFS1, &away);
        QVERIFY(Script.Messages().isEmpty());

        editor.CalFields->EdtCalWeight->setText(QStringLiteral("0.05"));
        Leave(editor.CalFields->EdtCalWeight);
        editor.EdtTol->setText(QStringLiteral("-1"));
        editor.EdtFS1Exit(editor.EdtTol);
        QCOMPARE(Script.Messages(), (QStringList{QStringLiteral("Out of Range: (0.10 to 9999.99)"),
                                                 QStringLiteral("Out of Range: (0.00 to 9999.99)")}));
    }

    // On screen, leaving an edit out of range brings the focus back to it.
    void focusReturnsToAnEditOutOfRange()
    {
        Tdata7410 model;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        editor.EdtFS1->setFocus();
        QTRY_VERIFY(editor.EdtFS1->hasFocus());
        editor.EdtFS1->setText(QStringLiteral("5"));
        editor.EdtFs2->setText(QStringLiteral("7"));   // both out of range: no ping-pong
        editor.EdtFs2->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(editor.EdtFS1->hasFocus());
        QCOMPARE(Script.Messages(), QStringList{QStringLiteral("Out of Range: (100 to 999999)")});
    }

    void numberEditsLetOnlyNumberKeysThrough()
    {
        Tdata7410 model;
        model.DecimalPoint = 1;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        editor.EdtZband->clear();
        QTest::keyClicks(editor.EdtZband, QStringLiteral("1a2.5x7"));
        QCOMPARE(editor.EdtZband->text(), QStringLiteral("12.57"));
        QTest::keyClick(editor.EdtZband, Qt::Key_Return);
        QCOMPARE(editor.EdtZband->text(), QStringLiteral("12.5"));
        editor.EDtRows->clear();
        QTest::keyClicks(editor.EDtRows, QStringLiteral("q7"));
        QCOMPARE(editor.EDtRows->text(), QStringLiteral("7"));
        QTest::keyClicks(editor.EDtRows, QStringLiteral("."));
        QTest::keyClick(editor.EDtRows, Qt::Key_Enter);
        QCOMPARE(editor.EDtRows->text(), QStringLiteral("7"));
        editor.edtAddTare->clear();
        QTest::keyClicks(editor.edtAddTare, QStringLiteral("7a"));
        QTest::keyClick(editor.edtAddTare, Qt::Key_Return);
        QCOMPARE(editor.edtAddTare->text(), QStringLiteral("7.0"));   // 70 counts, never 7
        QCOMPARE(IsNumberKeyAccepted(QChar(0x0663)), false);   // a digit of another script
    }

    // Rows and columns that cannot be taken keep their page and what was
    // typed, and say which field it is, one at a time.
    // What is typed or pasted into a weight is taken as the number it reads
    // as, with the locale's decimal point, or refused with the field's
    // message and kept for correction; never taken as the digits it holds.
    void typedWeights_data()
    {
        QTest::addColumn<bool>("german");
        QTest::addColumn<bool>("typed");   // keys, else pasted
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");   // after leaving the edit
        QTest::addColumn<qint32>("counts");   // taken; 6000 is the old value kept
        QTest::newRow("German comma typed") << true << true << "12,5" << "12.50" << 1250;
        QTest::newRow("German comma pasted") << true << false << " 12,5 " << "12.50" << 1250;
        QTest::newRow("no decimal comma here") << false << false << "12,5" << "12,5" << 6000;
        QTest::newRow("German thousands") << true << false << "1.234,5" << "1.234,5" << 6000;
        QTest::newRow("a unit") << false << false << "12kg" << "12kg" << 6000;
        QTest::newRow("letters") << false << false << "abc" << "abc" << 6000;
        QTest::newRow("a stray comma typed") << false << true << "12,5" << "125.00" << 12500;
    }
    void typedWeights()
    {
        QFETCH(bool, german);
        QFETCH(bool, typed);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QFETCH(qint32, counts);
        const QLocale previous;
        QLocale::setDefault(german ? QLocale(QLocale::German) : QLocale::c());
        Tdata7410 model;
        model.DecimalPoint = 2;
        model.FullScale1 = 6000;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        editor.EdtFS1->clear();
        if (typed)
            QTest::keyClicks(editor.EdtFS1, text);
        else
            editor.EdtFS1->setText(text);
        Leave(editor.EdtFS1);
        editor.TakeSettingsPages();
        QLocale::setDefault(previous);
        QCOMPARE(editor.EdtFS1->text(), shown);
        QCOMPARE(model.FullScale1, counts);
        const bool refused = counts == 6000;
        QCOMPARE(Script.Messages(), refused ? QStringList{QStringLiteral("Out of Range: (1.00 to 9999.99)")} : QStringList{});
        QCOMPARE(editor.EntriesInRange(), !refused);
    }

    void rowsAndColumnsOutsideTheirRangeKeepThePage()
    {
        Tdata7410 model;
        model.PrintRows = 4;
        model.PrintColumns = 6;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        editor.PgCSettings->setCurrentWidget(editor.TSSerial);
        editor.EDtRows->setText(QStringLiteral("40"));
        editor.EdtCols->setText(QStringLiteral("32"));
        editor.TakeSettingsPages();   // a take from elsewhere keeps the settings and says nothing
        QVERIFY(Script.Messages().isEmpty());
        QVERIFY(!editor.EntriesInRange());
        const struct {
            const char *Rows;
            const char *Cols;
            const char *Message;   // none: the page may be left
        } steps[] = {{"40", "32", "Rows: Out of Range: (0 to 10)"},
                     {"7", "", "Columns: Out of Range: (0 to 20)"},
                     {"7", "12", nullptr}};
        for (const auto &step : steps) {
            Script.Clear();
            editor.EDtRows->setText(QString::fromLatin1(step.Rows));
            editor.EdtCols->setText(QString::fromLatin1(step.Cols));
            editor.PgCSettings->setCurrentWidget(editor.TSBuild);
            const bool kept = step.Message;
            QCOMPARE(editor.PgCSettings->currentWidget(), kept ? editor.TSSerial : editor.TSBuild);
            QCOMPARE(Script.Messages(), kept ? QStringList{QString::fromLatin1(step.Message)} : QStringList{});
            QCOMPARE(editor.EdtCols->text(), QString::fromLatin1(step.Cols));
            QCOMPARE(model.PrintRows, kept ? 4 : 7);
            QCOMPARE(model.PrintColumns, kept ? 6 : 12);
            editor.PgCSettings->setCurrentWidget(editor.TSSerial);
        }
        QVERIFY(editor.EntriesInRange());
    }

    void textsTheLineCannotCarryAreRefused()
    {
        Tdata7410 model;
        model.SerialID = QStringLiteral("old");
        model.HeaderLines[1] = QStringLiteral("kept");
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        editor.EdtID->setText(QStringLiteral("a\"b"));
        editor.EdtPFmt->setText(QStringLiteral("x;ADR5"));
        editor.EdtAFmt->setText(QStringLiteral("ok"));
        editor.MemoHeader->setPlainText(QStringLiteral("one\ntwo\"\nthree\tt"));
        editor.TakeSettingsPages();
        QCOMPARE(model.SerialID, QStringLiteral("old"));
        QCOMPARE(editor.EdtID->text(), QStringLiteral("old"));
        QCOMPARE(model.PrintFormat, QString());
        QCOMPARE(model.AutoFormat, QStringLiteral("ok"));
        QCOMPARE(model.HeaderLines[0], QStringLiteral("one"));
        QCOMPARE(model.HeaderLines[1], QStringLiteral("kept"));
        QCOMPARE(model.HeaderLines[2], QString());
        QCOMPARE(Script.Messages().size(), 3);
        QVERIFY(Script.Messages()[0].startsWith(QStringLiteral("Serial ID: a text may not hold")));
        QVERIFY(Script.Messages()[1].startsWith(QStringLiteral("Header:")));
        QVERIFY(Script.Messages()[2].startsWith(QStringLiteral("Custom Print Format:")));
        Script.Clear();
        editor.MemoHeader->setPlainText(QString(31, QLatin1Char('p')));   // pasted, not typed
        editor.TakeSettingsPages();
        QCOMPARE(model.HeaderLines[0], QStringLiteral("one"));
        QCOMPARE(Script.Messages(), QStringList{HeaderLimitText()});   // the reason, not every rule
        editor.EdtID->setText(QStringLiteral("\u20ac"));   // outside Latin-1
        editor.TakeSettingsPages();
        QCOMPARE(model.SerialID, QStringLiteral("old"));
        QTest::keyClicks(editor.EdtAFmt, QString(30, u'k'));   // no more than the instrument holds
        editor.TakeSettingsPages();
        Tdata7410 readBack;
        readBack.ApplyLines({QStringLiteral("AFT\"%1\"").arg(model.AutoFormat)});
        QCOMPARE(readBack.AutoFormat, model.AutoFormat);
    }

    void headerHoldsSixLinesOfThirtyCharacters()
    {
        Tdata7410 model;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        QCOMPARE(editor.MemoHeader->blockCount(), 6);
        editor.MemoHeader->moveCursor(QTextCursor::Start);
        QTest::keyClicks(editor.MemoHeader, QString(31, QLatin1Char('w')));
        QCOMPARE(editor.MemoHeader->document()->firstBlock().text(), QString(30, QLatin1Char('w')));
        QCOMPARE(Script.Messages(), QStringList{HeaderLimitText()});
        QTest::keyClick(editor.MemoHeader, Qt::Key_Space);
        QCOMPARE(editor.MemoHeader->document()->firstBlock().text().size(), 31);   // spaces pass
        editor.MemoHeader->moveCursor(QTextCursor::End);
        QTest::keyClick(editor.MemoHeader, Qt::Key_Return);
        QCOMPARE(editor.MemoHeader->blockCount(), 6);
        editor.MemoHeader->moveCursor(QTextCursor::Start);
        QTest::keyClick(editor.MemoHeader, Qt::Key_Delete);   // a full line can be shortened
        QTest::keyClick(editor.MemoHeader, Qt::Key_Tab);      // moves on, types nothing
        QCOMPARE(editor.MemoHeader->document()->firstBlock().text(), QString(29, QLatin1Char('w')) + u' ');
        QCOMPARE(Script.Messages().size(), 2);
        QCOMPARE(HeaderLimitText(), QStringLiteral("Maximum size = 6 lines x 30 characters"));
    }

    void decimalPointChangeMovesThePoint()
    {
        Tdata7410 model;
        model.FullScale1 = 6000;
        model.ZeroBand = 5;
        model.AddTareLimit = 2500;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        QCOMPARE(editor.EdtFS1->text(), QStringLiteral("6000"));
        editor.EdtFs2->setText(QStringLiteral("75"));   // typed, not yet taken: kept as typed
        editor.CBxDP->setCurrentIndex(2);
        QCOMPARE(editor.EdtFS1->text(), QStringLiteral("60.00"));
        QCOMPARE(editor.EdtFs2->text(), QStringLiteral("0.75"));
        QCOMPARE(editor.EdtZband->text(), QStringLiteral("0.05"));
        QCOMPARE(editor.CalFields->EdtCalWeight->text(), QStringLiteral("30.00"));
        // Left at "2500", a tab through it would pad it to 250000 counts.
        QCOMPARE(editor.edtAddTare->text(), QStringLiteral("25.00"));
        Leave(editor.edtAddTare);
        editor.CBxDP->setCurrentIndex(3);
        editor.TakeSettingsPages();
        QCOMPARE(model.AddTareLimit, 2500);
        QCOMPARE(model.FullScale1, 6000);
        QCOMPARE(model.FullScale2, 75);
        QCOMPARE(model.DecimalPoint, 3);
        editor.CBxUnits->setCurrentIndex(4);
        QCOMPARE(editor.lblZbandUnits->text(), QStringLiteral("t"));
        QCOMPARE(editor.CalFields->LblLCalWeightUnits->text(), QStringLiteral("t"));
    }

    void calibrationFieldsShowDirectValuesAndPoints()
    {
        Tdata7410 model;
        model.DecimalPoint = 1;
        model.LinPercent[2] = 50;
        model.LinWeight[2] = 1234;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        QCOMPARE(editor.CalFields->edtCalDirectSpan->text(), QStringLiteral("2.0000"));
        QCOMPARE(editor.CalFields->LBxLCal->item(2)->text(), QStringLiteral("3:   50%   12.34"));
        QCOMPARE(editor.CalFields->LBxLCal->item(0)->text(), QStringLiteral("1:"));
        editor.CalFields->edtCalDirectZero->setText(QStringLiteral("0.00005"));   // a tie goes to even
        editor.CalFields->edtCalDirectSpan->setText(QStringLiteral("1.23456"));
        editor.TakeSettingsPages();
        QCOMPARE(model.DirectZero, 0);
        QCOMPARE(model.DirectSpan, 12346);
        editor.CalFields->edtCalDirectSpan->setText(QStringLiteral("abc"));
        editor.CalFields->edtCalDirectZero->setText(QStringLiteral("4"));
        editor.TakeSettingsPages();
        QCOMPARE(model.DirectSpan, 12346);
        QCOMPARE(model.DirectZero, 0);
        QCOMPARE(editor.CalFields->edtCalDirectSpan->text(), QStringLiteral("1.2346"));
        QCOMPARE(Script.Messages(), (QStringList{QStringLiteral("Out of Range: (-3.2000 to 3.2000)"),
                                                 QStringLiteral("Direct Span: \"abc\" is not a number")}));
    }

    void setpointTabsKeepEachSetpoint()
    {
        Tdata7410 model;
        model.DecimalPoint = 1;
        model.Setpoints[1].Target = 777;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        editor.PgCSettings->setCurrentWidget(editor.TSSetpoint);
        QVERIFY(editor.SetpointShown);
        QCOMPARE(editor.CtrlSetpoint->currentIndex(), 0);
        QVERIFY(!editor.CtrlSetpoint->IsUsed(0));
        editor.CBxSetpType->setCurrentIndex(1);
        editor.EdtTarget->setText(QStringLiteral("12.5"));
        editor.CtrlSetpoint->setCurrentIndex(1);
        QCOMPARE(model.Setpoints[0].Type, 1);
        QCOMPARE(model.Setpoints[0].Target, 125);
        QVERIFY(editor.CtrlSetpoint->IsUsed(0));
        QCOMPARE(editor.EdtTarget->text(), QStringLiteral("77.7"));
        QCOMPARE(editor.CBxSetpType->currentIndex(), 0);
        editor.CBxSetpAlarm->setCurrentIndex(4);
        editor.CtrlSetpoint->setCurrentIndex(0);
        QCOMPARE(model.Setpoints[1].Alarm, 4);
        QCOMPARE(editor.EdtTarget->text(), QStringLiteral("12.5"));
        QVERIFY(!editor.CtrlSetpoint->grab().isNull());   // paints both looks

        // Leaving the page takes the setpoint on screen.
        editor.EdtFlight->setText(QStringLiteral("3"));
        editor.PgCSettings->setCurrentWidget(editor.TSSerial);
        QCOMPARE(model.Setpoints[0].InFlight, 30);   // 3.0 at one decimal
    }

    // A write started from the Setpoint page sends what is on screen, and a
    // read while it is open shows the new setpoint instead of the old one.
    void setpointOnScreenFollowsWritesAndReads()
    {
        Tdata7410 model;
        TSettingsEditor editor(model);
        editor.FillSettingsPages();
        editor.PgCSettings->setCurrentWidget(editor.TSSetpoint);
        editor.CtrlSetpoint->setCurrentIndex(2);
        editor.EdtTol->setText(QStringLiteral("9"));
        editor.TakeSettingsPages();
        QCOMPARE(model.Setpoints[2].Tolerance, 9);
        model.Setpoints[2].Tolerance = 44;
        editor.FillSettingsPages();
        QCOMPARE(editor.EdtTol->text(), QStringLiteral("44"));
        QCOMPARE(editor.CtrlSetpoint->currentIndex(), 2);
    }
};

QV_TEST_MAIN(TestEditor)
} // namespace test_editor
#include "test_editor.moc"
