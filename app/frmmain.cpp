#include "app/frmmain.h"

#include "app/about.h"
#include "app/imagelist.h"
#include "app/ownerdrawnpanel.h"
#include "app/prompts.h"
#include "calibration/calbackup.h"
#include "calibration/calpage.h"
#include "calibration/calsteps.h"
#include "display/frontpanel/frontpanelpicture.h"
#include "display/livedisplay.h"
#include "display/u7400led.h"
#include "link/comms.h"
#include "link/programfiles.h"
#include "logging/chartview.h"
#include "logging/filemenu.h"
#include "logging/logdialog.h"
#include "logging/logfile.h"
#include "logging/loggingsession.h"
#include "logging/logpage.h"
#include "logging/logprint.h"
#include "settings/editor.h"
#include "settings/editorcal.h"
#include "settings/settingsprint.h"
#include "settings/tools.h"
#include "settings/transfer.h"
#include "terminal/testpage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

namespace {
const QString CalibrationQuestion = QStringLiteral("Current Settings not sent to instrument.  Send now?");

template <typename T> T *Named(T *object, const char *name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

// Lit segments bright green; unlit ones in the glass colour given.
void SetDisplayColours(TT7400LED *display, const QColor &glass)
{
    display->SetOnColor(QColor(0, 255, 0));
    display->SetOnLineColor(QColor(0, 255, 0));
    display->SetOffColor(glass);
    display->SetOffLineColor(glass);
}

// The main display copies the instrument's dark green glass; the small one on
// the Calibration page is plain black so the digits stand out there.
const QColor MainGlass(0, 64, 0);
const QColor CalibrationGlass(0, 0, 0);
const QRect CalibrationDisplayGeometry(132, 8, 350, 100);

QWidget *NewPage(QTabWidget *pages, const char *name, const QString &caption)
{
    auto *page = Named(new QWidget, name);
    pages->addTab(page, caption);
    return page;
}
} // namespace

TFrmMain::TFrmMain(QWidget *parent) : QMainWindow(parent), HelpFile(QString())
{
    setObjectName(QStringLiteral("FrmMain"));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    setFont(font);
    ImageList = BuildImageList();
    // The logging session and its dialog exist before the Log page shows them.
    Logging = std::make_unique<TLoggingSession>(Session);
    LogDialog = std::make_unique<TFrmLogDialog>(this);

    BuildMenus();
    BuildToolBar();
    BuildPages();
    BuildStatusBar();
    resize(800, 600);
    setMinimumWidth(MinimumWidth);
    CentreOnScreen();
    qApp->installEventFilter(this);
    FormCreate();
}

TFrmMain::~TFrmMain() { FormDestroy(); }

// ---------------------------------------------------------------- building

void TFrmMain::BuildMenus()
{
    MainMenu = Named(menuBar(), "MainMenu");
    auto item = [this](QMenu *menu, const char *name, const QString &caption, const QString &hint, int image,
                       void (TFrmMain::*handler)()) {
        auto *action = Named(menu->addAction(caption), name);
        action->setToolTip(hint.isEmpty() ? QString(caption).remove(QLatin1Char('&')).trimmed() : hint);
        if (image >= 0)
            action->setIcon(ImageList.value(image));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    auto menu = [this](const char *name, const QString &caption) {
        QMenu *m = Named(MainMenu->addMenu(caption), name);
        m->setToolTipsVisible(true);   // the items' hints
        return m;
    };

    QMenu *file = menu("File1", QStringLiteral("&File"));
    Open1 = item(file, "Open1", QStringLiteral("&Open"), QStringLiteral("Load settings from file"), imgOpen,
                 &TFrmMain::Open1Click);
    Open1->setShortcut(Qt::Key_F3);
    Save1 = item(file, "Save1", QStringLiteral("&Save"), QStringLiteral("Save Settings to File"), imgSave,
                 &TFrmMain::Save1Click);
    Save1->setShortcut(Qt::CTRL | Qt::Key_S);
    file->addSeparator();
    Print1 = item(file, "Print1", QStringLiteral("&Print Settings"), {}, imgPrint, &TFrmMain::Print1Click);
    file->addSeparator();
    Connect2 = item(file, "Connect2", QStringLiteral("&Connect"), QStringLiteral("Connect to instrument"),
                    imgConnect, &TFrmMain::Connect2Click);
    file->addSeparator();
    Exit1 = item(file, "Exit1", QStringLiteral("&Exit"), {}, imgExit, &TFrmMain::Exit1Click);
    Exit1->setShortcut(Qt::ALT | Qt::Key_X);

    QMenu *edit = menu("Edit1", QStringLiteral("&Edit"));
    ChartSetup = item(edit, "ChartSetup", QStringLiteral("&Setup Chart"), {}, imgChart, &TFrmMain::ChartSetupClick);

    QMenu *instrument = menu("Instrument1", QStringLiteral("&Instrument"));
    ReadSettings1 = item(instrument, "ReadSettings1", QStringLiteral("&Read Settings "),
                         QStringLiteral("Read Settings from Instrument"), imgRead, &TFrmMain::ReadSettings1Click);
    WriteSettings1 = item(instrument, "WriteSettings1", QStringLiteral("&Write Settings"),
                          QStringLiteral("Write Settings to Instrument"), imgWrite, &TFrmMain::WriteSettings1Click);

    QMenu *help = menu("Help1", QStringLiteral("&Help"));
    Index1 = item(help, "Index1", QStringLiteral("&Index"), {}, imgIndex, &TFrmMain::Index1Click);
    Contents1 = item(help, "Contents1", QStringLiteral("&Contents"), {}, imgContents, &TFrmMain::Contents1Click);
    help->addSeparator();
    About1 = item(help, "About1", QStringLiteral("&About"), {}, imgAbout, &TFrmMain::About1Click);
}

void TFrmMain::BuildToolBar()
{
    ToolBar = Named(new QToolBar(QStringLiteral("ToolBar"), this), "ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar->setIconSize(QSize(18, 18));
    ToolBar->toggleViewAction()->setEnabled(false);
    addToolBar(Qt::TopToolBarArea, ToolBar);

    auto button = [this](const char *name, const QString &caption, const QString &hint, int image,
                         void (TFrmMain::*handler)()) {
        auto *b = Named(new QToolButton(ToolBar), name);
        b->setText(caption);
        b->setToolTip(hint);
        b->setIcon(ImageList.value(image));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setFixedSize(84, 37);
        connect(b, &QToolButton::clicked, this, handler);
        ToolBar->addWidget(b);
        return b;
    };
    auto separator = [this](const char *name) {
        QAction *action = Named(ToolBar->addSeparator(), name);
        return Named(ToolBar->widgetForAction(action), name);
    };

    ToolButton1 = button("ToolButton1", QStringLiteral("&Open"), QStringLiteral("Load settings from file"), imgOpen,
                         &TFrmMain::Open1Click);
    ToolButton2 = button("ToolButton2", QStringLiteral("&Save"), QStringLiteral("Save Settings to File"), imgSave,
                         &TFrmMain::Save1Click);
    ToolButton3 = separator("ToolButton3");
    ToolButton4 = button("ToolButton4", QStringLiteral("&Connect"), QStringLiteral("Connect to instrument"),
                         imgConnect, &TFrmMain::Connect2Click);
    ToolButton5 = separator("ToolButton5");
    ToolButton6 = button("ToolButton6", QStringLiteral("&Read Settings "),
                         QStringLiteral("Read Settings from Instrument"), imgRead, &TFrmMain::ReadSettings1Click);
    ToolButton7 = button("ToolButton7", QStringLiteral("&Write Settings"),
                         QStringLiteral("Write Settings to Instrument"), imgWrite, &TFrmMain::WriteSettings1Click);
}

void TFrmMain::BuildPages()
{
    PgCMain = Named(new QTabWidget(this), "PgCMain");
    setCentralWidget(PgCMain);
    TSDisplay = NewPage(PgCMain, "TSDisplay", QStringLiteral("Display"));
    TSSettings = NewPage(PgCMain, "TSSettings", QStringLiteral("Settings"));
    TSCal = NewPage(PgCMain, "TSCal", QStringLiteral("Calibration"));
    TSLog = NewPage(PgCMain, "TSLog", QStringLiteral("Log"));
    TSTest = NewPage(PgCMain, "TSTest", QStringLiteral("Test"));
    BuildDisplayPage();
    BuildSettingsPage();
    BuildCalibrationPage();
    BuildCalBackupGroups();
    BuildTestPage();
    BuildLogPage();
    PgCMain->setTabVisible(PgCMain->indexOf(TSSettings), false);
    PgCMain->setTabVisible(PgCMain->indexOf(TSCal), false);
    PgCMain->setTabVisible(PgCMain->indexOf(TSTest), false);
    connect(PgCMain, &QTabWidget::currentChanged, this, [this] {
        if (!ApplyingLook)
            PgCMainChange();
    });
}

void TFrmMain::BuildDisplayPage()
{
    auto *layout = new QVBoxLayout(TSDisplay);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    LCDMain = Named(new TT7400LED(TSDisplay), "LCDMain");
    // The glass sits in the window of the front-panel picture beside the
    // program, which is drawn to these same factors.
    const TFrontPanelGlass glass;
    LCDMain->SetLCDXOffsetFactor(glass.XOffset);
    LCDMain->SetLCDYOffsetFactor(glass.YOffset);
    LCDMain->SetLCDWidthFactor(glass.Width);
    LCDMain->SetLCDHeightFactor(glass.Height);
    SetDisplayColours(LCDMain, MainGlass);
    pnlDispFill = Named(new QWidget(TSDisplay), "pnlDispFill");
    pnlDispFill->setFixedHeight(0);
    layout->addWidget(LCDMain, 1);
    layout->addWidget(pnlDispFill, 0);
}

void TFrmMain::BuildSettingsPage()
{
    auto *layout = new QVBoxLayout(TSSettings);
    layout->setContentsMargins(0, 0, 0, 0);
    SettingsEditor = Named(new TSettingsEditor(EditModel, TSSettings), "SettingsEditor");
    layout->addWidget(SettingsEditor);
    PgCSettings = SettingsEditor->PgCSettings;
    TSBuild = SettingsEditor->TSBuild;
    TSOption = SettingsEditor->TSOption;
    TSSpecial = SettingsEditor->TSSpecial;
    TSSerial = SettingsEditor->TSSerial;
    TSSetpoint = SettingsEditor->TSSetpoint;
    PageWork.TakeSettingsPages = [this] { SettingsEditor->TakeSettingsPages(); };
    PageWork.FillSettingsPages = [this] {
        SettingsEditor->FillSettingsPages();
        SettingsEditor->UpdateCalWeightVisibility();
        SettingsShown = true;
    };
    SettingsEditor->StatusRefresh = [this] { UpdateIdentity(); };
}

void TFrmMain::BuildCalibrationPage()
{
    // Placed as designed, at a fixed size; the calibration steps gather round
    // the display and the editor's calibration settings below it.
    LCDCal = Named(new TT7400LED(TSCal), "LCDCal");
    LCDCal->setGeometry(CalibrationDisplayGeometry);
    SetDisplayColours(LCDCal, CalibrationGlass);
    CalPage = Named(new TCalibrationPage(*SettingsEditor->CalFields, TSCal), "CalPage");
    CalPage->move(8, CalibrationDisplayGeometry.bottom() + 9);
    CalPage->resize(CalPage->sizeHint());
    CalPage->Decimals = [this] { return SettingsEditor->CBxDP->currentIndex(); };
    LBxLCal = CalPage->LBxLCal;
}

void TFrmMain::BuildTestPage()
{
    auto *layout = new QVBoxLayout(TSTest);
    layout->setContentsMargins(0, 0, 0, 0);
    TestPage = Named(new TTestPage(Session, TSTest), "TestPage");
    layout->addWidget(TestPage);
}

void TFrmMain::BuildLogPage()
{
    auto *layout = new QVBoxLayout(TSLog);
    layout->setContentsMargins(0, 0, 0, 0);
    LogPage = Named(new TLogPage(*Logging, *LogDialog, EditModel, TSLog), "LogPage");
    layout->addWidget(LogPage);
    // Selecting the page sets the axes up from the dialog's choices and puts
    // the focus on the chart.
    PageWork.PrepareChart = [this] { LogPage->PrepareChart(); };
    // Zoom and scroll keys of the chart, while the Log page is shown.
    FormKeyDown = [this](QKeyEvent *event) { return LogPage->FormKeyDown(event); };
}

void TFrmMain::BuildStatusBar()
{
    StatusBar = Named(new QStatusBar(this), "StatusBar");
    setStatusBar(StatusBar);
    auto fixedPanel = [this](const char *name) {
        auto *label = Named(new QLabel(StatusBar), name);
        label->setFixedWidth(StatusPanelWidth);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        StatusBar->addWidget(label);
        return label;
    };
    StatusPanel0 = fixedPanel("StatusPanel0");
    StatusPanel1 = fixedPanel("StatusPanel1");
    StatusPanel2 = Named(new TOwnerDrawnPanel(StatusBar), "StatusPanel2");
    StatusPanel2->OnDrawPanel = [this](QPainter &painter, const QRect &rect) { StatusBarDrawPanel(painter, rect); };
    StatusBar->addWidget(StatusPanel2, 1);
}

void TFrmMain::CentreOnScreen()
{
    if (const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

// ------------------------------------------------------- creation and end

void TFrmMain::FormCreate()
{
    setWindowTitle(QApplication::applicationName());
    // The session starts as the window needs it: a null transport whose
    // received text goes to the exchange, receiving enabled, no polling
    // suspended, no reply awaited, Activity idle, all counters at their
    // start values and its own reply parser.
    WireSession();
    WireTransfer();
    WireCalibration();
    WireCalBackup();
    WireFileMenu();
    HelpFile = THelpFile(ProgramDataFile(QStringLiteral(".html")));
    LCDMain->SetBackGroundFileName(ProgramDataFile(QStringLiteral(".bmp")));
    SetRegionRects();
    WireDisplayKeys();
    LCDMain->UpdateLayout();
    LCDCal->UpdateLayout();

    SettingsShown = false;
    SetpointShown = false;
    PgCMain->setCurrentWidget(TSDisplay);
    PgCSettings->setCurrentWidget(TSBuild);
    LBxLCal->setCurrentRow(0);
    SettingsSent = false;

    LCDMain->AllSegmentsOn();
    LCDMain->PaintSegments();
    DisconnectedLook();
}

void TFrmMain::SetRegionRects()
{
    // The four front-panel keys under the digits, then the small key at the
    // lower right, in the picture's 600 x 400 design units.
    for (int i = 1; i <= 4; ++i)
        LCDMain->SetRegionRect(i, {100 + 98 * (i - 1), 260, 92 + 98 * i, 350});
    LCDMain->SetRegionRect(5, {520, 320, 560, 370});
}

void TFrmMain::WireDisplayKeys()
{
    // Region 5 (and the calibration display) have no key behind them.
    const std::array<void (TFrmMain::*)(), 4> plain{&TFrmMain::LCDMainRegionClick1, &TFrmMain::LCDMainRegionClick2,
                                                   &TFrmMain::LCDMainRegionClick3, &TFrmMain::LCDMainRegionClick4};
    const std::array<void (TFrmMain::*)(), 4> shifted{
        &TFrmMain::LCDMainRegionShiftClick1, &TFrmMain::LCDMainRegionShiftClick2,
        &TFrmMain::LCDMainRegionShiftClick3, &TFrmMain::LCDMainRegionShiftClick4};
    for (int i = 0; i < 4; ++i) {
        LCDMain->SetOnRegionClick(i + 1, [this, handler = plain[size_t(i)]] { (this->*handler)(); });
        LCDMain->SetOnRegionShiftClick(i + 1, [this, handler = shifted[size_t(i)]] { (this->*handler)(); });
    }
}

void TFrmMain::FormDestroy()
{
    qApp->removeEventFilter(this);
    // The session outlives nothing it reports to: closing its transport
    // during destruction must not reach half-destroyed controls.
    Session.ShowCommand = nullptr;
    Session.ShowReply = nullptr;
    Session.IsTrafficShown = nullptr;
    Session.AppendTraffic = nullptr;
    Session.DisplayReply = nullptr;
    Session.DisplayStale = nullptr;
    Session.Connected = nullptr;
    Session.Disconnected = nullptr;
    Session.LogReply = nullptr;
    Session.LogRecord = nullptr;
    Session.SettingsReply = nullptr;
    // The pages (the Test page holds the session) go before the session,
    // which as a member would otherwise be destroyed first.
    PgCMain->disconnect(this);
    delete takeCentralWidget();
}

void TFrmMain::closeEvent(QCloseEvent *event)
{
    // Bytes still arriving while the window goes away are ignored, and every
    // wait and transfer ends quietly: nothing may report after it has gone.
    Session.Shutdown();
    if (Transfer)
        Transfer->Abandon();
    event->accept();
}

void TFrmMain::WireSession()
{
    Session.ShowCommand = [this](const QString &command) { SetPanelText(0, command); };
    Session.ShowReply = [this](const QString &reply) { SetPanelText(1, reply); };
    Session.IsTrafficShown = [this] { return PgCMain->currentWidget() == TSTest; };
    Session.AppendTraffic = [this](const QString &line) { TestPage->AppendLine(line); };
    Session.DisplayReply = [this](bool calibration) {
        TT7400LED &display = calibration ? *LCDCal : *LCDMain;
        UpdateDisplayFromReply(display);
        display.PaintSegments();
    };
    Session.DisplayStale = [this] {
        LCDMain->AllSegmentsOff();
        LCDMain->PaintSegments();
    };
    Session.Connected = [this] { ConnectedLook(); };
    Session.Disconnected = [this] { DisconnectedLook(); };
    Session.LogReply = [this](qint32 weight, qint32 unit, qint32 status) {
        Logging->TakeReply(weight, unit, status);
    };
    Session.LogRecord = [this](quint8 statusByte, qint32 statusWord, qint32 weight) {
        Logging->TakeRecord(statusByte, statusWord, weight);
    };
}

void TFrmMain::WireFileMenu()
{
    FileMenu = std::make_unique<TFileMenu>();
    FileMenu->EditModel = &EditModel;
    FileMenu->Logging = Logging.get();
    FileMenu->LogPageActive = [this] { return PgCMain->currentWidget() == TSLog; };
    FileMenu->LogComment = [this] { return LogPage->LblLogComment->text(); };
    FileMenu->TakeEditorPages = [this] {
        if (SettingsShown)
            SettingsEditor->TakeSettingsPages();
    };
    FileMenu->SettingsLoaded = [this] { SettingsFileLoaded(); };
    FileMenu->LogLoaded = [this](const TLogFileData &data) {
        LogPage->LblLogComment->setText(data.Comment);
        TLogChoices choices = LogDialog->Choices();
        choices.Channels = data.Channels;
        LogDialog->SetChoices(choices);
        Logging->SetupAxes(choices, EditModel);
        ChartView::FitToData(*Logging);
        LogPage->RedrawNow();
    };
}

void TFrmMain::SettingsFileLoaded()
{
    // The file's settings are what the pages now edit; nothing says they are
    // in the instrument.
    Logging->SetupAxes(LogDialog->Choices(), EditModel);
    PageWork.FillSettingsPages();
    for (QWidget *page : {TSCal, TSSettings, TSLog})
        PgCMain->setTabVisible(PgCMain->indexOf(page), true);
    SettingsSent = false;
    UpdateIdentity();
}

void TFrmMain::WireTransfer()
{
    // Takes over the session's settings-reply hook.
    Transfer = std::make_unique<TSettingsTransfer>(Session, EditModel, InstrumentModel, this, &SettingsSent);
    Transfer->BlankMainDisplay = [this] {
        LCDMain->AllSegmentsOff();
        LCDMain->PaintSegments();
    };
    Transfer->SetupChartAxes = [this] { Logging->SetupAxes(LogDialog->Choices(), EditModel); };
    Transfer->ShowSettingsPages = [this] {
        PgCMain->setTabVisible(PgCMain->indexOf(TSSettings), true);
        PgCMain->setTabVisible(PgCMain->indexOf(TSCal), true);
    };
    Transfer->SettingsAvailable = [this] { return PgCMain->isTabVisible(PgCMain->indexOf(TSCal)); };
    Transfer->TakeSettingsPages = [this] {
        if (SettingsShown && PageWork.TakeSettingsPages)
            PageWork.TakeSettingsPages();
    };
    Transfer->FillSettingsPages = [this] {
        if (PageWork.FillSettingsPages)
            PageWork.FillSettingsPages();
    };
    Transfer->RefreshStatusBar = [this] { UpdateIdentity(); };
}

void TFrmMain::WireCalibration()
{
    CalSteps = std::make_unique<TCalibrationSteps>(Session, *Transfer, EditModel, this);
    CalSteps->DisableMainControls = [this] { DisableMainControls(); };
    CalSteps->EnableMainControls = [this] { EnableMainControls(); };
    CalSteps->ShowDashes = [this] {
        LCDCal->ShowText(QStringLiteral("------"));
        LCDCal->PaintSegments();
    };
    CalSteps->RefreshIdentity = [this] { UpdateIdentity(); };
    CalSteps->FillSettingsPages = [this] { PageWork.FillSettingsPages(); };
    CalPage->Bind(*CalSteps);
}

void TFrmMain::DisableMainControls() { SetMainControlsEnabled(false); }

void TFrmMain::EnableMainControls() { SetMainControlsEnabled(true); }

void TFrmMain::SetMainControlsEnabled(bool enabled)
{
    PgCMain->setEnabled(enabled);
    ToolBar->setEnabled(enabled);
    for (const char *name : {"File1", "Instrument1", "Help1"})
        if (auto *menu = MainMenu->findChild<QMenu *>(QLatin1String(name)))
            menu->menuAction()->setEnabled(enabled);
}

// ------------------------------------------------------------- status bar

QString TFrmMain::PanelText(int panel) const
{
    switch (panel) {
    case 0: return StatusPanel0->text();
    case 1: return StatusPanel1->text();
    case 2: return StatusPanel2->Text();
    default: return {};
    }
}

void TFrmMain::SetPanelText(int panel, const QString &text)
{
    switch (panel) {
    case 0: StatusPanel0->setText(text); break;
    case 1: StatusPanel1->setText(text); break;
    case 2: StatusPanel2->SetText(text); break;
    default: break;
    }
}

void TFrmMain::StatusBarDrawPanel(QPainter &painter, const QRect &rect)
{
    const QString text = StatusPanel2->Text();
    const bool calm = text.isEmpty() || SettingsSent;
    painter.fillRect(rect, calm ? palette().color(QPalette::Button) : QColor(Qt::red));
    painter.setPen(calm ? QColor(Qt::black) : QColor(Qt::yellow));
    painter.setFont(font());
    painter.drawText(rect.adjusted(IdentityTextLeft, IdentityTextTop, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
}

QString TFrmMain::IdentityText(const Tdata7410 &model)
{
    if (model.SerialNumber.isEmpty())
        return {};
    // One pass over the pattern: a "%1" inside an instrument's text stays as it is.
    return QStringLiteral("Unit %1  SN: %2, Version %3, ID: %4")
        .arg(QString::number(model.Address), model.SerialNumber, model.Version, model.SerialID);
}

void TFrmMain::UpdateIdentity()
{
    SetPanelText(2, IdentityText(EditModel));
    StatusPanel2->update();
}

// ------------------------------------------------------------------ looks

void TFrmMain::ConnectedLook() { ApplyLook(true); }

void TFrmMain::DisconnectedLook() { ApplyLook(false); }

void TFrmMain::ApplyLook(bool connected)
{
    // Hiding the page in front makes the tab control show another one; that
    // is then handled as a page change once the look is complete.
    QWidget *before = PgCMain->currentWidget();
    ApplyingLook = true;
    PgCMain->setTabVisible(PgCMain->indexOf(TSTest), connected);
    PgCMain->setTabVisible(PgCMain->indexOf(TSCal), false);
    PgCMain->setTabVisible(PgCMain->indexOf(TSSettings), false);
    ApplyingLook = false;
    for (QAction *action : {ReadSettings1, WriteSettings1})
        action->setEnabled(connected);
    for (QToolButton *button : {ToolButton6, ToolButton7})
        button->setEnabled(connected);
    SetConnectCaption(connected);
    EditModel.SerialNumber.clear();
    UpdateIdentity();

    const bool pageMoved = PgCMain->currentWidget() != before;
    if (pageMoved)
        PgCMainChange();
    // A move onto the Display page has already started the instrument.
    if (connected && !(pageMoved && PgCMain->currentWidget() == TSDisplay)) {
        if (PgCMain->currentWidget() == TSDisplay)
            Session.Activity = actDisplay;
        Session.StartupSequence();
    }
}

void TFrmMain::SetConnectCaption(bool connected)
{
    ToolButton4->setText(connected ? QStringLiteral("&Disconnect") : QStringLiteral("&Connect"));
    ToolButton4->setToolTip(connected ? QStringLiteral("Disconnect from instrument")
                                      : QStringLiteral("Connect to instrument"));
    ToolButton4->setIcon(ImageList.value(connected ? imgDisconnect : imgConnect));
    Connect2->setText(ToolButton4->text());
    Connect2->setToolTip(ToolButton4->toolTip());
    Connect2->setIcon(ToolButton4->icon());
}

// ---------------------------------------------------------- page changing

void TFrmMain::PgCMainChange()
{
    QWidget *page = PgCMain->currentWidget();
    // The Log page prints its chart; every other page the settings.
    Print1->setText(page == TSLog ? QStringLiteral("&Print Log") : QStringLiteral("&Print Settings"));
    if (page != TSSettings) {
        if (SettingsShown && PageWork.TakeSettingsPages)
            PageWork.TakeSettingsPages();
        CompareWithInstrument();
    }
    if (page == TSDisplay) {
        Session.Activity = actDisplay;
        Session.StartupSequence();
    } else if (page == TSCal) {
        Session.Activity = actCalibration;
        AskToSendSettings();
    } else if (page == TSTest) {
        TestPage->PageSelected();
        Session.Activity = actTest;
    } else if (page == TSSettings) {
        // Whatever was polled before goes on being polled.
        if (PageWork.FillSettingsPages)
            PageWork.FillSettingsPages();
        PgCSettings->setCurrentWidget(TSBuild);
    } else if (page == TSLog) {
        if (PageWork.PrepareChart)
            PageWork.PrepareChart();
        Session.Activity = actLog;
        if (PageWork.FocusChart)
            PageWork.FocusChart();
    }
}

void TFrmMain::CompareWithInstrument()
{
    QStringList edited;
    QStringList held;
    EditModel.BuildWriteCommands(edited);
    InstrumentModel.BuildWriteCommands(held);
    RemoveCommon(edited, held);
    if (!edited.isEmpty())
        SettingsSent = false;
    UpdateIdentity();
}

void TFrmMain::AskToSendSettings()
{
    if (PanelText(2).isEmpty() || SettingsSent)
        return;
    if (Prompts().Confirm(CalibrationQuestion))
        WriteSettings1Click();
}

// ----------------------------------------------------------------- resize

QSize TFrmMain::DisplayPageSize() const
{
    // Only the page in front is laid out; all pages share its area.
    const QWidget *front = PgCMain->currentWidget();
    return front ? front->size() : QSize();
}

void TFrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TFrmMain::FormResize()
{
    if (width() < MinimumWidth)
        resize(MinimumWidth, height());
    const QSize page = DisplayPageSize();
    const int needed = page.width() * DisplayRatioHeight / DisplayRatioWidth;
    if (page.height() < needed) {
        pnlDispFill->setFixedHeight(0);
        resize(width(), height() + needed - page.height());
    } else {
        pnlDispFill->setFixedHeight(page.height() - needed);
    }
}

// ---------------------------------------------------------------- commands

void TFrmMain::Connect2Click()
{
    if (!datViewer)
        return;   // only before the program entry has made the store
    Session.Connect2Click(*datViewer);
}

void TFrmMain::Exit1Click() { close(); }

void TFrmMain::About1Click()
{
    if (frmAbout) {
        Prompts().Exec(*frmAbout);
        return;
    }
    TfrmAbout about(this);
    Prompts().Exec(about);
}

void TFrmMain::Index1Click() { HelpFile.Show(QStringLiteral("index")); }

void TFrmMain::Contents1Click() { HelpFile.Show(QStringLiteral("contents")); }

// The commands below belong to subsystems that have not joined the window
// yet; until they do, choosing them does nothing.
void TFrmMain::Open1Click() { FileMenu->Open(); }
void TFrmMain::Save1Click() { FileMenu->Save(); }
void TFrmMain::Print1Click()
{
    QPrinter printer;
    if (PgCMain->currentWidget() != TSLog) {
        // As saving does: what the Settings pages show is what gets printed.
        SettingsEditor->TakeSettingsPages();
        const TCalSettingsFields &cal = *SettingsEditor->CalFields;
        PrintSettingsClick(printer, EditModel, cal.edtCalDirectZero->text(), cal.edtCalDirectSpan->text(),
                           SettingsEditor->MemoHeader->font());
        return;
    }
    TLogPrintLabels labels;
    for (size_t i = 0; i < labels.size(); ++i) {
        const QLabel *label = LogPage->LblDig[i];
        labels[i] = {label->text(), label->palette().color(QPalette::WindowText)};
    }
    PrintLogClick(printer, *LogPage->Chart, LogPage->LblLogComment->text(), labels, font());
}
void TFrmMain::ChartSetupClick() { LogPage->ChartSetupClick(); }
void TFrmMain::ReadSettings1Click()
{
    Transfer->ReadSettings1Click();
    UpdateIdentity();
}

void TFrmMain::WriteSettings1Click()
{
    Transfer->WriteSettings1Click();
    UpdateIdentity();
}

// ------------------------------------------------- live display and keys

void TFrmMain::UpdateDisplayFromReply(TT7400LED &Display)
{
    TLiveDisplayInput input;
    input.StatusReply = Session.StatusPollCountdown == TSession::StatusPollEvery;
    input.TickCycle = Session.TickCycle;
    input.DisplayUnits = Session.DisplayUnits;
    input.WeighMode = EditModel.WeighMode;
    ::UpdateDisplayFromReply(Display, Session.Parser(), input, Session.ErrorStatus);
}

void TFrmMain::PressDisplayKey(int Key, bool Modified)
{
    const QString command = DisplayKeyCommand(Key, Modified, Session.UnitAddress);
    // With the link closed a key does nothing, not even delay the polls
    // of the next connection.
    if (command.isEmpty() || !Session.IsOpen())
        return;
    Session.SendCommand(command, true);
    Session.PollDelay = TSession::KeyPollDelayTicks;
}

void TFrmMain::LCDMainRegionClick1() { PressDisplayKey(1, false); }
void TFrmMain::LCDMainRegionClick2() { PressDisplayKey(2, false); }
void TFrmMain::LCDMainRegionClick3() { PressDisplayKey(3, false); }
void TFrmMain::LCDMainRegionClick4() { PressDisplayKey(4, false); }
void TFrmMain::LCDMainRegionShiftClick1() { PressDisplayKey(1, true); }
void TFrmMain::LCDMainRegionShiftClick2() { PressDisplayKey(2, true); }
void TFrmMain::LCDMainRegionShiftClick3() { PressDisplayKey(3, true); }
void TFrmMain::LCDMainRegionShiftClick4() { PressDisplayKey(4, true); }

// -------------------------------------------------------------- key preview

bool TFrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && FormKeyDown) {
        // A key press travels from the focused control up through its
        // parents; only its first stop counts, so each press is seen once.
        auto *widget = qobject_cast<QWidget *>(watched);
        QWidget *focus = QApplication::focusWidget();
        const bool firstStop = widget && (widget == focus || (!focus && widget == this));
        if (firstStop && widget->window() == this && FormKeyDown(static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
