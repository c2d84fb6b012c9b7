// The main window: start-up state, page switching and Activity, the two
// looks, the resize rule, the identity panel and its colours, and the
// Calibration page's question.

#include "app/frmmain.h"
#include "display/fontreading.h"
#include "display/u7400led.h"
#include "link/ioiface_null.h"
#include "link/test_session_fake.h"
#include "logging/loggingsession.h"
#include "settings/editor.h"
#include "settings/settingsfile.h"
#include "support/testmain.h"
#include "terminal/testpage.h"
#include "ui/scriptedprompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QLineEdit>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTemporaryDir>

// A namespace of its own: the folder's test files are compiled together.
namespace test_frmmain {

namespace {
QStringList VisibleTabs(QTabWidget *tabs)
{
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i))
            names << tabs->widget(i)->objectName();
    return names;
}

void ShowTab(TFrmMain &w, QWidget *page) { w.PgCMain->setTabVisible(w.PgCMain->indexOf(page), true); }

// An identity as a settings read would leave it, with both models equal.
void GiveIdentity(TFrmMain &w)
{
    w.EditModel.Address = 7;
    w.EditModel.SerialNumber = QStringLiteral("123456");
    w.EditModel.Version = QStringLiteral("5.02");
    w.EditModel.SerialID = QStringLiteral("KD4620");
    w.InstrumentModel = w.EditModel;
    w.UpdateIdentity();
}

// The settings the pages mark as differing from the instrument, sorted.
QStringList BoldMarks(TFrmMain &w)
{
    QCoreApplication::processEvents();
    QStringList bold;
    for (QLabel *label : w.SettingsEditor->findChildren<QLabel *>())
        if (label->font().bold())
            bold << label->text();
    for (QCheckBox *box : w.SettingsEditor->findChildren<QCheckBox *>())
        if (box->font().bold())
            bold << box->text();
    bold.sort();
    return bold;
}

// Waits for the window's layout and any resize it asked for to settle.
void Settle()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}
} // namespace

namespace {
const QString STX(QChar(2));
const QString ETX(QChar(3));

// A line that acknowledges the start-up commands (units: kg).
QString AnswerStartup(const QString &written)
{
    if (written.contains(QLatin1String("COF11")))
        return QStringLiteral("0\r\n");
    if (written.contains(QLatin1String("ENU?")))
        return QStringLiteral("2\r\n");
    return QString();
}

// Connects the window to a scripted line that answers the start-up and then
// stays silent. The session's own timer only ticks while the event loop
// runs: the test ticks it by hand (Timer1Timer) in between.
TFakeTransport *ConnectScripted(TFrmMain &w)
{
    auto fake = std::make_unique<TFakeTransport>();
    TFakeTransport *line = fake.get();
    line->Answer = AnswerStartup;
    w.Session.InstallAndOpen(std::move(fake));
    line->Answer = nullptr;
    line->Sent.clear();
    return line;
}

// Ticks the session by hand until the reply it awaits is (or is not) the
// answer to the status request, every weight poll meanwhile answered at once
// with `weight`; then on, unanswered and with no poll going out, until the
// tick cycle stands at `cycle`.
void TickTo(TSession &s, TFakeTransport &line, bool statusAwaited, int cycle, const QString &weight)
{
    while (s.StatusReplyAwaited() != statusAwaited) {
        s.Timer1Timer();
        if (s.StatusReplyAwaited() != statusAwaited)
            line.Deliver(weight);
    }
    while (s.TickCycle() != cycle)
        s.Timer1Timer();
}
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationName(QStringLiteral("Quenvale 7400 Viewer")); }

    void startsDisconnectedOnTheDisplayPage()
    {
        TFrmMain w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Quenvale 7400 Viewer"));
        QCOMPARE(w.size(), QSize(800, 600));
        QCOMPARE(w.font().family(), QStringLiteral("Arial"));
        QCOMPARE(w.font().pixelSize(), 12);

        QCOMPARE(VisibleTabs(w.PgCMain), (QStringList{"TSDisplay", "TSLog"}));
        QCOMPARE(w.PgCMain->currentWidget(), w.TSDisplay);
        QCOMPARE(w.PgCSettings->currentWidget(), w.TSBuild);
        QCOMPARE(w.LBxLCal->count(), 5);
        QCOMPARE(w.LBxLCal->currentRow(), 0);
        QCOMPARE(w.Session.Activity(), actIdle);
        QVERIFY(!w.SettingsSent);
        QVERIFY(w.LCDMain->SegmentLit(1, 1) && w.LCDMain->SegmentLit(6, 8));

        for (QAction *a : {w.ReadSettings1, w.WriteSettings1})
            QVERIFY(!a->isEnabled());
        for (QToolButton *b : {w.ToolButton6, w.ToolButton7})
            QVERIFY(!b->isEnabled());
        QCOMPARE(w.ToolButton4->text(), QStringLiteral("&Connect"));
        QCOMPARE(w.ToolButton4->toolTip(), QStringLiteral("Connect to instrument"));
        QCOMPARE(w.Connect2->text(), QStringLiteral("&Connect"));
        for (int panel = 0; panel < 3; ++panel)
            QVERIFY(w.PanelText(panel).isEmpty());
    }

    void menusAndToolbarCarryTheirNamesCaptionsAndShortcuts()
    {
        TFrmMain w;
        QStringList menus;
        for (QAction *a : w.MainMenu->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{"&File", "&Edit", "&Instrument", "&Help"}));
        QCOMPARE(w.Open1->shortcut(), QKeySequence(Qt::Key_F3));
        QCOMPARE(w.Save1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QCOMPARE(w.Exit1->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
        QCOMPARE(w.ReadSettings1->text(), QStringLiteral("&Read Settings "));
        QCOMPARE(w.Open1->toolTip(), QStringLiteral("Load settings from file"));

        QStringList bar;
        for (QAction *a : w.ToolBar->actions())
            bar << (a->isSeparator() ? QStringLiteral("|") : w.ToolBar->widgetForAction(a)->objectName());
        QCOMPARE(bar, (QStringList{"ToolButton1", "ToolButton2", "|", "ToolButton4", "|", "ToolButton6",
                                   "ToolButton7"}));
        QCOMPARE(w.ToolButton3->objectName(), QStringLiteral("ToolButton3"));
        for (QToolButton *b : {w.ToolButton1, w.ToolButton2, w.ToolButton4, w.ToolButton6, w.ToolButton7}) {
            QCOMPARE(b->size(), QSize(84, 37));
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QVERIFY(!b->icon().isNull());
        }
        QCOMPARE(w.ToolButton7->text(), QStringLiteral("&Write Settings"));
        // Every control the program names can be found by that name.
        for (const char *name : {"ToolBar", "MainMenu", "PgCMain", "TSDisplay", "LCDMain", "pnlDispFill",
                                 "TSSettings", "PgCSettings", "TSBuild", "TSOption", "TSSpecial", "TSSerial",
                                 "TSSetpoint", "TSCal", "LCDCal", "LBxLCal", "TSLog", "TSTest", "StatusBar"})
            QVERIFY2(w.findChild<QObject *>(QLatin1String(name)), name);
        for (const char *name : {"Open1", "Save1", "Print1", "PrintPreview1", "Connect2", "Exit1", "ChartSetup", "ReadSettings1",
                                 "WriteSettings1", "Index1", "Contents1", "About1"})
            QVERIFY2(w.findChild<QAction *>(QLatin1String(name)), name);
    }

    void pageChangesSetActivity()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmMain w;
        ShowTab(w, w.TSTest);
        ShowTab(w, w.TSSettings);
        ShowTab(w, w.TSCal);

        w.PgCMain->setCurrentWidget(w.TSLog);
        QCOMPARE(w.Session.Activity(), actLog);
        w.PgCMain->setCurrentWidget(w.TSTest);
        QCOMPARE(w.Session.Activity(), actTest);
        w.PgCMain->setCurrentWidget(w.TSDisplay);
        QCOMPARE(w.Session.Activity(), actDisplay);
        // The Settings page leaves the live display polling behind it.
        w.PgCSettings->setCurrentWidget(w.TSSerial);
        w.PgCMain->setCurrentWidget(w.TSSettings);
        QCOMPARE(w.Session.Activity(), actDisplay);
        QCOMPARE(w.PgCSettings->currentWidget(), w.TSBuild);
        w.PgCMain->setCurrentWidget(w.TSCal);
        QCOMPARE(w.Session.Activity(), actCalibration);
        // Not connected: the Display page has no instrument to start, and
        // nothing to say about it.
        QCOMPARE(script.Messages(), QStringList());
    }

    void leavingForAnotherPageTakesTheEditorAndComparesWithTheInstrument()
    {
        TFrmMain w;
        GiveIdentity(w);
        w.SettingsSent = true;
        int taken = 0;
        w.PageWork.TakeSettingsPages = [&] {
            ++taken;
            w.EditModel.FullScale1 += 10;
            w.SettingsEditor->EdtFS1->setText(QString::number(w.EditModel.FullScale1));   // as typed
        };
        ShowTab(w, w.TSSettings);

        w.PgCMain->setCurrentWidget(w.TSLog);     // SettingsShown is clear: nothing taken
        QCOMPARE(taken, 0);
        QVERIFY(w.SettingsSent);
        w.PgCMain->setCurrentWidget(w.TSSettings);
        QCOMPARE(taken, 0);
        w.SettingsShown = true;
        w.PgCMain->setCurrentWidget(w.TSDisplay);
        QCOMPARE(taken, 1);
        QVERIFY(!w.SettingsSent);
        QCOMPARE(w.PanelText(2), QStringLiteral("Unit 7  SN: 123456, Version 5.02, ID: KD4620"));
        // The changed full scale is marked; the decimal point on its line and
        // the unchanged units not, though guarded.
        auto *form = qobject_cast<QFormLayout *>(w.SettingsEditor->CBxDP->parentWidget()->layout());
        QVERIFY(form);
        const auto font = [form](QWidget *field) { return form->labelForField(field)->font(); };
        QCOMPARE(BoldMarks(w), QStringList{"Full Scale 1 *"});
        QVERIFY(!font(w.SettingsEditor->CBxDP).bold() && !font(w.SettingsEditor->CBxUnits).bold());
        QVERIFY(qobject_cast<QLabel *>(form->labelForField(w.SettingsEditor->CBxUnits))->text().endsWith(u'*'));
    }

    // The marks follow each field as it is edited, value by value.
    void marksFollowEachEditedValue_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("value");   // a text, an item index, or a check
        QTest::addColumn<QStringList>("marked");
        QTest::newRow("tare limit alone") << "edtAddTare" << "50" << QStringList{"Additive Tare Limit *"};
        QTest::newRow("decimal point alone") << "CBxDP" << "2" << QStringList{"Decimal Point *"};
        QTest::newRow("high resolution") << "CkBHiRes" << "1" << QStringList{"High Resolution (x10)"};
        QTest::newRow("a header line") << "MemoHeader" << "North gate" << QStringList{"Header"};
    }

    void marksFollowEachEditedValue()
    {
        QFETCH(QString, control);
        QFETCH(QString, value);
        QFETCH(QStringList, marked);
        TFrmMain w;
        GiveIdentity(w);
        w.PageWork.FillSettingsPages();
        QCOMPARE(BoldMarks(w), QStringList());
        QWidget *edited = w.SettingsEditor->findChild<QWidget *>(control);
        if (auto *edit = qobject_cast<QLineEdit *>(edited))
            edit->setText(value);
        else if (auto *combo = qobject_cast<QComboBox *>(edited))
            combo->setCurrentIndex(value.toInt());
        else if (auto *box = qobject_cast<QCheckBox *>(edited))
            box->setChecked(true);
        else if (auto *memo = qobject_cast<QPlainTextEdit *>(edited))
            memo->setPlainText(value);
        QCOMPARE(BoldMarks(w), marked);
    }

    void calibrationPageAsksOncePerChangeOnlyWithIdentityAndUnsentSettings()
    {
        const QString question = QStringLiteral("Current Settings not sent to instrument.  Send now?");
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmMain w;
        ShowTab(w, w.TSCal);

        w.PgCMain->setCurrentWidget(w.TSCal);     // nothing read yet: no identity
        QVERIFY(script.Questions().isEmpty());

        w.PgCMain->setCurrentWidget(w.TSLog);
        GiveIdentity(w);
        w.SettingsSent = true;
        w.PgCMain->setCurrentWidget(w.TSCal);     // sent: no question
        QVERIFY(script.Questions().isEmpty());

        w.SettingsSent = false;   // cleared by a linearisation point: still no question
        w.PgCMain->setCurrentWidget(w.TSLog);
        w.PgCMain->setCurrentWidget(w.TSCal);
        QVERIFY(script.Questions().isEmpty());
        w.EditModel.FullScale1 = 5000;   // the pages hold what the instrument does not
        w.PgCMain->setCurrentWidget(w.TSLog);
        w.PgCMain->setCurrentWidget(w.TSCal);
        QCOMPARE(script.Questions(), QStringList{question});
        w.PgCMain->setCurrentWidget(w.TSDisplay);
        w.PgCMain->setCurrentWidget(w.TSCal);
        QCOMPARE(script.Questions(), (QStringList{question, question}));
        QCOMPARE(w.Session.Activity(), actCalibration);
    }

    void nullTransportEventsApplyTheTwoLooks()
    {
        TFrmMain w;
        w.Session.SetTransport(std::make_unique<TIOIfaceNull>());
        GiveIdentity(w);
        w.Session.Transport().Open();             // raises OnOpen, stays closed

        QCOMPARE(VisibleTabs(w.PgCMain), (QStringList{"TSDisplay", "TSLog", "TSTest", "TSVerify"}));
        for (QAction *a : {w.ReadSettings1, w.WriteSettings1})
            QVERIFY(a->isEnabled());
        for (QToolButton *b : {w.ToolButton6, w.ToolButton7})
            QVERIFY(b->isEnabled());
        QCOMPARE(w.ToolButton4->text(), QStringLiteral("&Disconnect"));
        QCOMPARE(w.ToolButton4->toolTip(), QStringLiteral("Disconnect from instrument"));
        QCOMPARE(w.Connect2->text(), QStringLiteral("&Disconnect"));
        QVERIFY(w.EditModel.SerialNumber.isEmpty());
        QVERIFY(w.PanelText(2).isEmpty());
        QCOMPARE(w.Session.Activity(), actDisplay);

        w.PgCMain->setCurrentWidget(w.TSLog);
        GiveIdentity(w);
        w.Session.Transport().Close();
        QCOMPARE(VisibleTabs(w.PgCMain), (QStringList{"TSDisplay", "TSLog"}));
        QVERIFY(!w.ReadSettings1->isEnabled() && !w.ToolButton7->isEnabled());
        QCOMPARE(w.ToolButton4->text(), QStringLiteral("&Connect"));
        QCOMPARE(w.Connect2->text(), QStringLiteral("&Connect"));
        QVERIFY(w.PanelText(2).isEmpty());
        QCOMPARE(w.Session.Activity(), actLog);   // left as it was
    }

    void connectingNeverShowsSettingsOrCalibrationAndDisconnectingLeavesTheTestPage()
    {
        TFrmMain w;
        w.Session.SetTransport(std::make_unique<TIOIfaceNull>());
        ShowTab(w, w.TSSettings);                 // as after loading a settings file
        ShowTab(w, w.TSCal);
        w.PgCMain->setCurrentWidget(w.TSSettings);
        w.Session.Transport().Open();
        QCOMPARE(VisibleTabs(w.PgCMain), (QStringList{"TSDisplay", "TSLog", "TSTest", "TSVerify"}));
        QVERIFY(w.PgCMain->currentWidget() != w.TSSettings);

        w.PgCMain->setCurrentWidget(w.TSTest);
        QCOMPARE(w.Session.Activity(), actTest);
        w.Session.Transport().Close();
        // The page in front went away: the one now shown is the one served.
        QWidget *front = w.PgCMain->currentWidget();
        QVERIFY(front == w.TSDisplay || front == w.TSLog);
        QCOMPARE(w.Session.Activity(), front == w.TSDisplay ? actDisplay : actLog);
    }

    void connectedLookBringsTheInstrumentIntoAKnownState()
    {
        TFrmMain w;
        auto fake = std::make_unique<TFakeTransport>();
        TFakeTransport *line = fake.get();
        line->Answer = [](const QString &written) {
            if (written.contains(QLatin1String("COF11")))
                return QStringLiteral("0\r\n");
            if (written.contains(QLatin1String("ENU?")))
                return QStringLiteral("3\r\n");
            return QString();
        };
        w.Session.InstallAndOpen(std::move(fake));
        QCOMPARE(w.Session.Activity(), actDisplay);
        QCOMPARE(line->Sent.mid(0, 3), (QStringList{"S98;STP;", "S99;COF11;", "ENU?;"}));
        QCOMPARE(w.Session.DisplayUnits(), 3);
        QCOMPARE(w.PanelText(0), QStringLiteral("ENU?;"));
        QCOMPARE(w.PanelText(1), QStringLiteral("3"));

        // Traffic reaches the Test page only while it is in front.
        QVERIFY(w.TestPage->MemoRx->toPlainText().isEmpty());
        w.PgCMain->setCurrentWidget(w.TSTest);
        w.TestPage->EdtSendStr->setText(QStringLiteral("STP"));
        w.TestPage->BtnSend->click();
        QCOMPARE(line->Sent.last(), QStringLiteral("STP;"));
        QCOMPARE(w.TestPage->MemoRx->toPlainText(), QStringLiteral(">>>STP;"));
    }

    void displayIsBlankedWhenRepliesStop()
    {
        TFrmMain w;
        QVERIFY(w.LCDMain->SegmentLit(3, 4));
        QTRY_VERIFY_WITH_TIMEOUT(!w.LCDMain->SegmentLit(3, 4), 3000);
    }

    void resizeKeepsTheDisplayRatio()
    {
        TFrmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto needed = [&] { return w.DisplayPageSize().width() * 65 / 140; };

        w.resize(300, 600);
        Settle();
        QCOMPARE(w.width(), 400);

        w.resize(1000, 300);                      // far too short for its width
        Settle();
        QCOMPARE(w.width(), 1000);
        QVERIFY(w.height() > 300);
        QCOMPARE(w.DisplayPageSize().height(), needed());
        QCOMPARE(w.pnlDispFill->height(), 0);

        w.resize(500, 900);                       // taller than needed: the filler takes the rest
        Settle();
        QCOMPARE(w.height(), 900);
        QCOMPARE(w.pnlDispFill->height(), w.DisplayPageSize().height() - needed());
        QVERIFY(w.pnlDispFill->height() > 0);
        QCOMPARE(w.LCDMain->height(), needed());
    }

    void identityPanelColoursFollowTheRule()
    {
        TFrmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *panel = w.findChild<QWidget *>(QStringLiteral("StatusPanel2"));
        QVERIFY(panel);
        auto grabbed = [&] { return panel->grab().toImage(); };
        auto hasColour = [](const QImage &image, QColor colour, int fromX) {
            for (int y = 0; y < image.height(); ++y)
                for (int x = fromX; x < image.width(); ++x)
                    if (image.pixelColor(x, y) == colour)
                        return true;
            return false;
        };

        QImage empty = grabbed();
        QCOMPARE(empty.pixelColor(3, 3), w.palette().color(QPalette::Button));

        GiveIdentity(w);
        w.SettingsSent = false;
        QImage unsent = grabbed();
        QCOMPARE(unsent.pixelColor(3, 3), QColor(Qt::red));
        QVERIFY(hasColour(unsent, Qt::yellow, 30));
        QVERIFY(!hasColour(unsent.copy(0, 0, 30, unsent.height()), Qt::yellow, 0));

        w.SettingsSent = true;
        QImage sent = grabbed();
        QCOMPARE(sent.pixelColor(3, 3), w.palette().color(QPalette::Button));
        QVERIFY(hasColour(sent, Qt::black, 30));
        QVERIFY(!hasColour(sent.copy(0, 0, 30, sent.height()), Qt::black, 0));
    }

    void identityTextLeavesInstrumentTextsAsTheyAre()
    {
        Tdata7410 model;
        QVERIFY(TFrmMain::IdentityText(model).isEmpty());
        model.Address = 31;
        model.SerialNumber = QStringLiteral("%2");
        model.Version = QStringLiteral("5.10");
        model.SerialID = QStringLiteral("%1 scale");
        QCOMPARE(TFrmMain::IdentityText(model), QStringLiteral("Unit 31  SN: %2, Version 5.10, ID: %1 scale"));
    }

    void closingStopsReceiving()
    {
        TFrmMain w;
        TFakeTransport *line = ConnectScripted(w);
        w.show();
        QVERIFY(w.close());
        QVERIFY(w.Session.IsShuttingDown());
        line->Deliver(QStringLiteral("7\r\n"));
        QCOMPARE(w.PanelText(1), QStringLiteral("2"));   // still the start-up's last answer
    }

    void closingDuringAWaitEndsItWithoutAMessage()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmMain w;
        w.show();
        // The start-up question waits on a silent line; the window closes meanwhile.
        auto fake = std::make_unique<TFakeTransport>();
        TFakeTransport *line = fake.get();
        QTimer::singleShot(50, &w, [&w] { w.close(); });
        w.Session.InstallAndOpen(std::move(fake));
        QVERIFY(!w.isVisible());
        QTest::qWait(3 * TSession::ReplyWaitTicks * 10);
        QCOMPARE(script.Messages(), QStringList());
        QCOMPARE(line->Sent, (QStringList{"S98;STP;", "S99;COF11;"}));
    }

    void keyPreviewSeesKeysOfTheWindowFirst()
    {
        TFrmMain w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QList<int> seen;
        w.FormKeyDown = [&](QKeyEvent *e) { seen << e->key(); return e->key() == Qt::Key_Z; };
        w.PgCMain->setFocus();
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus && focus->window() == &w);
        // Each press is seen once, though it travels up through the parents.
        QTest::keyClick(focus, Qt::Key_A);
        QTest::keyClick(focus, Qt::Key_Z);
        QCOMPARE(seen, (QList<int>{Qt::Key_A, Qt::Key_Z}));
    }

    void frontKeysGoOutFramedWithTheUnitAddressAndLetTheNextPollWait()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmMain w;
        TFakeTransport *line = ConnectScripted(w);
        TSession &s = w.Session;

        s.SetUnitAddress(5);
        w.LCDMain->RegionPressed(3, Qt::ControlModifier);
        QCOMPARE(line->Sent, QStringList{STX + "KG05" + ETX});
        QCOMPARE(w.PanelText(0), QStringLiteral("KG05"));
        // The key's 50 ms pass before the next poll goes out; an unanswered
        // poll is repeated after its own time.
        for (int tick = 1; tick <= TSession::KeyPollDelayTicks; ++tick)
            s.Timer1Timer();
        QCOMPARE(line->Sent.size(), 1);
        s.Timer1Timer();
        QCOMPARE(line->Sent.value(1), QStringLiteral("MSV?;"));
        for (int tick = 1; tick < TSession::PollRepeatTicks; ++tick)
            s.Timer1Timer();
        QCOMPARE(line->Sent.size(), 2);
        s.Timer1Timer();
        QCOMPARE(line->Sent.value(2), QStringLiteral("MSV?;"));

        // "Any" addresses unit 00; each region has its own key.
        s.SetUnitAddress(99);
        line->Sent.clear();
        w.LCDMain->RegionPressed(3, Qt::NoModifier);
        w.LCDMain->RegionPressed(1, Qt::ShiftModifier);
        w.LCDMain->RegionPressed(2, Qt::NoModifier);
        w.LCDMain->RegionPressed(4, Qt::AltModifier);
        w.LCDMain->RegionPressed(5, Qt::NoModifier);   // no key there
        w.PressDisplayKey(0, false);
        QCOMPARE(line->Sent, (QStringList{STX + "Kg00" + ETX, STX + "KZ00" + ETX, STX + "Kt00" + ETX,
                                          STX + "KQ00" + ETX}));

        // A click on the picture reaches the same handlers.
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        line->Sent.clear();
        const QSize size = w.LCDMain->size();
        const QPoint tare(243 * size.width() / 600, 305 * size.height() / 400);
        QTest::mouseClick(w.LCDMain, Qt::LeftButton, Qt::ShiftModifier, tare);
        QTest::mouseClick(w.LCDMain, Qt::LeftButton, Qt::NoModifier, tare);
        QCOMPARE(line->Sent, (QStringList{STX + "KT00" + ETX, STX + "Kt00" + ETX}));

        // While the start-up questions are awaited a key is held back: its
        // "0" would be taken for COF11's.
        line->Sent.clear();
        line->Answer = AnswerStartup;
        bool pressed = false;
        QTimer::singleShot(0, &w, [&] {
            pressed = true;
            w.PressDisplayKey(1, false);
        });
        QVERIFY(s.StartupSequence());
        QVERIFY(pressed);
        QCOMPARE(line->Sent, (QStringList{"S98;STP;", "S99;COF11;", "ENU?;"}));
        line->Answer = nullptr;
        // With the line closed a key does nothing at all.
        line->Close();
        line->Sent.clear();
        w.PressDisplayKey(1, false);
        QVERIFY(line->Sent.isEmpty());
        QVERIFY(script.Messages().isEmpty());
    }

    void repliesReachTheDisplayOfThePageInFront()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmMain w;
        TFakeTransport *line = ConnectScripted(w);
        TSession &s = w.Session;
        QCOMPARE(s.Activity(), actDisplay);
        TickTo(s, *line, false, 7, QString());

        line->Deliver(QStringLiteral("  123.45,01,002\r\n"));
        QCOMPARE(Reading(*w.LCDMain), QStringLiteral(" 123.45"));
        QVERIFY(w.LCDMain->SegmentLit(LampRow, 3));     // gross
        QVERIFY(!w.LCDMain->SegmentLit(LampRow, 4));    // stable
        QVERIFY(w.LCDMain->SegmentLit(LabelRow, 2));    // kg, from the start-up query

        // The window's weighing mode picks the lamp meaning.
        w.EditModel.WeighMode = 1;
        line->Deliver(QStringLiteral("       5,01,250\r\n"));   // second range, outputs 2, 4, 5, 6
        QVERIFY(w.LCDMain->SegmentLit(LampRow, 6));
        for (int lamp : {5, 7, 8})
            QVERIFY(!w.LCDMain->SegmentLit(LampRow, lamp));

        // On the Calibration page the small display takes the replies.
        s.SetActivity(actCalibration);
        line->Deliver(QStringLiteral("      -7,01,002\r\n"));
        QCOMPARE(Reading(*w.LCDCal), QStringLiteral("-    7"));
        QCOMPARE(Reading(*w.LCDMain), QStringLiteral("     5"));

        // A status answer sets the error; it shows in the first half of the
        // tick cycle, and never replaces the digits by itself.
        s.SetActivity(actDisplay);
        TickTo(s, *line, true, 7, QStringLiteral("       5,01,250\r\n"));
        QCOMPARE(Reading(*w.LCDMain), QStringLiteral("     5"));
        line->Deliver(QStringLiteral("0010\r\n"));
        QCOMPARE(w.ErrorStatus, 16);
        QCOMPARE(Reading(*w.LCDMain), QStringLiteral("     5"));
        TickTo(s, *line, false, 2, QString());
        line->Deliver(QStringLiteral("       5,01,002\r\n"));
        QCOMPARE(Reading(*w.LCDMain), QStringLiteral(" E0010"));
    }

    void calibrationDisplayIsSmallGreenOnBlack()
    {
        TFrmMain w;
        QCOMPARE(w.LCDCal->geometry(), QRect(132, 8, 350, 100));
        QVERIFY(w.TSCal->isAncestorOf(w.LCDCal));   // in the page's scroll area
        QCOMPARE(w.LCDCal->OnColor(), QColor(0, 255, 0));
        QCOMPARE(w.LCDCal->OnLineColor(), QColor(0, 255, 0));
        QCOMPARE(w.LCDCal->OffColor(), QColor(0, 0, 0));
        QCOMPARE(w.LCDCal->OffLineColor(), QColor(0, 0, 0));
        QCOMPARE(w.LCDMain->OffColor(), QColor(0, 64, 0));
        QCOMPARE(w.LCDMain->OnColor(), QColor(0, 255, 0));
        for (int region = 1; region <= TT7400LED::RegionCount; ++region)
            QCOMPARE(w.LCDCal->RegionRect(region).Right, 0);
    }

    void settingsFileSavedAndOpenedThroughTheFileMenu()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("site.QVS"));
        TFrmMain w;
        GiveIdentity(w);
        w.SettingsSent = true;
        w.EditModel.FullScale1 = 12345;
        w.EditModel.HeaderLines[2] = QStringLiteral("Line three");
        w.EditModel.SerialID = QStringLiteral("SITE7");
        script.FileAnswers = {path};
        w.Save1->trigger();
        QVERIFY2(script.Messages().isEmpty(), qPrintable(script.Messages().join('|')));
        QVERIFY(QFileInfo::exists(path));
        // "site" with the extension added would replace site.QVS: asked first.
        w.EditModel.FullScale1 = 500;
        script.FileAnswers = {dir.filePath(QStringLiteral("site"))};
        script.ConfirmAnswers = {false};
        w.Save1->trigger();
        QCOMPARE(script.Questions().size(), 1);

        // Opened with another editor's byte order mark: no line lost.
        QFile site(path);
        QVERIFY(site.open(QIODevice::ReadWrite));
        const QByteArray saved = "\xEF\xBB\xBF" + site.readAll();
        QVERIFY(site.seek(0) && site.write(saved) == saved.size() && site.flush());
        w.EditModel = Tdata7410();
        script.FileAnswers = {path};
        w.Open1->trigger();
        QVERIFY2(script.Messages().isEmpty(), qPrintable(script.Messages().join('|')));
        QCOMPARE(w.EditModel.SerialID, QStringLiteral("SITE7"));
        QCOMPARE(w.EditModel.FullScale1, 12345);
        QCOMPARE(w.EditModel.HeaderLines[2], QStringLiteral("Line three"));
        // Loaded settings are for editing and sending: the pages show, nothing
        // says the instrument holds them, and the identity is not the file's.
        for (QWidget *page : {w.TSSettings, w.TSCal, w.TSLog})
            QVERIFY(w.PgCMain->isTabVisible(w.PgCMain->indexOf(page)));
        QVERIFY(!w.SettingsSent);
        QVERIFY(w.SettingsShown);
        QVERIFY(w.EditModel.SerialNumber.isEmpty());
        QCOMPARE(w.PanelText(2), QString());

        // On the Log page a settings file is refused; the chart keeps its points.
        w.PgCMain->setCurrentWidget(w.TSLog);
        w.Logging->AddPoint(TLoggingSession::SeriesWeight, TLogPoint(1, 2));
        script.FileAnswers = {path};
        w.Open1->trigger();
        QVERIFY(w.Logging->Points.Size(TLoggingSession::SeriesWeight) == 1 && script.Messages().size() == 1);
        script.Clear();

        // A file that is no settings file changes nothing and says so.
        QFile junk(dir.filePath(QStringLiteral("junk.QVS")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray("\x00\x01\x02garbage", 10));
        junk.close();
        script.FileAnswers = {junk.fileName()};
        w.Open1->trigger();
        QCOMPARE(script.Messages().size(), 1);
        QCOMPARE(w.EditModel.FullScale1, 12345);
    }

    // Settings edits not sent and an unsaved log are kept without a question
    // and offered by name to the next start, once; Yes opens them.
    // A data folder that cannot be made (here a file stands in its way)
    // leaves the work in the first fallback that takes it, offered all the same.
    void unsentSettingsAndAnUnsavedLogAreKeptAndOfferedAtTheNextStart_data()
    {
        QTest::addColumn<bool>("dataFolderBlocked");
        QTest::newRow("data folder") << false;
        QTest::newRow("data folder blocked") << true;
    }
    void unsentSettingsAndAnUnsavedLogAreKeptAndOfferedAtTheNextStart()
    {
        QFETCH(bool, dataFolderBlocked);
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        QTemporaryDir dir;
        const QString data = dir.filePath(QStringLiteral("data"));
        const QStringList fallbacks{dir.filePath(QStringLiteral("blocked/too")), dir.filePath(QStringLiteral("home"))};
        for (const QString &blocked : {dir.filePath(QStringLiteral("blocked")), data})
            if (dataFolderBlocked || blocked != data) {
                QFile stand(blocked);
                QVERIFY(stand.open(QIODevice::WriteOnly));
            }
        QStringList kept;
        {
            TFrmMain w;
            w.DataFolder = data;
            w.FallbackFolders = fallbacks;
            Tdata7410 site;
            site.FullScale1 = 12345;
            QVERIFY(SaveSettingsFile(dir.filePath(QStringLiteral("site.QVS")), site, nullptr));
            script.FileAnswers = {dir.filePath(QStringLiteral("site.QVS"))};
            w.Open1->trigger();
            w.Logging->AddPoint(TLoggingSession::SeriesWeight, TLogPoint(1, 2));
            w.Logging->UnsavedSamples = true;
            script.Clear();
            kept = w.KeepUnsavedWork();
            QCOMPARE(kept.size(), 2);
            for (const QString &file : kept)
                QVERIFY2(file.startsWith(dataFolderBlocked ? fallbacks[1] : data), qPrintable(file));
            QVERIFY(script.History.empty());
        }
        TFrmMain w;
        w.DataFolder = data;
        w.FallbackFolders = fallbacks;
        script.ConfirmAnswers = {true};
        w.OfferRecoveredWork();
        QCOMPARE(script.Questions().size(), 1);
        for (const QString &file : kept) {
            QVERIFY2(script.Questions().first().contains(QFileInfo(file).fileName()), qPrintable(script.Questions().first()));
            QVERIFY(!QFileInfo::exists(file)); // moved to where the question said
        }
        QVERIFY2(script.Messages().isEmpty(), qPrintable(script.Messages().join('|')));
        QCOMPARE(w.EditModel.FullScale1, 12345);
        QCOMPARE(w.Logging->Points.Size(TLoggingSession::SeriesWeight), qsizetype(1));
        QVERIFY(w.Logging->UnsavedSamples); // still not where the operator keeps it
        w.OfferRecoveredWork();
        QCOMPARE(script.Questions().size(), 1);
    }

    void printReadsPrintLogOnTheLogPageAndAsksForAPrinter()
    {
        TScriptedPrompts script;
        TScopedPrompts guard(&script);
        TFrmMain w;
        QCOMPARE(w.Print1->text(), QStringLiteral("&Print Settings"));
        w.PgCMain->setCurrentWidget(w.TSLog);
        QCOMPARE(w.Print1->text(), QStringLiteral("&Print Log"));
        w.Print1->trigger(); // the printer dialog is cancelled: nothing printed
        QCOMPARE(script.History.back().type, TScriptedPrompts::Shown::Printer);
        QVERIFY(script.Messages().isEmpty());
        w.PgCMain->setCurrentWidget(w.TSDisplay);
        QCOMPARE(w.Print1->text(), QStringLiteral("&Print Settings"));
    }
};

QV_TEST_MAIN(TestFrmMain)
} // namespace test_frmmain
#include "test_frmmain.moc"
